// Zelquin conversion core: the text-to-text conversions between the pattern
// field and the value field, and the renderings of numbers as text.
//
// Every function here is pure: the same arguments always give the same text.
// Nothing is rejected and nothing is reported; a text that does not form a
// number converts to zero. Text is UTF-16, read up to its end or its first NUL.
//
// Each conversion comes in two forms: one writes into the caller's buffer and
// returns one past the last unit written (no terminator, no heap use); the
// other returns a new std::u16string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelquin {

// Longest texts the renderings produce (terminator not counted).
inline constexpr std::size_t kLongestSingleValueText = 47;  // -3.4e38 as a binary32
inline constexpr std::size_t kLongestValueText = 317;       // -1.8e308 as a binary64
inline constexpr std::size_t kLongestPatternText = 18;      // "0xffffffffffffffff"

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

// "0" for zero, otherwise "0x" and lower-case hexadecimal digits without
// leading zeros. out holds kLongestPatternText.
char16_t* UInt32ToHexText(std::uint32_t pattern, char16_t* out);
char16_t* UInt64ToHexText(std::uint64_t pattern, char16_t* out);
std::u16string UInt32ToHexText(std::uint32_t pattern);
std::u16string UInt64ToHexText(std::uint64_t pattern);

// Fixed notation with six decimals, at most seventeen significant digits, and
// the special texts "1.#INF00", "1.#QNAN0", "1.#SNAN0", "-1.#IND00" for
// infinities and NaNs. out holds kLongestValueText.
char16_t* DoubleToFixedText(std::uint64_t binary64Bits, char16_t* out);
std::u16string DoubleToFixedText(std::uint64_t binary64Bits);

}  // namespace zelquin
