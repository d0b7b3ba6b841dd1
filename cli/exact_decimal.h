// Exact decimal numbers: the stored value of a binary32 or binary64 with every
// digit, the decimal typed into the value field, and their difference.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "big_unsigned.h"

namespace zelquin::cli {

// (-1)^negative * digits * 10^scale. The digits have no leading and no
// trailing zero; empty digits are zero (negative only for a stored -0).
struct Decimal {
    bool negative = false;
    std::string digits;
    std::int64_t scale = 0;
};

// significand * 2^exponent, exactly.
Decimal BinaryToDecimal(bool negative, std::uint64_t significand, int exponent);

// a - b, exactly. The scales must lie within kMaxScaleDistance of each other
// unless one of the numbers is zero.
inline constexpr std::int64_t kMaxScaleDistance = 20000;
Decimal Subtract(const Decimal& a, const Decimal& b);

// Plain positional notation ("0.1", "-340282346638528859811704183484516925440")
// while the number has at most 400 integer digits and 1100 decimals, which
// covers every binary64; otherwise scientific notation with every digit
// ("1.5e-5000"). explicitPlus writes "+" before a positive number.
std::string FormatDecimal(const Decimal& value, bool explicitPlus = false);

// The number a value field text stands for, with all the digits typed and the
// exponent as typed: the longest prefix that the decimal reader takes as a
// number (white space first, then a sign, digits with at most one point, and
// an exponent part with "e", "E", "d" or "D" when digits follow it).
struct TypedDecimal {
    bool numberFound = false;  // false: no number at the start, it reads as 0
    bool textAfter = false;    // the text goes on after the number
    Decimal value;             // value.scale is not held when hugeExponent is set
    // The exponent part has more than fifteen digits: the number is then shown
    // in scientific notation with this exponent.
    bool hugeExponent = false;
    bool scientificExponentNegative = false;
    BigUnsigned scientificExponent;
};

TypedDecimal ReadTypedDecimal(std::u16string_view text);

// The typed number as FormatDecimal writes it, also for a huge exponent.
std::string FormatTyped(const TypedDecimal& typed, bool explicitPlus = false);

}  // namespace zelquin::cli
