// Reading the pattern field: white space, Unicode decimal digits and the
// unsigned 64-bit integer reader with its automatic base.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "conversion.h"
#include "platform_space.h"

namespace zelquin {

// The white space below U+0100 as a bit per unit: U+0009..U+000D, U+0020 and
// U+00A0.
inline constexpr std::uint64_t kWhiteSpaceBelow0100[4] = {
    (std::uint64_t{0x1F} << 0x09) | (std::uint64_t{1} << 0x20), 0,
    std::uint64_t{1} << (0xA0 - 0x80), 0};

// IsWhiteSpace of conversion.h, inline for the readers' loops: U+0009..U+000D,
// U+0020 and U+00A0 below U+0100; from U+0100 up, the platform's Unicode space
// classification; never U+FFFF.
inline bool IsWhiteSpaceUnit(char16_t unit) {
    if (unit < 0x0100) return ((kWhiteSpaceBelow0100[unit >> 6] >> (unit & 63)) & 1) != 0;
    return unit != 0xFFFF && IsPlatformSpaceAbove00FF(unit);
}

// The number of white space units at the start of the text (a NUL is not
// white space).
inline std::size_t WhiteSpaceLength(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsWhiteSpaceUnit(text[i])) ++i;
    return i;
}

// The value of a unit as a digit of the integer reader: 0 to 9 for a decimal
// digit of any range, 10 to 35 for "a"/"A" to "z"/"Z" (ASCII only), and 36,
// never below a base, for any other unit.
unsigned IntegerDigitValue(char16_t unit);

// The text as an unsigned 64-bit integer: leading white space, an optional
// sign, then "0x"/"0X" after any zero digit for base 16, a leading zero for
// base 8, base 10 otherwise. Overflow gives all ones whatever the sign; a
// negative sign negates modulo 2^64. Never fails: no digit gives 0.
std::uint64_t TextToUInt64(std::u16string_view text);

// The number a pattern field integer stands for, before a signalling NaN is
// made quiet: with FormatOption::TreatAsDouble, a binary64 whose upper half is
// the integer's low 32 bits; with FormatOption::Binary64, the binary64 of all
// 64 bits; otherwise a binary64 when the integer needs more than 32 bits, and
// a binary32 when it does not.
struct PatternNumber {
    std::uint64_t bits;
    bool isDouble;
};

constexpr PatternNumber ChoosePatternNumber(std::uint64_t integer, FormatOption option) {
    switch (option) {
        case FormatOption::TreatAsDouble:
            return PatternNumber{integer << 32, true};
        case FormatOption::Binary64:
            return PatternNumber{integer, true};
        case FormatOption::Binary32:
            break;
    }
    return PatternNumber{integer, integer > 0xFFFFFFFFu};
}

}  // namespace zelquin
