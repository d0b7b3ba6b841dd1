// Correct rounding by exact integer arithmetic: the shortest decimal by the
// free-format digit generation (the value and its rounding interval as exact
// fractions, one digit at a time until the digits left on either side would
// leave the interval), and the nearest pattern by comparisons with the
// midpoints between neighbouring patterns.
#include "correct_rounding.h"

#include "big_unsigned.h"

namespace zelquin::explain {
namespace {

using exact::BigUnsigned;

// A finite magnitude pattern (the sign bit clear) as m * 2^e. The infinity
// pattern gives 2^(emax + 1), the number a rounding past the largest finite
// magnitude reaches, which is where the format's grid goes on.
struct GridPoint {
    std::uint64_t m;
    int e;
};

GridPoint PointOf(std::uint64_t magnitude, const BinaryFormat& format) {
    const BinaryFields f = SplitFields(magnitude, format);
    const std::uint64_t m = f.exponentField == 0 ? f.fraction : f.fraction | format.ImplicitBit();
    return GridPoint{
        m, format.SubnormalUnitExponent() + (f.exponentField == 0 ? 0 : f.exponentField - 1)};
}

// floor(x * log10(2)) for |x| < 2^13, or one more when x * log10(2) lies
// within 2e-4 below an integer: 78913 / 2^18 exceeds log10(2) by 1.6e-7.
int ApproximateDecimalExponent(int binaryExponent) { return (binaryExponent * 78913) >> 18; }

// Multiplies by 10^n, n >= 0.
void MultiplyByPowerOfTen(BigUnsigned& x, int n) {
    for (; n >= 9; n -= 9) x *= 1000000000u;
    for (; n > 0; --n) x *= 10u;
}

// The ECMAScript form of 0.digits * 10^exponent.
std::string ScriptNumberText(bool negative, const std::string& digits, int exponent) {
    const int count = static_cast<int>(digits.size());
    std::string text = negative ? "-" : "";
    if (count <= exponent && exponent <= 21) {
        text += digits;
        text.append(static_cast<std::size_t>(exponent - count), '0');
    } else if (0 < exponent && exponent <= 21) {
        text.append(digits, 0, static_cast<std::size_t>(exponent));
        text += '.';
        text.append(digits, static_cast<std::size_t>(exponent));
    } else if (-6 < exponent && exponent <= 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-exponent), '0');
        text += digits;
    } else {
        text += digits[0];
        if (count > 1) {
            text += '.';
            text.append(digits, 1);
        }
        const int power = exponent - 1;
        text += power < 0 ? "e-" : "e+";
        text += std::to_string(power < 0 ? -power : power);
    }
    return text;
}

}  // namespace

std::string ShortestText(std::uint64_t bits, const BinaryFormat& format) {
    const bool negative = (bits & format.SignBit()) != 0;
    switch (Classify(bits, format)) {
        case NumberClass::Zero:
            return negative ? "-0" : "0";
        case NumberClass::Infinity:
            return negative ? "-Infinity" : "Infinity";
        case NumberClass::Normal:
        case NumberClass::Subnormal:
            break;
        default:
            return "NaN";
    }
    const GridPoint v = PointOf(bits & ~format.SignBit(), format);
    // The patterns that read back to v are those within half a gap of it; the
    // gap below the lowest number of a binade (above the smallest) is half the
    // gap above. At the very edges the reader rounds to even: the interval
    // holds its ends when m is even.
    const bool even = (v.m & 1) == 0;
    const bool narrowBelow = v.m == format.ImplicitBit() && v.e > format.SubnormalUnitExponent();
    // value = r / s, interval (r - minus) / s to (r + plus) / s.
    const int scale = narrowBelow ? 2 : 1;
    BigUnsigned r(v.m);
    BigUnsigned s(1);
    BigUnsigned plus(narrowBelow ? 2 : 1);
    BigUnsigned minus(1);
    r <<= scale;
    if (v.e >= 0) {
        r <<= v.e;
        plus <<= v.e;
        minus <<= v.e;
        s <<= scale;
    } else {
        s <<= scale - v.e;
    }

    // The decimal exponent k, with 10^(k-1) <= the top of the interval < 10^k
    // (the top itself counting as reached when it belongs to the interval):
    // the estimate is never above k.
    int bitLength = 0;
    for (std::uint64_t m = v.m; m != 0; m >>= 1) ++bitLength;
    int k = ApproximateDecimalExponent(bitLength + v.e - 1);
    if (k >= 0) {
        MultiplyByPowerOfTen(s, k);
    } else {
        MultiplyByPowerOfTen(r, -k);
        MultiplyByPowerOfTen(plus, -k);
        MultiplyByPowerOfTen(minus, -k);
    }
    for (;;) {
        const int top = Compare(r + plus, s);
        if (top < 0 || (top == 0 && !even)) break;
        s *= 10u;
        ++k;
    }

    // One digit at a time, until the number cut after this digit, or that
    // number raised by one unit of it, lies in the interval; of the two, the
    // nearer, and of two equally near, the even one.
    std::string digits;
    for (;;) {
        r *= 10u;
        plus *= 10u;
        minus *= 10u;
        int digit = 0;
        while (r >= s) {
            r -= s;
            ++digit;
        }
        const int low = Compare(r, minus);
        const int high = Compare(r + plus, s);
        const bool cutFits = low < 0 || (low == 0 && even);
        const bool raisedFits = high > 0 || (high == 0 && even);
        if (!cutFits && !raisedFits) {
            digits += static_cast<char>('0' + digit);
            continue;
        }
        if (cutFits && raisedFits) {
            const int half = Compare(r + r, s);
            if (half > 0 || (half == 0 && digit % 2 != 0)) ++digit;
        } else if (raisedFits) {
            ++digit;
        }
        // A raised 9 carries into the digits before it.
        while (digit == 10 && !digits.empty()) {
            digit = digits.back() - '0' + 1;
            digits.pop_back();
        }
        if (digit == 10) {
            digit = 1;
            ++k;
        }
        digits += static_cast<char>('0' + digit);
        break;
    }
    return ScriptNumberText(negative, digits, k);
}

