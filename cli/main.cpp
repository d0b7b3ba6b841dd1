// zelquin-convert: the window's two conversions from the command line or, line
// by line, from standard input, optionally with an explanation of the number,
// as text or as JSON.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "conversion.h"
#include "explanation.h"
#include "platform_io.h"
#include "text_input.h"
#include "usage_text.h"

namespace zelquin::cli {
namespace {

using explain::Command;

constexpr int kStatusSuccess = 0;
constexpr int kStatusTextNotConverted = 1;
constexpr int kStatusUsage = 2;
constexpr int kStatusInputOutput = 3;

constexpr std::size_t kReadChunk = 1 << 16;
constexpr std::size_t kOutputFlushSize = 1 << 16;

constexpr std::string_view kHint = "Try 'zelquin-convert --help' for more information.\n";

struct Options {
    Command command = Command::Pattern;
    FormatOption format = FormatOption::Binary32;
    // Another format of the registry than binary32 and binary64, by exact
    // rules rather than Zelquin's own.
    bool inFormat = false;
    explain::FormatChoice choice;
    bool explain = false;
    bool json = false;
};

bool Is(const Argument& argument, std::string_view ascii) {
    if (!argument.wide) return argument.bytes == ascii;
    return std::equal(argument.units.begin(), argument.units.end(), ascii.begin(), ascii.end(),
                      [](char16_t unit, char c) { return unit == static_cast<unsigned char>(c); });
}

bool StartsWithHyphen(const Argument& argument) {
    return argument.wide ? !argument.units.empty() && argument.units[0] == u'-'
                         : !argument.bytes.empty() && argument.bytes[0] == '-';
}

std::string Utf8Of(const Argument& argument) {
    return argument.wide ? explain::Utf8FromUtf16(argument.units) : argument.bytes;
}

int UsageError(const std::string& message) {
    WriteError("zelquin-convert: " + message + "\n" + std::string(kHint));
    return kStatusUsage;
}

void ReportFailure(const char* what) {
    const std::string reason = LastFailure();
    if (!reason.empty())
        WriteError(std::string("zelquin-convert: cannot ") + what + ": " + reason + "\n");
}

int WriteAll(std::string_view text) {
    if (WriteOutput(text.data(), text.size())) return kStatusSuccess;
    ReportFailure("write standard output");
    return kStatusInputOutput;
}

// Converts texts and collects the output until it is flushed.
class Converter {
  public:
    explicit Converter(const Options& options) : options_(options) {
        output_.reserve(2 * kOutputFlushSize);
    }

    // `where` names the text in a message: "line 3" or "TEXT 2".
    void Convert(const TextBuilder& text, const std::string& where) {
        if (!text.Valid()) {
            notConverted_ = true;
            if (!Flush()) return;
            const std::string byte = " at byte " + std::to_string(text.ErrorByte());
            WriteError("zelquin-convert: " + where + ": not valid UTF-8" + byte + "\n");
            if (options_.json) {
                output_ += explain::NotConvertedJson(options_.command, "not valid UTF-8" + byte);
                output_ += '\n';
            } else {
                output_ += '\n';
                if (options_.explain) output_ += explain::NotConvertedText("not valid UTF-8");
            }
            return;
        }
        const std::u16string_view converted = text.Converted();
        if (options_.inFormat) {
            ConvertInFormat(converted, text.UnitCount(), where);
        } else if (options_.json || options_.explain) {
            // One record for every text, written straight into the output.
            // The text block shows the lines alone.
            explain::Explain(options_.command, converted, text.UnitCount(), options_.format,
                             explanation_,
                             options_.json ? explain::Parts::All : explain::Parts::Lines);
            if (options_.json) {
                explain::AppendExplanationJson(explanation_, output_);
                output_ += '\n';
            } else {
                output_ += explanation_.result;
                output_ += '\n';
                explain::AppendExplanationText(explanation_, output_);
            }
        } else {
            char16_t result[kLongestValueText];
            const char16_t* end =
                explain::ConvertText(options_.command, options_.format, converted, result);
            output_.append(static_cast<const char16_t*>(result), end);  // always ASCII
            output_ += '\n';
        }
        if (output_.size() >= kOutputFlushSize) Flush();
    }

