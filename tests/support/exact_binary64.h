// Exact arithmetic on binary64 values for the cross-checks: a value's decimal
// exponent, its correctly rounded seventeen significant digits, the
// nearest binary64 of a positive rational, and mixed samples of bit patterns.
// Everything here works on the bits and on BigUnsigned; no floating-point
// arithmetic or library conversion is involved.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "big_unsigned.h"
#include "binary_format.h"

namespace zelquin::exact {

// Bits of exact integers that only the checks need.
inline BigUnsigned PowerOfTwo(int n) { return BigUnsigned(1) << n; }
inline bool Bit(const BigUnsigned& x, int index) {
    return index >= 0 && ((x >> index).Low64() & 1) != 0;
}
// True if any of the bits below `index` is set.
inline bool AnyBitBelow(const BigUnsigned& x, int index) {
    return index > 0 && ((x >> index) << index) != x;
}
inline bool FitsIn64(const BigUnsigned& x) { return x.BitLength() <= 64; }

inline constexpr std::uint64_t kSignBit = kBinary64.SignBit();
inline constexpr std::uint64_t kFractionMask = kBinary64.FractionMask();
inline constexpr std::uint64_t kImplicitBit = kBinary64.ImplicitBit();
inline constexpr std::uint64_t kLargestFiniteMagnitude = kBinary64.Infinity() - 1;

inline bool IsFinite(std::uint64_t bits) {
    return (bits & kBinary64.ExponentMask()) != kBinary64.ExponentMask();
}
inline bool IsNegative(std::uint64_t bits) { return (bits & kSignBit) != 0; }

// A finite binary64 as negative? -significand * 2^exponent : significand * 2^exponent.
struct Binary64Parts {
    bool negative;
    std::uint64_t significand;
    int exponent;
};

// One unit in the last place of a finite binary64, as a power of two.
inline int UlpExponent(std::uint64_t bits) {
    const int biased = SplitFields(bits, kBinary64).exponentField;
    return kBinary64.SubnormalUnitExponent() + (biased == 0 ? 0 : biased - 1);
}

inline Binary64Parts Decompose(std::uint64_t bits) {
    assert(IsFinite(bits));
    const BinaryFields f = SplitFields(bits, kBinary64);
    return {f.negative, f.exponentField == 0 ? f.fraction : f.fraction | kImplicitBit,
            UlpExponent(bits)};
}

inline const BigUnsigned& PowerOfTen(int n) {
    static const std::vector<BigUnsigned> powers = [] {
        std::vector<BigUnsigned> table{BigUnsigned(1)};
        for (int i = 1; i <= 400; ++i) table.push_back(table.back() * 10u);
        return table;
    }();
    assert(n >= 0 && n < static_cast<int>(powers.size()));
    return powers[static_cast<std::size_t>(n)];
}

// floor(|x| * 10^t) for a finite binary64 x, and whether that dropped a
// non-zero fraction.
struct ScaledInteger {
    BigUnsigned value;
    bool inexact;
};

inline ScaledInteger ScaleByPowerOfTenExactly(std::uint64_t bits, int t) {
    Binary64Parts parts = Decompose(bits);
    BigUnsigned significand(parts.significand);
    if (t >= 0) {
        BigUnsigned product = significand * PowerOfTen(t);
        if (parts.exponent >= 0) return {product << parts.exponent, false};
        BigUnsigned quotient = product >> -parts.exponent;
        return {quotient, (quotient << -parts.exponent) != product};
    }
    // floor(floor(a / b) / c) = floor(a / (b * c)) for positive integers.
    BigUnsigned quotient = significand;
    bool inexact = false;
    if (parts.exponent >= 0) {
        quotient = significand << parts.exponent;
    } else {
        quotient = significand >> -parts.exponent;
        inexact = (quotient << -parts.exponent) != significand;
    }
    for (int remaining = -t; remaining > 0; remaining -= 9) {
        std::uint32_t divisor = 1;
        for (int i = 0; i < std::min(remaining, 9); ++i) divisor *= 10;
        if (quotient.DivideInPlace(divisor) != 0) inexact = true;
    }
    return {quotient, inexact};
}

// K with 10^(K-1) <= |x| < 10^K, for a finite non-zero binary64 x.
inline int DecimalExponent(std::uint64_t bits) {
    Binary64Parts parts = Decompose(bits);
    assert(parts.significand != 0);
    // |x| lies in [2^(b-1), 2^b); start from K ~ b * log10(2) and correct.
    int b = BigUnsigned(parts.significand).BitLength() + parts.exponent;
    int k = (b * 30103) / 100000;
    // floor(|x| * 10^(1-K)) is 0 when K is too large and 10 or more when too small.
    for (;;) {
        BigUnsigned leading = ScaleByPowerOfTenExactly(bits, 1 - k).value;
        if (leading.IsZero()) {
            --k;
        } else if (leading >= BigUnsigned(10)) {
            ++k;
        } else {
            return k;
        }
    }
}

inline constexpr std::uint64_t kTenToThe16 = 10000000000000000u;
inline constexpr std::uint64_t kTenToThe17 = 100000000000000000u;

// Seventeen significant digits: magnitude ~ digits * 10^(exponent - 17), with
// digits in [10^16, 10^17).
struct Digits17 {
    bool negative;
    std::uint64_t digits;
    int exponent;
};

// The correctly rounded seventeen significant digits (halves to even) of a
// finite non-zero binary64.
inline Digits17 CorrectlyRounded17(std::uint64_t bits) {
    int exponent = DecimalExponent(bits);
    // Eighteen digits, the last one only for rounding, and the sticky rest.
    ScaledInteger eighteen = ScaleByPowerOfTenExactly(bits, 18 - exponent);
    assert(FitsIn64(eighteen.value));
    std::uint64_t digits = eighteen.value.Low64() / 10;
    std::uint64_t next = eighteen.value.Low64() % 10;
    assert(digits >= kTenToThe16 && digits < kTenToThe17);
    bool up = next > 5 || (next == 5 && (eighteen.inexact || digits % 2 == 1));
    if (up && ++digits == kTenToThe17) {
        digits = kTenToThe16;
        ++exponent;
    }
    return {IsNegative(bits), digits, exponent};
}

// Binary64 bits of significand * 2^exponent with the significand in
// [2^52, 2^53); below the normal range the significand is cut (truncated) to
// a subnormal. For building sample values, not for rounding.
inline std::uint64_t ComposeTruncated(std::uint64_t significand, int exponent) {
    assert(significand >= kImplicitBit && significand < 2 * kImplicitBit);
    int biased = exponent + 1075;
    assert(biased <= 2046);
    if (biased >= 1) {
        return (static_cast<std::uint64_t>(biased) << 52) | (significand & kFractionMask);
    }
    int shift = 1 - biased;
    return shift >= 64 ? 0 : significand >> shift;
}

// A binary64 at or just below n > 0 (the integer cut to 53 bits).
inline std::uint64_t TruncatedFromInteger(std::uint64_t n) {
    assert(n != 0);
    BigUnsigned big(n);
    int length = big.BitLength();
    if (length <= 53) return ComposeTruncated(n << (53 - length), length - 53);
    return ComposeTruncated(n >> (length - 53), length - 53);
}

// Binary64 bits at or just below 10^k, for -323 <= k <= 308.
inline std::uint64_t TruncatedPowerOfTen(int k) {
    assert(k >= -323 && k <= 308);
    if (k >= 0) {
        const BigUnsigned& power = PowerOfTen(k);
        int length = power.BitLength();
        std::uint64_t top =
            length <= 53 ? (power << (53 - length)).Low64() : (power >> (length - 53)).Low64();
        return ComposeTruncated(top, length - 53);
    }
    // 2^t / 10^-k lies in (2^52, 2^53) for t = 52 + bit length of 10^-k.
    const BigUnsigned& power = PowerOfTen(-k);
    int t = 52 + power.BitLength();
    BigUnsigned quotient, remainder;
    DivMod(PowerOfTwo(t), power, quotient, remainder);
    return ComposeTruncated(quotient.Low64(), -t);
}

// TruncatedPowerOfTen, computed once for all k.
inline std::uint64_t CachedTruncatedPowerOfTen(int k) {
    static const std::vector<std::uint64_t> table = [] {
        std::vector<std::uint64_t> bits;
        for (int i = -323; i <= 308; ++i) bits.push_back(TruncatedPowerOfTen(i));
        return bits;
    }();
    return table[static_cast<std::size_t>(k + 323)];
}

// The binary64 nearest to numerator / denominator > 0 (halves to even), for
// quotients inside the normal range.
inline std::uint64_t NearestBinary64(const BigUnsigned& numerator, const BigUnsigned& denominator) {
    assert(!numerator.IsZero() && !denominator.IsZero());
    // Scale so the integer quotient has 54 or 55 bits.
    int shift = 54 - (numerator.BitLength() - denominator.BitLength());
    BigUnsigned quotient, remainder;
    if (shift >= 0) {
        DivMod(numerator << shift, denominator, quotient, remainder);
    } else {
        DivMod(numerator, denominator << -shift, quotient, remainder);
    }
    int extra = quotient.BitLength() - 53;
    assert(extra >= 1 && extra <= 2);
    std::uint64_t significand = (quotient >> extra).Low64();
    bool half = Bit(quotient, extra - 1);
    bool sticky = AnyBitBelow(quotient, extra - 1) || !remainder.IsZero();
    if (half && (sticky || significand % 2 == 1)) ++significand;
    int exponent = extra - shift;
    if (significand == 2 * kImplicitBit) {
        significand = kImplicitBit;
        ++exponent;
    }
    assert(exponent + 1075 >= 1 && exponent + 1075 <= 2046);
    return ComposeTruncated(significand, exponent);
}

// A signed rational sign * magnitude * 2^twos * 10^tens, for exact sums and
// comparisons of binary64 values, decimal texts and error bounds.
struct ScaledValue {
    bool negative;
    BigUnsigned magnitude;
    int twos;
    int tens;
};

inline ScaledValue ScaledFromBits(std::uint64_t bits) {
    Binary64Parts parts = Decompose(bits);
    return {parts.negative, BigUnsigned(parts.significand), parts.exponent, 0};
}

// The values as signed integers over a common denominator 2^-minTwos *
// 10^-minTens: returns magnitudes, with the signs in `negatives`.
inline std::vector<BigUnsigned> CommonScale(const std::vector<ScaledValue>& values) {
    int minTwos = 0, minTens = 0;
    for (const ScaledValue& v : values) {
        minTwos = std::min(minTwos, v.twos);
        minTens = std::min(minTens, v.tens);
    }
    std::vector<BigUnsigned> scaled;
    for (const ScaledValue& v : values) {
        scaled.push_back((v.magnitude * PowerOfTen(v.tens - minTens)) << (v.twos - minTwos));
    }
    return scaled;
}

// |a - b| <= sum of the bounds (all bounds non-negative), exactly.
inline bool WithinDistance(const ScaledValue& a, const ScaledValue& b,
                           const std::vector<ScaledValue>& bounds) {
    std::vector<ScaledValue> all{a, b};
    all.insert(all.end(), bounds.begin(), bounds.end());
    std::vector<BigUnsigned> scaled = CommonScale(all);
    bool aNegative = a.negative && !a.magnitude.IsZero();
    bool bNegative = b.negative && !b.magnitude.IsZero();
    BigUnsigned distance;
    if (aNegative == bNegative) {
        distance = scaled[0] >= scaled[1] ? scaled[0] - scaled[1] : scaled[1] - scaled[0];
    } else {
        distance = scaled[0] + scaled[1];
    }
    BigUnsigned allowed;
    for (std::size_t i = 2; i < scaled.size(); ++i) {
        assert(!all[i].negative);
        allowed = allowed + scaled[i];
    }
    return distance <= allowed;
}

// A mixed sample of finite non-zero binary64 bit patterns of either sign:
// uniformly random patterns, subnormals, and values within a few units in the
// last place of powers of ten and of integers.
class Binary64Sampler {
  public:
    explicit Binary64Sampler(std::uint64_t seed) : random_(seed) {}

