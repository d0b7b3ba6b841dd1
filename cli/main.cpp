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

namespace zelquin::cli {
namespace {

using explain::Command;

constexpr int kStatusSuccess = 0;
constexpr int kStatusTextNotConverted = 1;
constexpr int kStatusUsage = 2;
constexpr int kStatusInputOutput = 3;

constexpr std::size_t kReadChunk = 1 << 16;
constexpr std::size_t kOutputFlushSize = 1 << 16;

constexpr std::string_view kHelp =
    "usage: zelquin-convert [OPTION...] pattern [TEXT...]\n"
    "       zelquin-convert [OPTION...] value [TEXT...]\n"
    "       zelquin-convert -h | --help | --version\n"
    "\n"
    "Converts as the two fields of the Zelquin window do.\n"
    "\n"
    "  pattern      each TEXT is a bit pattern, read as an unsigned 64-bit\n"
    "               integer; prints the number it encodes, as the value field\n"
    "               shows it. An integer of up to 32 bits is a binary32, a\n"
    "               wider one a binary64.\n"
    "  value        each TEXT is a decimal number; prints its binary32 bit\n"
    "               pattern, as the pattern field shows it\n"
    "\n"
    "Options may come before or after the command. After it, an argument is an\n"
    "option only when it starts with '--' and a letter or is '-h'; any other is\n"
    "a TEXT, so 'pattern -1' converts -1. After '--' every argument is a TEXT.\n"
    "  --double     treat as 'double', as the window's check box does: value\n"
    "               prints the binary64 pattern; pattern takes the integer's low\n"
    "               32 bits as the upper half of a binary64 whose lower half is 0\n"
    "  --binary64   the binary64 view both ways: value prints the binary64\n"
    "               pattern, as --double does; pattern takes the integer's 64\n"
    "               bits as a binary64, whatever its width; not with --double\n"
    "  --explain    follow each result with a description of the number: its\n"
    "               fields, its exact value, the shortest text that reads back,\n"
    "               its neighbours and, for value, the pattern a correctly\n"
    "               rounding reader stores and why Zelquin's differs\n"
    "  --json       for each TEXT, print one JSON object on one line in place of\n"
    "               the result: the result and the description as fields; not\n"
    "               with --explain\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "  --           end the options: what follows the command is TEXT\n"
    "\n"
    "Without TEXT, every line of standard input is a TEXT and gives one result,\n"
    "in order; a UTF-8 byte-order mark at the start of the input is skipped.\n"
    "Only the first 199 UTF-16 units of a TEXT are converted, as in the window.\n"
    "A TEXT that is not valid UTF-8 is not converted: its result line is empty\n"
    "(with --json, an object with an \"error\" field), and standard error names\n"
    "it as 'TEXT 2' or 'line 3'.\n"
    "\n"
    "Exit status:\n"
    "  0  every TEXT was converted\n"
    "  1  a TEXT was not valid UTF-8; the others were converted\n"
    "  2  the command line is wrong; nothing was converted\n"
    "  3  standard input could not be read or standard output not written\n";

constexpr std::string_view kHint = "Try 'zelquin-convert --help' for more information.\n";

struct Options {
    Command command = Command::Pattern;
    FormatOption format = FormatOption::Binary32;
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
        if (options_.json || options_.explain) {
            // One record for every text, written straight into the output.
            // The text block shows no entries of the bits.
            explain::Explain(
                options_.command, converted, text.UnitCount(), options_.format, explanation_,
                options_.json ? explain::Entries::Include : explain::Entries::LeaveOut);
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

int Run(const std::vector<Argument>& arguments) {
    Options options;
    bool doubleOption = false;
    bool binary64Option = false;
    bool optionsEnded = false;
    bool commandGiven = false;
    std::vector<const Argument*> texts;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const Argument& argument = arguments[i];
        if (!optionsEnded && IsOption(argument, commandGiven)) {
            if (Is(argument, "--double")) {
                doubleOption = true;
            } else if (Is(argument, "--binary64")) {
                binary64Option = true;
            } else if (Is(argument, "--explain")) {
                options.explain = true;
            } else if (Is(argument, "--json")) {
                options.json = true;
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
