// Exact decimal values by integer arithmetic: a binary number m * 2^e is
// m * 5^-e * 10^e when e is negative, and a plain integer otherwise.
//
// Each computation has a fast form and the plain one as its reference (the
// subtraction's is the tests' own, tests/support/exact_decimal_reference.h).
// They agree because both compute the same number exactly and a decimal
// written without leading and trailing zeros has one set of digits and one
// scale: the fast forms only compute in base 10^9, where the digits are read
// off the limbs, in place of base 2^32, where they come from repeated
// division, and the subtraction works on the digits themselves.
// tests/explain_test.cpp compares them.
#include "exact_decimal.h"

#include <cassert>

#include "big_unsigned.h"

namespace zelquin::explain {
namespace {

using exact::BigUnsigned;

constexpr std::int64_t kMaxPositionalIntegerDigits = 400;
constexpr std::int64_t kMaxPositionalDecimals = 1100;

// x * 5^n, n >= 0, by the largest power that fits one limb.
void MultiplyByPowerOfFive(BigUnsigned& x, std::int64_t n) {
    for (; n >= 13; n -= 13) x *= 1220703125u;
    for (; n > 0; --n) x *= 5u;
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

void AppendScientificText(bool negative, const std::string& digits, bool exponentNegative,
                          const std::string& exponent, bool explicitPlus, std::string& out) {
    if (negative) {
        out += '-';
    } else if (explicitPlus) {
        out += '+';
    }
    out += digits[0];
    if (digits.size() > 1) {
        out += '.';
        out.append(digits, 1);
    }
    out += exponentNegative ? "e-" : "e+";
    out += exponent;
}

Decimal BinaryToDecimalReference(bool negative, std::uint64_t significand, int exponent) {
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

void AppendDecimal(const Decimal& value, bool explicitPlus, std::string& out) {
    if (value.digits.empty()) {
        out += value.negative ? "-0" : "0";
        return;
    }
    const std::string& digits = value.digits;
    const std::int64_t length = static_cast<std::int64_t>(digits.size());
    const std::int64_t integerDigits = length + value.scale;
    const std::int64_t decimals = value.scale < 0 ? -value.scale : 0;

    if (integerDigits > kMaxPositionalIntegerDigits || decimals > kMaxPositionalDecimals) {
        const std::int64_t exponent = integerDigits - 1;
        AppendScientificText(value.negative, digits, exponent < 0,
                             std::to_string(exponent < 0 ? -exponent : exponent), explicitPlus,
                             out);
        return;
    }

    if (value.negative) {
        out += '-';
    } else if (explicitPlus) {
        out += '+';
    }
    if (value.scale >= 0) {
        out += digits;
        out.append(static_cast<std::size_t>(value.scale), '0');
    } else if (integerDigits > 0) {
        out.append(digits, 0, static_cast<std::size_t>(integerDigits));
        out += '.';
        out.append(digits, static_cast<std::size_t>(integerDigits));
    } else {
        out += "0.";
        out.append(static_cast<std::size_t>(-integerDigits), '0');
        out += digits;
    }
}

std::string FormatDecimal(const Decimal& value, bool explicitPlus) {
    std::string text;
    AppendDecimal(value, explicitPlus, text);
    return text;
}

bool ScaleBinary(std::uint64_t m, int e, bool withQuarter, ScaledBinary& out) {
    if (m >= std::uint64_t{250000000000000000}) return false;  // 4m below 10^18
    if (e >= 2) {
        if (e - 2 > kMaxTabledPower) return false;
        out.decimals = 0;
        if (withQuarter) SetPowerOfTwo(out.quarterUnit, e - 2);
        return SetPowerOfTwo(out.value, e - 2, 4 * m);
    }
    if (2 - e > kMaxTabledPower) return false;
    out.decimals = 2 - e;
    if (withQuarter) SetPowerOfFive(out.quarterUnit, 2 - e);
    return SetPowerOfFive(out.value, 2 - e, 4 * m);
}

void DecimalOfScaled(bool negative, const ScaledBinary& scaled, Decimal& out) {
    out.negative = negative;
    out.digits.clear();
    out.scale = 0;
    if (scaled.value.count == 0) return;
    const int zeros = TrailingZeros(scaled.value);
    AppendDigits(scaled.value, DigitCount(scaled.value), zeros, out.digits);
    out.scale = zeros - scaled.decimals;
}

void AppendScaledText(bool negative, const ScaledBinary& scaled, std::string& out) {
    const DecimalLimbs& v = scaled.value;
    const int length = DigitCount(v);
    const int zeros = TrailingZeros(v);
    const int decimals = scaled.decimals;
    if (length == 0 || length - decimals > kMaxPositionalIntegerDigits ||
        decimals - zeros > kMaxPositionalDecimals) {
        Decimal value;
        DecimalOfScaled(negative, scaled, value);
        AppendDecimal(value, false, out);
        return;
    }
    if (negative) out += '-';
    // The digits at the places 10^(length-1) down to 10^decimals, then the
    // point and the places below down to the last that is not 0.
    if (length > decimals) {
        AppendDigits(v, length, decimals, out);
    } else {
        out += '0';
    }
    if (zeros < decimals) {
        out += '.';
        AppendDigits(v, decimals, zeros, out);
    }
}

void BinaryToDecimal(bool negative, std::uint64_t significand, int exponent, Decimal& out) {
    ScaledBinary scaled;
    if (!ScaleBinary(significand, exponent, false, scaled)) {
        out = BinaryToDecimalReference(negative, significand, exponent);
        return;
    }
    DecimalOfScaled(negative, scaled, out);
}

Decimal BinaryToDecimal(bool negative, std::uint64_t significand, int exponent) {
    Decimal result;
    BinaryToDecimal(negative, significand, exponent, result);
    return result;
}

namespace {

// |a| against |b|, both not zero.
int CompareMagnitudes(const Decimal& a, const Decimal& b) {
    const std::int64_t aTop = a.scale + static_cast<std::int64_t>(a.digits.size());
    const std::int64_t bTop = b.scale + static_cast<std::int64_t>(b.digits.size());
    if (aTop != bTop) return aTop < bTop ? -1 : 1;  // the first digit is not 0
    const std::size_t common =
        a.digits.size() < b.digits.size() ? a.digits.size() : b.digits.size();
    const int c = a.digits.compare(0, common, b.digits, 0, common);
    if (c != 0) return c < 0 ? -1 : 1;
    // One is the other's beginning: the longer has more digits that are not
    // all 0, as the last digit is not 0.
    if (a.digits.size() == b.digits.size()) return 0;
    return a.digits.size() < b.digits.size() ? -1 : 1;
}

}  // namespace

// The reference brings both numbers to the smaller scale as big integers and
// adds or subtracts them by their signs; this does the same on the digits,
// place by place with carries, which is exact at every place, so the
// difference is the same number and, written without the zeros at either
// end, the same digits and scale.
void Subtract(const Decimal& a, const Decimal& b, Decimal& out) {
    out.digits.clear();
    out.negative = false;
    out.scale = 0;
    if (b.digits.empty()) {
        if (!a.digits.empty()) {
            out.negative = a.negative;
            out.digits = a.digits;
            out.scale = a.scale;
        }
        return;
    }
    if (a.digits.empty()) {
        out.negative = !b.negative;
        out.digits = b.digits;
        out.scale = b.scale;
        return;
    }
    assert(a.scale - b.scale <= kMaxScaleDistance && b.scale - a.scale <= kMaxScaleDistance);
    // |a| + |b| for opposite signs, with a's sign; otherwise the smaller
    // magnitude taken from the larger, with the larger's sign as a - b has it.
    const bool add = a.negative != b.negative;
    const int order = add ? 1 : CompareMagnitudes(a, b);
    if (order == 0) return;
    const Decimal& large = order > 0 ? a : b;
    const Decimal& small = order > 0 ? b : a;
    out.negative = order > 0 ? a.negative : !a.negative;

    const std::int64_t low = a.scale < b.scale ? a.scale : b.scale;
    const std::int64_t largeTop = large.scale + static_cast<std::int64_t>(large.digits.size());
    const std::int64_t smallTop = small.scale + static_cast<std::int64_t>(small.digits.size());
    const std::int64_t high = (largeTop > smallTop ? largeTop : smallTop) + (add ? 1 : 0);
    // Digit values by place, the top place first: the large number's, plus or
    // minus the small one's, then the carries from the lowest place up. The
    // values stay within -9 and 18 until then.
    std::string& digits = out.digits;
    digits.assign(static_cast<std::size_t>(high - low), '\0');
    char* const d = digits.data();
    char* const largeStart = d + (high - largeTop);
    for (std::size_t k = 0; k < large.digits.size(); ++k)
        largeStart[k] = static_cast<char>(large.digits[k] - '0');
    char* const smallStart = d + (high - smallTop);
    const int sign = add ? 1 : -1;
    for (std::size_t k = 0; k < small.digits.size(); ++k)
        smallStart[k] = static_cast<char>(smallStart[k] + sign * (small.digits[k] - '0'));
    int carry = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        int digit = static_cast<signed char>(d[i]) + carry;
        carry = digit >= 10 ? 1 : (digit < 0 ? -1 : 0);
        d[i] = static_cast<char>('0' + digit - 10 * carry);
    }
    const std::size_t first = digits.find_first_not_of('0');
    const std::size_t last = digits.find_last_not_of('0');
    out.scale = low + static_cast<std::int64_t>(digits.size() - 1 - last);
    digits.erase(last + 1);
    digits.erase(0, first);
}

Decimal Subtract(const Decimal& a, const Decimal& b) {
    Decimal result;
    Subtract(a, b, result);
    return result;
}

}  // namespace zelquin::explain
