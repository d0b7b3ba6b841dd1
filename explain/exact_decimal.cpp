// Exact decimal values by integer arithmetic: a binary number m * 2^e is
// m * 5^-e * 10^e when e is negative, and a plain integer otherwise.
#include "exact_decimal.h"

#include <cassert>

#include "big_unsigned.h"

namespace zelquin::explain {
namespace {

using exact::BigUnsigned;

constexpr std::int64_t kMaxPositionalIntegerDigits = 400;
constexpr std::int64_t kMaxPositionalDecimals = 1100;

// x * 5^n or x * 10^n, n >= 0, by the largest power that fits one limb.
void MultiplyByPowerOfFive(BigUnsigned& x, std::int64_t n) {
    for (; n >= 13; n -= 13) x *= 1220703125u;
    for (; n > 0; --n) x *= 5u;
}

void MultiplyByPowerOfTen(BigUnsigned& x, std::int64_t n) {
    for (; n >= 9; n -= 9) x *= 1000000000u;
    for (; n > 0; --n) x *= 10u;
}

// The decimal of (-1)^negative * magnitude * 10^scale, digits normalised.
Decimal FromBig(bool negative, const BigUnsigned& magnitude, std::int64_t scale) {
    Decimal result;
    if (magnitude.IsZero()) return result;
    result.negative = negative;
    result.digits = magnitude.ToDecimal();
    std::size_t end = result.digits.size();
    while (result.digits[end - 1] == '0') --end;
    result.scale = scale + static_cast<std::int64_t>(result.digits.size() - end);
    result.digits.resize(end);
    return result;
}

}  // namespace

std::string ScientificText(bool negative, const std::string& digits, bool exponentNegative,
                           const std::string& exponent, bool explicitPlus) {
    std::string text = negative ? "-" : (explicitPlus ? "+" : "");
    text += digits[0];
    if (digits.size() > 1) {
        text += '.';
        text.append(digits, 1);
    }
    text += exponentNegative ? "e-" : "e+";
    text += exponent;
    return text;
}

Decimal BinaryToDecimal(bool negative, std::uint64_t significand, int exponent) {
    BigUnsigned magnitude(significand);
    if (exponent >= 0) {
        magnitude <<= exponent;
    } else {
        MultiplyByPowerOfFive(magnitude, -exponent);
    }
    Decimal result = FromBig(negative, magnitude, exponent >= 0 ? 0 : exponent);
    result.negative = negative;  // -0 keeps its sign
    return result;
}

Decimal Subtract(const Decimal& a, const Decimal& b) {
    if (b.digits.empty()) return a.digits.empty() ? Decimal{} : a;
    Decimal minusB = b;
    minusB.negative = !b.negative;
    if (a.digits.empty()) return minusB;

    // Both on the smaller scale.
    assert(a.scale - b.scale <= kMaxScaleDistance && b.scale - a.scale <= kMaxScaleDistance);
    const std::int64_t scale = a.scale < b.scale ? a.scale : b.scale;
    BigUnsigned x = BigUnsigned::FromDecimal(a.digits);
    BigUnsigned y = BigUnsigned::FromDecimal(b.digits);
    MultiplyByPowerOfTen(x, a.scale - scale);
    MultiplyByPowerOfTen(y, b.scale - scale);

    if (a.negative != b.negative) return FromBig(a.negative, x + y, scale);
    if (x >= y) return FromBig(a.negative, x - y, scale);
    return FromBig(!a.negative, y - x, scale);
}

std::string FormatDecimal(const Decimal& value, bool explicitPlus) {
    if (value.digits.empty()) return value.negative ? "-0" : "0";
    const std::string& digits = value.digits;
    const std::int64_t length = static_cast<std::int64_t>(digits.size());
    const std::int64_t integerDigits = length + value.scale;
    const std::int64_t decimals = value.scale < 0 ? -value.scale : 0;

    if (integerDigits > kMaxPositionalIntegerDigits || decimals > kMaxPositionalDecimals) {
        const std::int64_t exponent = integerDigits - 1;
        return ScientificText(value.negative, digits, exponent < 0,
                              std::to_string(exponent < 0 ? -exponent : exponent), explicitPlus);
    }

    std::string text = value.negative ? "-" : (explicitPlus ? "+" : "");
    if (value.scale >= 0) {
        text += digits;
        text.append(static_cast<std::size_t>(value.scale), '0');
    } else if (integerDigits > 0) {
        text.append(digits, 0, static_cast<std::size_t>(integerDigits));
        text += '.';
        text.append(digits, static_cast<std::size_t>(integerDigits));
    } else {
        text += "0.";
        text.append(static_cast<std::size_t>(-integerDigits), '0');
        text += digits;
    }
    return text;
}

}  // namespace zelquin::explain