// The magnitude pattern nearest to the positive number
// numerator * 2^twos / denominator, stepping from the magnitude of `start`.
std::uint64_t NearestMagnitude(const BigUnsigned& numerator, int twos,
                               const BigUnsigned& denominator, const BinaryFormat& format,
                               std::uint64_t start) {
    // The sign of the number minus the midpoint (2m + 1) * 2^(e - 1) above the
    // magnitude pattern c.
    const auto compareWithMidpointAbove = [&](std::uint64_t c) {
        const GridPoint p = PointOf(c, format);
        return CompareScaled(numerator, twos, BigUnsigned(2 * p.m + 1) * denominator, p.e - 1);
    };

    std::uint64_t c = start & ~format.SignBit();
    if (c > format.Infinity()) c = format.Infinity();
    for (;;) {
        if (c < format.Infinity()) {
            const int above = compareWithMidpointAbove(c);
            if (above > 0 || (above == 0 && (c & 1) != 0)) {
                ++c;
                continue;
            }
        }
        if (c > 0) {
            const int below = compareWithMidpointAbove(c - 1);
            if (below < 0 || (below == 0 && (c & 1) != 0)) {
                --c;
                continue;
            }
        }
        return c;
    }
}

std::uint64_t NearestPattern(const Decimal& value, bool hugeExponent, bool hugeNegative,
                             const BinaryFormat& format, std::uint64_t start) {
    const std::uint64_t sign = value.negative ? format.SignBit() : 0;
    if (value.digits.empty()) return sign;
    if (hugeExponent) return hugeNegative ? sign : sign | format.Infinity();
    // 10^(t-1) <= |value| < 10^t: beyond 10^310 every format overflows, and
    // below 10^-325 lies under half the smallest binary64 subnormal.
    const std::int64_t t = static_cast<std::int64_t>(value.digits.size()) + value.scale;
    if (t > 310) return sign | format.Infinity();
    if (t < -325) return sign;
    // |value| = digits * 5^scale * 2^scale, the power of five on whichever side
    // of the fraction keeps it whole.
    const int scale = static_cast<int>(value.scale);
    BigUnsigned numerator = BigUnsigned::FromDecimal(value.digits);
    BigUnsigned denominator(1);
    if (scale >= 0) {
        numerator = numerator * BigUnsigned::Power(5, scale);
    } else {
        denominator = BigUnsigned::Power(5, -scale);
    }
    return sign | NearestMagnitude(numerator, scale, denominator, format, start);
}

std::uint64_t NearestPatternOfBinary(bool negative, const BigUnsigned& significand, int exponent,
                                     const BinaryFormat& format, std::uint64_t start) {
    const std::uint64_t sign = negative ? format.SignBit() : 0;
    if (significand.IsZero()) return sign;
    return sign | NearestMagnitude(significand, exponent, BigUnsigned(1), format, start);
}

}  // namespace zelquin::explain
