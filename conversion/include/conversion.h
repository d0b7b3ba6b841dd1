// Zelquin conversion core: the text-to-text conversions between the pattern
// field and the value field, the readings behind them as plain records, and
// the renderings of numbers as text. This is the core's one header for the
// rest of the system; everything else in conversion/ is its own.
//
// Every function here is pure: the same arguments always give the same
// result. Nothing is rejected and nothing is reported; a text that does not
// form a number converts to zero. Text is UTF-16, read up to its end or its
// first NUL; a reader reads no unit outside the caller's view.
//
// Each conversion comes in two forms: one writes into the caller's buffer and
// returns one past the last unit written (no terminator, no heap use); the
// other returns a new std::u16string.
//
// The chain: the two decimal conversions, the seventeen digits behind the
// fixed text and the value reader's binary64, are each defined by a chain of
// extended multiplications (80-bit significands, tabulated powers of ten,
// truncated products) whose results, not those of exact arithmetic, decide
// every digit and bit. Each also has a fast path that finds the chain's result
// from one 128-bit product wherever it can prove it, and falls back to the
// chain elsewhere; the chain is the fast path's reference.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelquin {

// Longest texts the renderings produce (terminator not counted).
inline constexpr std::size_t kLongestValueText = 317;   // -1.8e308 as a binary64
inline constexpr std::size_t kLongestPatternText = 18;  // "0xffffffffffffffff"

// A field's text is converted by at most its first 199 UTF-16 units; the
// callers cut it there.
inline constexpr std::size_t kFieldUnitsConverted = 199;

// Which IEEE 754 format a conversion works in.
enum class FormatOption : std::uint8_t {
    // The check box "Treat as 'double'" clear: a value text gives its binary32
    // pattern; a pattern text's integer is a binary32, or a binary64 when it is
    // above 0xffffffff.
    Binary32,
    // The check box set: a value text gives its binary64 pattern; a pattern
    // text's integer gives its low 32 bits as the upper half of a binary64
    // whose lower half is zero.
    TreatAsDouble,
    // Binary64 both ways: a value text gives its binary64 pattern; a pattern
    // text's integer is a binary64 with all its 64 bits, whatever its width.
    Binary64,
};

// The option of the window's check box.
constexpr FormatOption CheckBoxOption(bool treatAsDouble) {
    return treatAsDouble ? FormatOption::TreatAsDouble : FormatOption::Binary32;
}

// ---------------------------------------------------------------------------
// The two IEEE 754 binary formats, binary32 and binary64, on bit patterns held
// in unsigned integers; a binary32 pattern occupies the low 32 bits.

// A format's layout: a sign bit, then the exponent field, then the fraction
// field, from the most significant bit down. The quiet bit of a NaN is the most
// significant fraction bit.
struct BinaryFormat {
    const char* name;
    int exponentBits;
    int fractionBits;

    constexpr int TotalBits() const { return 1 + exponentBits + fractionBits; }
    constexpr int Bias() const { return (1 << (exponentBits - 1)) - 1; }
    // The exponent field of infinities and NaNs.
    constexpr int MaxExponentField() const { return (1 << exponentBits) - 1; }
    // The power of two of the lowest fraction bit of a subnormal number.
    constexpr int SubnormalUnitExponent() const { return 1 - Bias() - fractionBits; }
    constexpr std::uint64_t SignBit() const { return std::uint64_t{1} << (TotalBits() - 1); }
    constexpr std::uint64_t ExponentMask() const {
        return static_cast<std::uint64_t>(MaxExponentField()) << fractionBits;
    }
    constexpr std::uint64_t FractionMask() const { return (std::uint64_t{1} << fractionBits) - 1; }
    constexpr std::uint64_t ImplicitBit() const { return std::uint64_t{1} << fractionBits; }
    constexpr std::uint64_t QuietBit() const { return std::uint64_t{1} << (fractionBits - 1); }
    constexpr std::uint64_t Infinity() const { return ExponentMask(); }
};

inline constexpr BinaryFormat kBinary32{"binary32", 8, 23};
inline constexpr BinaryFormat kBinary64{"binary64", 11, 52};

constexpr const BinaryFormat& FormatOf(bool isDouble) { return isDouble ? kBinary64 : kBinary32; }

struct BinaryFields {
    bool negative;
    int exponentField;
    std::uint64_t fraction;
};

constexpr BinaryFields SplitFields(std::uint64_t bits, const BinaryFormat& format) {
    return BinaryFields{(bits & format.SignBit()) != 0,
                        static_cast<int>((bits & format.ExponentMask()) >> format.fractionBits),
                        bits & format.FractionMask()};
}

// Indefinite is the one quiet NaN that the fixed rendering names apart: the
// sign set and the quiet bit the only fraction bit.
enum class NumberClass {
    Zero,
    Subnormal,
    Normal,
    Infinity,
    QuietNaN,
    SignallingNaN,
    IndefiniteNaN
};