    // A text in another format: a pattern wider than the format is not
    // converted, as a text that is not valid UTF-8 is not.
    void ConvertInFormat(std::u16string_view converted, std::size_t units,
                         const std::string& where) {
        std::string refusal;
        std::string result;
        if (options_.json || options_.explain) {
            explain::ExplainInFormat(options_.command, converted, units, options_.choice,
                                     explanation_);
            if (explanation_.refused) refusal = explanation_.notes[0];
        } else {
            result =
                explain::ConvertInFormat(options_.command, converted, options_.choice, refusal);
        }
        if (!refusal.empty()) {
            notConverted_ = true;
            if (!Flush()) return;
            WriteError("zelquin-convert: " + where + ": " + refusal + "\n");
            if (options_.json) {
                output_ += explain::NotConvertedJson(options_.command, refusal);
            } else if (options_.explain) {
                output_ += '\n';
                output_ += explain::NotConvertedText(refusal);
                return;
            }
            output_ += '\n';
            return;
        }
        if (options_.json) {
            explain::AppendExplanationJson(explanation_, output_);
            output_ += '\n';
        } else if (options_.explain) {
            output_ += explanation_.result;
            output_ += '\n';
            explain::AppendExplanationText(explanation_, output_);
        } else {
            output_ += result;
            output_ += '\n';
        }
    }

    // Writes what is collected; false once the output has failed, which is
    // reported once.
    bool Flush() {
        if (outputFailed_) return false;
        if (!output_.empty() && !WriteOutput(output_.data(), output_.size())) {
            outputFailed_ = true;
            ReportFailure("write standard output");
        }
        output_.clear();
        return !outputFailed_;
    }

    bool OutputFailed() const { return outputFailed_; }
    bool NotConverted() const { return notConverted_; }

