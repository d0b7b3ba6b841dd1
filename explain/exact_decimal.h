// Exact decimal numbers: the stored value of a binary32 or binary64 with every
// digit, and its difference from the decimal typed into the value field.
#pragma once

#include <cstdint>
#include <string>

#include "decimal_limbs.h"

namespace zelquin::explain {

// (-1)^negative * digits * 10^scale. The digits have no leading and no
// trailing zero; empty digits are zero (negative for -0).
struct Decimal {
    bool negative = false;
    std::string digits;
    std::int64_t scale = 0;
};

// significand * 2^exponent, exactly. The fast form works in base 10^9
// (ScaleBinary) and takes the reference's path where that does not reach.
Decimal BinaryToDecimal(bool negative, std::uint64_t significand, int exponent);
void BinaryToDecimal(bool negative, std::uint64_t significand, int exponent, Decimal& out);
// The same by the plain integer arithmetic: the reference of the fast form.
Decimal BinaryToDecimalReference(bool negative, std::uint64_t significand, int exponent);

// A binary number m * 2^e in whole units of 10^-decimals, with a quarter of
// the unit 2^e in the same units: for e >= 2 the unit is 1, value = 4m * 2^(e-2)
// and quarterUnit = 2^(e-2); otherwise decimals = 2 - e, and as
// 2^-k = 5^k * 10^-k, value = 4m * 5^k and quarterUnit = 5^k with k = 2 - e.
// Both are exact, and the midpoints to the neighbours m +- 1 are value plus or
// minus twice the quarter.
struct ScaledBinary {
    DecimalLimbs value;
    DecimalLimbs quarterUnit;
    int decimals = 0;
};
// False where the limbs do not reach (4m >= 10^18, or |e - 2| above
// kMaxTabledPower): never for a binary32 or binary64. The quarter is left
// out unless asked for.
bool ScaleBinary(std::uint64_t m, int e, bool withQuarter, ScaledBinary& out);
// The scaled value as a Decimal, and as FormatDecimal writes it (appended).
void DecimalOfScaled(bool negative, const ScaledBinary& scaled, Decimal& out);
void AppendScaledText(bool negative, const ScaledBinary& scaled, std::string& out);

// a - b, exactly, digit by digit. The scales must lie within
// kMaxScaleDistance of each other unless one of the numbers is zero. A zero
// difference is +0.
inline constexpr std::int64_t kMaxScaleDistance = 20000;
Decimal Subtract(const Decimal& a, const Decimal& b);
void Subtract(const Decimal& a, const Decimal& b, Decimal& out);  // out is neither a nor b

// Plain positional notation ("0.1", "-340282346638528859811704183484516925440")
// while the number has at most 400 integer digits and 1100 decimals, which
// covers every binary64; otherwise scientific notation with every digit
// ("1.5e-5000"). explicitPlus writes "+" before a positive number.
std::string FormatDecimal(const Decimal& value, bool explicitPlus = false);
void AppendDecimal(const Decimal& value, bool explicitPlus, std::string& out);

// "d.ddde+x" or "d.ddde-x" from the digits (at least one) and the exponent's
// decimal digits.
void AppendScientificText(bool negative, const std::string& digits, bool exponentNegative,
                          const std::string& exponent, bool explicitPlus, std::string& out);

}  // namespace zelquin::explain