// Defined in binary_format.cpp.
NumberClass Classify(std::uint64_t bits, const BinaryFormat& format);

// The decimal exponent K of a positive number x, with x = 0.d1d2... * 10^K and
// d1 not 0 (10^(K-1) <= x < 10^K), estimated from its binary exponent e
// (2^e <= x < 2^(e+1)) and its top eight bits t (128 to 255, x / 2^(e-7)
// truncated): K itself or K - 1, for every e from kEstimatedExponentMin to
// kEstimatedExponentMax, those of the binary64 numbers, subnormals included.
// The digit generation's chain scales x by 10^-K with this K and makes up the
// difference after, so the estimate takes part in deciding the digits; exact
// arithmetic that needs K (the explanation's shortest text) starts from it as
// well and corrects it upward:
//
//     K = floor((154*t + 77*floor(X/256) + 19728*X - 323162868) / 2^16)
//
// with X = e + 16383, the exponent as the extended format biases it. The sum
// is 2^16 * (log10(x) + 1) in fixed point, made a little low:
//   - log10(x) = (X - 16383) * log10(2) + log10(x / 2^e), x / 2^e in [1, 2);
//   - log10(2) = 0.30102999566 is taken as (19728 + 77/256) / 2^16 =
//     0.3010300, the 77/256 part added once per 256 of X;
//   - log10(x / 2^e) is taken as the chord 154 * (t - 128) / 2^16, which
//     never lies above the curve, with t the significand truncated to 8 bits;
//   - the constant is the value at x = 1 (X = 16383, t = 128):
//       sum = 19728*(X - 16383) + 77*(floor(X/256) - 63) + 154*(t - 128)
//             + 2^16 - 17,
//     so 1 itself gives 2^16 - 17, just below the 2^16 of its K = 1.
// Together the approximations err low by less than one, so K comes out exact
// or one short (the tests check every e and t of the range).
//
// Example: 1000 is 1.953125 * 2^9: X = 16392, t = 250, and the sum is
// 38500 + 4928 + 323381376 - 323162868 = 261936, which gives
// floor(261936 / 65536) = 3: one short of K = 4 (1000 = 0.1 * 10^4).
inline constexpr int kEstimatedExponentMin = kBinary64.SubnormalUnitExponent();  // -1074
inline constexpr int kEstimatedExponentMax = kBinary64.Bias();                   // 1023

constexpr int EstimateDecimalExponent(int binaryExponent, int topEightBits) {
    const std::int64_t X = binaryExponent + 16383;
    const std::int64_t sum = 154 * topEightBits + 77 * (X / 256) + 19728 * X - 323162868;
    return static_cast<int>(sum >> 16);  // arithmetic shift: rounds toward minus infinity
}

// ---------------------------------------------------------------------------
// The units of the readers (pattern_reading.cpp).

// 0 to 9 for a code unit in one of the 18 decimal digit ranges, -1 otherwise.
int DigitValue(char16_t unit);
// Whether the readers skip the unit as white space before a number.
bool IsWhiteSpace(char16_t unit);

// ---------------------------------------------------------------------------
// The readings. Each reader goes through its text once and returns what it
// read as a record; the conversions render from the record, and whoever
// explains a conversion describes the same record. Positions count UTF-16
// units from the start of the text read.

// The pattern field's text read as an unsigned 64-bit integer, and the number
// the integer stands for (pattern_reading.cpp).
struct PatternReading {
    // The number: units numberStart up to numberEnd hold its sign, its "0x"
    // and its digits; digitsStart is its first digit. Without a digit, all
    // three are the position after the white space.
    std::size_t numberStart;
    std::size_t digitsStart;
    std::size_t numberEnd;
    unsigned base;    // 8 (a leading zero), 10, or 16 ("0x" after a zero)
    bool negative;    // a "-" sign
    bool digitSeen;   // false: there is no number, and the integer is 0
    bool overflowed;  // the digits exceed 2^64 - 1: the integer is all ones
    bool wrapped;     // a negative number other than 0, negated modulo 2^64
    bool textAfter;   // units follow the number (never without a number)
    std::uint64_t integer;

    // The number chosen: its format, its bits, and whether it was a signalling
    // NaN that was made quiet.
    bool isDouble;
    bool wideInteger;  // a binary64 because the integer is above 0xffffffff
    bool quieted;
    std::uint64_t chosenBits;   // the format's bits as the integer gives them
    std::uint64_t bits;         // the same after a signalling NaN is made quiet
    std::uint64_t shownDouble;  // the binary64 the value field shows: a binary32 widened exactly
};

PatternReading ReadPatternText(std::u16string_view text, FormatOption option);