  private:
    const Options& options_;
    explain::Explanation explanation_;
    std::string output_;
    bool outputFailed_ = false;
    bool notConverted_ = false;
};

const char* FindLineEnd(const char* begin, const char* end) {
    const void* found = std::memchr(begin, '\n', static_cast<std::size_t>(end - begin));
    return found == nullptr ? end : static_cast<const char*>(found);
}

const char16_t* FindLineEnd(const char16_t* begin, const char16_t* end) {
    return std::find(begin, end, u'\n');
}

// Whether the units read at the start of the input are a UTF-8 byte-order
// mark or its beginning. Only bytes can hold one.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsByteOrderMarkStart(const char* bytes, std::size_t count) {
    return count <= kByteOrderMark.size() &&
           kByteOrderMark.starts_with(std::string_view(bytes, count));
}

bool IsByteOrderMarkStart(const char16_t*, std::size_t) { return false; }

template <typename Unit>
bool ConvertLines(Converter& converter, std::ptrdiff_t (*read)(Unit*, std::size_t)) {
    std::vector<Unit> buffer(kReadChunk);
    LineBuilder line;
    std::size_t lineNumber = 0;
    bool atStart = true;  // where a byte-order mark may stand
    const auto convertLine = [&] {
        converter.Convert(line.Finish(), "line " + std::to_string(++lineNumber));
        line.Clear();
    };
    for (;;) {
        if (!converter.Flush()) return false;
        std::ptrdiff_t count = read(buffer.data(), buffer.size());
        // While what has come is the start of a mark, read on: were it no
        // mark, it would be an unfinished UTF-8 sequence that needs those
        // bytes anyway.
        while (atStart && count > 0 && static_cast<std::size_t>(count) < kByteOrderMark.size() &&
               IsByteOrderMarkStart(buffer.data(), static_cast<std::size_t>(count))) {
            const std::ptrdiff_t more =
                read(buffer.data() + count, buffer.size() - static_cast<std::size_t>(count));
            if (more <= 0) {
                if (more < 0) count = more;
                break;
            }
            count += more;
        }
        if (count < 0) {
            ReportFailure("read standard input");
            return false;
        }
        if (count == 0) break;
        const Unit* p = buffer.data();
        const Unit* const end = p + count;
        if (atStart && static_cast<std::size_t>(count) >= kByteOrderMark.size() &&
            IsByteOrderMarkStart(p, kByteOrderMark.size())) {
            p += kByteOrderMark.size();
        }
        atStart = false;
        for (;;) {
            const Unit* lineEnd = FindLineEnd(p, end);
            line.Add(p, static_cast<std::size_t>(lineEnd - p));
            if (lineEnd == end) break;
            convertLine();
            if (converter.OutputFailed()) return false;
            p = lineEnd + 1;
        }
    }
    if (line.Started()) convertLine();  // the last line has no LF
    return converter.Flush();
}

// Whether an argument is an option. Before the command every argument that
// starts with '-' is one; after it only "--" followed by a letter, "--" and
// "-h", so that texts such as -1, -0.5 or -.5e3 stay texts.
bool IsOption(const Argument& argument, bool afterCommand) {
    if (!StartsWithHyphen(argument)) return false;
    if (!afterCommand || Is(argument, "--") || Is(argument, "-h")) return true;
    const auto unit = [&argument](std::size_t i) -> char16_t {
        if (argument.wide) return i < argument.units.size() ? argument.units[i] : u'\0';
        return i < argument.bytes.size() ? static_cast<unsigned char>(argument.bytes[i]) : u'\0';
    };
    const char16_t third = unit(2);
    return unit(1) == u'-' &&
           ((third >= u'a' && third <= u'z') || (third >= u'A' && third <= u'Z'));
}

// The formats of the registry, as --list-formats prints them.
std::string FormatList() {
    std::string text = "name                 aliases          E    M   bias  holds\n";
    for (const explain::FloatFormat& format : explain::RegisteredFormats()) {
        std::string row = format.name;
        row.resize(21, ' ');
        row += format.aliases;
        row.resize(37, ' ');
        const std::string exponent = std::to_string(format.exponentBits);
        const std::string fraction = std::to_string(format.fractionBits);
        const std::string bias = std::to_string(format.bias);
        row += std::string(2 - std::min<std::size_t>(2, exponent.size()), ' ') + exponent;
        row += std::string(5 - std::min<std::size_t>(5, fraction.size()), ' ') + fraction;
        row += std::string(7 - std::min<std::size_t>(7, bias.size()), ' ') + bias;
        row += "  ";
        row += explain::SpecialsText(format.specials);
        text += row + "\n";
    }
    text +=
        "eXmY                 any IEEE-style layout of X exponent bits (2 to 15) and Y\n"
        "                     fraction bits (1 to 112), bias 2^(X-1) - 1\n";
    return text;
}

// An option that takes a value: "--name VALUE" or "--name=VALUE". Returns
// false when it is not that option; `missing` is set when the value is.
bool OptionValue(const std::vector<Argument>& arguments, std::size_t& i, std::string_view name,
                 std::string& value, bool& missing) {
    const std::string argument = Utf8Of(arguments[i]);
    if (argument == name) {
        if (i + 1 >= arguments.size()) {
            missing = true;
        } else {
            value = Utf8Of(arguments[++i]);
        }
        return true;
    }
    if (argument.size() > name.size() && argument.starts_with(name) &&
        argument[name.size()] == '=') {
        value = argument.substr(name.size() + 1);
        return true;
    }
    return false;
}

int Run(const std::vector<Argument>& arguments) {
    Options options;
    bool doubleOption = false;
    bool binary64Option = false;
    bool optionsEnded = false;
    bool commandGiven = false;
    std::string formatName, roundingName, overflowName, viaNames;
    bool roundingGiven = false, overflowGiven = false, viaGiven = false;
    std::vector<const Argument*> texts;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const Argument& argument = arguments[i];
        if (!optionsEnded && IsOption(argument, commandGiven)) {
            std::string value;
            bool missing = false;
            if (Is(argument, "--double")) {
                doubleOption = true;
            } else if (Is(argument, "--binary64")) {
                binary64Option = true;
            } else if (Is(argument, "--explain")) {
                options.explain = true;
            } else if (Is(argument, "--json")) {
                options.json = true;
            } else if (OptionValue(arguments, i, "--format", value, missing)) {
                if (missing) return UsageError("--format needs a format name");
                formatName = value;
            } else if (OptionValue(arguments, i, "--rounding", value, missing)) {
                if (missing) return UsageError("--rounding needs a mode");
                roundingName = value;
                roundingGiven = true;
            } else if (OptionValue(arguments, i, "--overflow", value, missing)) {
                if (missing) return UsageError("--overflow needs a policy");
                overflowName = value;
                overflowGiven = true;
            } else if (OptionValue(arguments, i, "--via", value, missing)) {
                if (missing) return UsageError("--via needs a format name");
                viaNames = value;
                viaGiven = true;
            } else if (Is(argument, "--list-formats")) {
                return WriteAll(FormatList());
            } else if (Is(argument, "--")) {
                optionsEnded = true;
            } else if (Is(argument, "--help") || Is(argument, "-h")) {
                return WriteAll(kHelp);
            } else if (Is(argument, "--version")) {
                return WriteAll("zelquin-convert " ZELQUIN_VERSION "\n");
            } else {
                return UsageError("unknown option '" + Utf8Of(argument) + "'");
            }
        } else if (commandGiven) {
            texts.push_back(&argument);
        } else if (Is(argument, "pattern")) {
            options.command = Command::Pattern;
            commandGiven = true;
        } else if (Is(argument, "value")) {
            options.command = Command::Value;
            commandGiven = true;
        } else {
            return UsageError("unknown command '" + Utf8Of(argument) + "'");
        }
    }
    if (!commandGiven) return UsageError("missing command");
    if (doubleOption && binary64Option)
        return UsageError("--double and --binary64 exclude each other");
    if (options.explain && options.json)
        return UsageError("--explain and --json exclude each other");
    if (!formatName.empty()) {
        const std::optional<explain::FloatFormat> format = explain::FindFormat(formatName);
        if (!format) {
            return UsageError("unknown format '" + formatName +
                              "' (zelquin-convert --list-formats lists them)");
        }
        // binary32 and binary64 by name are Zelquin's own (e8m23 is the exact
        // layout).
        const std::string_view name = format->name;
        if (name == "binary64") {
            if (doubleOption)
                return UsageError("--double and --format binary64 exclude each other");
            binary64Option = true;
        } else if (name != "binary32") {
            if (doubleOption || binary64Option) {
                return UsageError(std::string(doubleOption ? "--double" : "--binary64") +
                                  " and --format " + formatName + " exclude each other");
            }
            options.inFormat = true;
            options.choice.format = *format;
        }
    }
    if (!options.inFormat && (roundingGiven || overflowGiven || viaGiven)) {
        return UsageError(std::string(roundingGiven   ? "--rounding"
                                      : overflowGiven ? "--overflow"
                                                      : "--via") +
                          " needs --format with another format than binary32 and binary64, whose "
                          "rounding is Zelquin's own");
    }
    if (roundingGiven) {
        const auto mode = explain::FindRoundingMode(roundingName);
        if (!mode) {
            return UsageError("unknown rounding mode '" + roundingName +
                              "' (nearest-even, nearest-away, toward-zero, up, down)");
        }
        options.choice.rounding = *mode;
    }
    if (overflowGiven) {
        const auto policy = explain::FindOverflowPolicy(overflowName);
        if (!policy)
            return UsageError("unknown overflow policy '" + overflowName + "' (ieee, saturate)");
        options.choice.overflow = *policy;
    }
    if (viaGiven) {
        std::string message;
        if (!explain::ParseFormatList(viaNames, options.choice.via, message))
            return UsageError(message);
    }
    options.format = doubleOption     ? FormatOption::TreatAsDouble
                     : binary64Option ? FormatOption::Binary64
                                      : FormatOption::Binary32;

    Converter converter(options);
    bool inputOutputFine = true;
    if (!texts.empty()) {
        TextBuilder text;
        for (std::size_t k = 0; k < texts.size() && !converter.OutputFailed(); ++k) {
            text.Clear();
            const Argument& argument = *texts[k];
            if (argument.wide) {
                text.AddUnits(argument.units.data(), argument.units.size());
            } else {
                text.AddBytes(argument.bytes.data(), argument.bytes.size());
            }
            text.Finish();
            converter.Convert(text, "TEXT " + std::to_string(k + 1));
        }
        inputOutputFine = converter.Flush();
    } else if (InputIsUnits()) {
        inputOutputFine = ConvertLines<char16_t>(converter, ReadInputUnits);
    } else {
        inputOutputFine = ConvertLines<char>(converter, ReadInputBytes);
    }
    if (!inputOutputFine) return kStatusInputOutput;
    return converter.NotConverted() ? kStatusTextNotConverted : kStatusSuccess;
}

}  // namespace
}  // namespace zelquin::cli

int main(int argc, char** argv) {
    zelquin::cli::PrepareStreams();
    return zelquin::cli::Run(zelquin::cli::CommandLineArguments(argc, argv));
}
