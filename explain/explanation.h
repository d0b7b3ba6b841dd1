// What a conversion chose and what number it stores, as a plain record, and
// the two forms made from it: the text block of zelquin-convert --explain and
// one JSON object. Free of I/O and of platform code, so that every front end
// (the command-line program, a browser page) builds the same explanation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "conversion.h"
#include "exact_decimal.h"
#include "typed_number.h"

namespace zelquin::explain {

enum class Command { Pattern, Value };

// The conversion of a text (its first kFieldUnitsConverted units, as the
// caller cuts it): the pattern command gives a value text, the value command a
// pattern text. Writes into out, which holds kLongestValueText units, and
// returns one past the last unit written.
char16_t* ConvertText(Command command, FormatOption option, std::u16string_view text,
                      char16_t* out);

// How a text was read and what it gives. Every field is filled for both
// commands; fields that belong to one command only are left at their defaults
// for the other.
struct Explanation {
    Command command = Command::Pattern;
    FormatOption option = FormatOption::Binary32;
    std::u16string text;        // what was converted: at most the first 199 units
    std::size_t textUnits = 0;  // units in the whole text
    std::string result;         // the conversion's result text (ASCII)

    // Notes on the reading, for both commands.
    bool truncated = false;         // textUnits exceeds what was converted
    bool noNumber = false;          // the text holds no number: it reads as 0
    bool textAfterIgnored = false;  // text after the number is ignored

    // The pattern command: the integer read, and why the format was chosen.
    std::uint64_t integer = 0;
    bool overflowed = false;           // the digits exceed 2^64 - 1: all ones
    bool wrapped = false;              // a negative number, negated modulo 2^64
    bool wideInteger = false;          // above 0xffffffff, so read as a binary64
    bool quieted = false;              // a signalling NaN, made quiet
    std::uint64_t signallingBits = 0;  // its bits before that

    // The value command: the binary64 read, and the number typed.
    bool narrowed = false;  // narrowed from the binary64 to a binary32
    std::uint64_t binary64Bits = 0;
    std::string typed;  // every digit typed, the exponent as typed
    bool hasDifference = false;
    std::string difference;    // typed minus exact, with its sign
    std::string noDifference;  // why there is none: "the stored number is infinite"

    // The number stored, described.
    const BinaryFormat* format = &kBinary32;
    std::uint64_t bits = 0;  // the format's bits, after quieting
    NumberClass numberClass = NumberClass::Zero;
    bool negative = false;
    int exponentField = 0;
    std::uint64_t fraction = 0;
    bool hasExponent = false;  // finite and non-zero
    int exponent = 0;          // unbiased: the power of two of the leading bit's place
    bool finite = false;
    std::string exact;  // every digit, for a finite number

    // What a correctly rounding reader and writer make of it.
    std::string shortest;  // the shortest decimal that reads back: "0.1", "-0", "NaN"
    // The value command: the pattern a correctly rounding reader stores for
    // the number typed, whether it differs from Zelquin's, and the rule of
    // Zelquin's reader that made the difference.
    std::optional<std::uint64_t> nearest;
    bool nearestDiffers = false;
    std::string differsBecause;
    // The value command, for a finite number: the difference in units in the
    // last place of the stored number ("-0.20", "+0.50", "0").
    bool hasUlps = false;
    std::string ulps;
    // The neighbouring patterns of the format (none for a NaN, above +infinity
    // and below -infinity).
    std::optional<std::uint64_t> nextUp;
    std::optional<std::uint64_t> nextDown;
    // A finite number's significand, exactly: 1 plus the fraction for a normal
    // number, the fraction alone otherwise.
    bool hasSignificand = false;
    std::string significand;

    // The numbers behind exact, typed and difference (the value command).
    Decimal exactValue;
    TypedDecimal typedValue;
    Decimal differenceValue;
};

// The record for a text of the pattern or the value field. `text` is what is
// converted (at most the first 199 units), `textUnits` the length of the whole
// text.
Explanation ExplainPattern(std::u16string_view text, std::size_t textUnits, FormatOption option);
Explanation ExplainValue(std::u16string_view text, std::size_t textUnits, FormatOption option);
Explanation Explain(Command command, std::u16string_view text, std::size_t textUnits,
                    FormatOption option);
// The same into a record that is used again: its strings keep their storage,
// so that explaining text after text allocates nothing once they are long
// enough.
void Explain(Command command, std::u16string_view text, std::size_t textUnits, FormatOption option,
             Explanation& out);

// A decimal that the value field, with "Treat as 'double'" set, reads as
// exactly this binary64, for a view that enters a number it cannot put into
// the pattern field (whose low half that box leaves at zero): the shortest
// text that a correctly rounding reader reads back, or else the stored value
// rounded to 17 and then to 25 significant digits, written as the shortest
// text is. Empty for an infinity or a NaN, and where the value reader's own
// rules give another pattern for each of these.
std::u16string ValueTextFor(std::uint64_t binary64Bits);

// The name of a class in the explanations: "zero", "quiet NaN", ...
const char* ClassName(NumberClass numberClass);
const char* CommandName(Command command);

// The integer as the pattern field shows one: "0", or "0x" and its digits.
std::string IntegerHex(std::uint64_t integer);
// "0x" and every hexadecimal digit of the format's width.
std::string FullHex(std::uint64_t bits, int bitCount);

// The --explain block: lines that start with two spaces, then an empty line.
std::string ExplanationText(const Explanation& explanation);
void AppendExplanationText(const Explanation& explanation, std::string& out);
// The block given in place of an explanation for a text that is not converted.
std::string NotConvertedText(std::string_view reason);

// One JSON object on one line, without a line end.
std::string ExplanationJson(const Explanation& explanation);
void AppendExplanationJson(const Explanation& explanation, std::string& out);
std::string NotConvertedJson(Command command, std::string_view reason);

// UTF-16 units as UTF-8; a unit of a surrogate pair without its partner gives
// U+FFFD.
std::string Utf8FromUtf16(std::u16string_view units);
void AppendUtf8FromUtf16(std::u16string_view units, std::string& out);

}  // namespace zelquin::explain