    std::uint64_t Next() {
        std::uint64_t sign = random_() & kSignBit;
        std::uint64_t magnitude = 0;
        switch (random_() % 20) {
            case 0:
            case 1:
            case 2:  // subnormal, with a random number of significant bits
                magnitude = (random_() & kFractionMask) >> (random_() % 52);
                break;
            case 3:
            case 4:
            case 5:
                magnitude =
                    Nudge(CachedTruncatedPowerOfTen(static_cast<int>(random_() % 632) - 323));
                break;
            case 6:
            case 7:
            case 8: {
                int length = 1 + static_cast<int>(random_() % 64);
                std::uint64_t n = (random_() >> (64 - length)) | (std::uint64_t{1} << (length - 1));
                magnitude = Nudge(TruncatedFromInteger(n));
                break;
            }
            default:
                magnitude = random_() & ~kSignBit;
                break;
        }
        if (magnitude == 0 || magnitude > kLargestFiniteMagnitude) return Next();
        return sign | magnitude;
    }

  private:
    // A few units in the last place either way, staying positive and finite.
    std::uint64_t Nudge(std::uint64_t magnitude) {
        std::int64_t delta = static_cast<std::int64_t>(random_() % 9) - 4;
        if (delta < 0 && magnitude <= static_cast<std::uint64_t>(-delta)) return magnitude;
        std::uint64_t nudged = magnitude + static_cast<std::uint64_t>(delta);
        return nudged > kLargestFiniteMagnitude ? magnitude : nudged;
    }

    std::mt19937_64 random_;
};

}  // namespace zelquin::exact
