// Exact decimal numbers: the stored value of a binary32 or binary64 with every
// digit, and its difference from the decimal typed into the value field.
#pragma once

#include <cstdint>
#include <string>

namespace zelquin::explain {

// (-1)^negative * digits * 10^scale. The digits have no leading and no
// trailing zero; empty digits are zero (negative for -0).
struct Decimal {
    bool negative = false;
    std::string digits;
    std::int64_t scale = 0;
};

// significand * 2^exponent, exactly.
Decimal BinaryToDecimal(bool negative, std::uint64_t significand, int exponent);

// a - b, exactly. The scales must lie within kMaxScaleDistance of each other
// unless one of the numbers is zero. A zero difference is +0.
inline constexpr std::int64_t kMaxScaleDistance = 20000;
Decimal Subtract(const Decimal& a, const Decimal& b);

// Plain positional notation ("0.1", "-340282346638528859811704183484516925440")
// while the number has at most 400 integer digits and 1100 decimals, which
// covers every binary64; otherwise scientific notation with every digit
// ("1.5e-5000"). explicitPlus writes "+" before a positive number.
std::string FormatDecimal(const Decimal& value, bool explicitPlus = false);

// "d.ddde+x" or "d.ddde-x" from the digits (at least one) and the exponent's
// decimal digits.
std::string ScientificText(bool negative, const std::string& digits, bool exponentNegative,
                           const std::string& exponent, bool explicitPlus);

}  // namespace zelquin::explain