// The value field's text read as a decimal number (decimal_reading.cpp): an
// optional sign, digits with at most one point, and an exponent part with "e",
// "E", "d" or "D" that counts only when a digit follows the letter and its
// sign.
struct DecimalReading {
    // Where the parts stand. Units numberStart up to numberEnd hold the whole
    // number (after the white space), significandStart up to significandEnd its
    // digits and point, and exponentStart up to numberEnd the exponent part's
    // digits (empty without one). firstStored is the first significant digit.
    // Every unit in these spans is an ASCII digit or the point. Without a
    // digit, numberEnd is numberStart.
    std::size_t numberStart;
    std::size_t significandStart;
    std::size_t significandEnd;
    std::size_t exponentStart;
    std::size_t numberEnd;
    std::size_t firstStored;
    bool negative;
    bool digitSeen;  // false: there is no number, and it reads as +0
    bool textAfter;  // units follow the number (never without a number)
    // The significant digits (from the first that is not 0): how many were
    // typed, and how many of them the reader stores, at most 25.
    int significantDigits;
    int storedDigits;
    // The first min(storedDigits, 19) stored digits read as an integer.
    std::uint64_t significand;
    // The stored digits read as an integer times 10^exponentAdjustment are the
    // number before its exponent part; the exponent part's value stops at 5201.
    int exponentAdjustment;
    int exponentValue;
    bool exponentNegative;
};

// The value field's text read, and the binary64 and the pattern it gives
// (decimal_reading.cpp).
struct ValueReading {
    DecimalReading number;
    std::uint64_t binary64;  // the reader's binary64
    bool isDouble;           // false: the pattern is the binary32 narrowed from the binary64
    std::uint64_t bits;      // the pattern shown
};

ValueReading ReadValueText(std::u16string_view text, FormatOption option);

// A number with an 80-bit significand, exactly:
// (significandHigh * 2^16 + significandLow) * 2^exponent, or an infinity.
struct Binary80 {
    bool negative;
    bool infinite;
    std::uint64_t significandHigh;
    std::uint16_t significandLow;
    int exponent;
};

// The steps by which the value reader comes to its binary64, for whoever
// explains where it parts from a correctly rounding reader
// (decimal_reading.cpp). The reader keeps at most 24 significant digits (the
// 25th rounding the 24th, trailing zeros dropped) as an integer N, times
// 10^keptExponent; beyond +-5200 that is infinity or zero at once, and
// otherwise it scales N by the extended arithmetic to an 80-bit intermediate,
// which it rounds to binary64 (exact halves toward zero).
struct DecimalReadingSteps {
    bool keptAny;   // false: no significant digit, the result is a zero
    Binary80 kept;  // N, exactly, with the number's sign
    int keptExponent;
    bool scaled;  // |keptExponent| <= 5200: the intermediate was computed
    Binary80 intermediate;
};

DecimalReadingSteps ReadingStepsOf(std::u16string_view text, const DecimalReading& number);

// ---------------------------------------------------------------------------
// The conversions, each rendered from its reader's record (in the reader's
// file, pattern_reading.cpp or decimal_reading.cpp); the string forms are in
// conversion.cpp.

// Pattern field text to value field text: the text is read as an unsigned
// 64-bit integer (automatic base, Unicode digits), its bits are taken as a
// binary32 or binary64, a signalling NaN is made quiet, and the number is
// rendered in fixed notation with six decimals. out holds kLongestValueText.
char16_t* PatternToValueText(std::u16string_view patternText, FormatOption option, char16_t* out);
std::u16string PatternToValueText(std::u16string_view patternText, FormatOption option);

// Value field text to pattern field text: the text is read as a decimal number
// into a binary64, narrowed to binary32 with FormatOption::Binary32, and the
// bits are rendered in hexadecimal. out holds kLongestPatternText.
char16_t* ValueToPatternText(std::u16string_view valueText, FormatOption option, char16_t* out);
std::u16string ValueToPatternText(std::u16string_view valueText, FormatOption option);

// ---------------------------------------------------------------------------
// The renderings; the string forms are in conversion.cpp.

// "0" for zero, otherwise "0x" and lower-case hexadecimal digits without
// leading zeros (hex_text.cpp). out holds kLongestPatternText.
char16_t* UInt32ToHexText(std::uint32_t pattern, char16_t* out);
char16_t* UInt64ToHexText(std::uint64_t pattern, char16_t* out);
std::u16string UInt32ToHexText(std::uint32_t pattern);
std::u16string UInt64ToHexText(std::uint64_t pattern);

// Fixed notation with six decimals, at most seventeen significant digits, and
// the special texts "1.#INF00", "1.#QNAN0", "1.#SNAN0", "-1.#IND00" for
// infinities and NaNs (fixed_text.cpp). out holds kLongestValueText; a few
// of the units after the text may be overwritten.
char16_t* DoubleToFixedText(std::uint64_t binary64Bits, char16_t* out);
std::u16string DoubleToFixedText(std::uint64_t binary64Bits);

}  // namespace zelquin
