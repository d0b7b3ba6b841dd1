// zelquin-convert: the window's two conversions from the command line or, line
// by line, from standard input, optionally with an explanation of the number.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "conversion.h"
#include "explain.h"
#include "platform_io.h"
#include "text_input.h"

namespace zelquin::cli {
namespace {

constexpr int kStatusSuccess = 0;
constexpr int kStatusTextNotConverted = 1;
constexpr int kStatusUsage = 2;
constexpr int kStatusInputOutput = 3;

constexpr std::size_t kReadChunk = 1 << 16;
constexpr std::size_t kOutputFlushSize = 1 << 16;

constexpr std::string_view kUsage =
    "usage: zelquin-convert [--double] [--explain] pattern [TEXT...]\n"
    "       zelquin-convert [--double] [--explain] value [TEXT...]\n"
    "       zelquin-convert --help | --version\n"
    "\n"
    "  pattern    each TEXT is a bit pattern; prints the number it encodes, as\n"
    "             the value field shows it\n"
    "  value      each TEXT is a number; prints its bit pattern, as the pattern\n"
    "             field shows it\n"
    "  --double   treat as 'double' (binary64) rather than binary32\n"
    "  --explain  follow each result with a description of the number\n"
    "\n"
    "Without TEXT, every line of standard input is a TEXT and gives one result\n"
    "line. A text that is not valid UTF-8 is not converted: its result line is\n"
    "empty, and the exit status is 1.\n";

enum class Command { Pattern, Value };

struct Options {
    Command command = Command::Pattern;
    bool treatAsDouble = false;
    bool explain = false;
};

bool Is(const Argument& argument, std::string_view ascii) {
    if (!argument.wide) return argument.bytes == ascii;
    return std::equal(argument.units.begin(), argument.units.end(), ascii.begin(), ascii.end(),
                      [](char16_t unit, char c) { return unit == static_cast<unsigned char>(c); });
}

// Converts texts and collects the output until it is flushed.
class Converter {
public:
    explicit Converter(const Options& options) : options_(options) { output_.reserve(2 * kOutputFlushSize); }

    // `where` names the text in a message: "line 3" or "argument 2".
    void Convert(const TextBuilder& text, const std::string& where) {
        if (!text.Valid()) {
            notConverted_ = true;
            if (!Flush()) return;
            WriteError("zelquin-convert: " + where + ": not valid UTF-8 at byte " +
                       std::to_string(text.ErrorByte()) + "\n");
            output_ += '\n';
            if (options_.explain) output_ += ExplainNotConverted("not valid UTF-8");
            return;
        }
        const std::u16string_view converted = text.Converted();
        const std::u16string result = options_.command == Command::Pattern
                                          ? PatternToValueText(converted, options_.treatAsDouble)
                                          : ValueToPatternText(converted, options_.treatAsDouble);
        output_.append(result.begin(), result.end());  // always ASCII
        output_ += '\n';
        if (options_.explain) {
            output_ += options_.command == Command::Pattern
                           ? ExplainPattern(converted, text.UnitCount(), options_.treatAsDouble)
                           : ExplainValue(converted, text.UnitCount(), options_.treatAsDouble);
        }
        if (output_.size() >= kOutputFlushSize) Flush();
    }

    // Writes what is collected; false once the output has failed.
    bool Flush() {
        if (outputFailed_) return false;
        if (!output_.empty() && !WriteOutput(output_.data(), output_.size())) outputFailed_ = true;
        output_.clear();
        return !outputFailed_;
    }

    bool OutputFailed() const { return outputFailed_; }
    bool NotConverted() const { return notConverted_; }

private:
    const Options& options_;
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

// Converts standard input line by line. The output is flushed before every
// read, so whoever waits for an answer gets it at once, while text arriving
// in bulk is answered in bulk.
template <typename Unit>
bool ConvertLines(Converter& converter, std::ptrdiff_t (*read)(Unit*, std::size_t)) {
    std::vector<Unit> buffer(kReadChunk);
    LineBuilder line;
    std::size_t lineNumber = 0;
    const auto convertLine = [&] {
        converter.Convert(line.Finish(), "line " + std::to_string(++lineNumber));
        line.Clear();
    };
    for (;;) {
        if (!converter.Flush()) return false;
        const std::ptrdiff_t count = read(buffer.data(), buffer.size());
        if (count < 0) {
            WriteError("zelquin-convert: cannot read standard input\n");
            return false;
        }
        if (count == 0) break;
        const Unit* p = buffer.data();
        const Unit* const end = p + count;
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

int Run(const std::vector<Argument>& arguments) {
    Options options;
    std::size_t i = 1;
    for (;; ++i) {
        if (i >= arguments.size()) {
            WriteError(std::string("zelquin-convert: missing command\n") + std::string(kUsage));
            return kStatusUsage;
        }
        const Argument& argument = arguments[i];
        if (Is(argument, "--double")) {
            options.treatAsDouble = true;
        } else if (Is(argument, "--explain")) {
            options.explain = true;
        } else if (Is(argument, "--help")) {
            return WriteOutput(kUsage.data(), kUsage.size()) ? kStatusSuccess : kStatusInputOutput;
        } else if (Is(argument, "--version")) {
            const std::string version = "zelquin-convert " ZELQUIN_VERSION "\n";
            return WriteOutput(version.data(), version.size()) ? kStatusSuccess : kStatusInputOutput;
        } else if (Is(argument, "pattern")) {
            options.command = Command::Pattern;
            break;
        } else if (Is(argument, "value")) {
            options.command = Command::Value;
            break;
        } else {
            const bool option = argument.wide ? !argument.units.empty() && argument.units[0] == u'-'
                                              : !argument.bytes.empty() && argument.bytes[0] == '-';
            WriteError(std::string(option ? "zelquin-convert: unknown option\n"
                                          : "zelquin-convert: unknown command\n") +
                       std::string(kUsage));
            return kStatusUsage;
        }
    }

    Converter converter(options);
    bool inputOutputFine = true;
    if (i + 1 < arguments.size()) {
        TextBuilder text;
        for (std::size_t k = i + 1; k < arguments.size() && !converter.OutputFailed(); ++k) {
            text.Clear();
            const Argument& argument = arguments[k];
            if (argument.wide) {
                text.AddUnits(argument.units.data(), argument.units.size());
            } else {
                text.AddBytes(argument.bytes.data(), argument.bytes.size());
            }
            text.Finish();
            converter.Convert(text, "argument " + std::to_string(k));
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
