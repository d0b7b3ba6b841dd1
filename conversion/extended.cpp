// Extended multiplication and scaling by powers of ten.
#include "extended.h"

#include <bit>
#include <cassert>

#include "power_tables.h"
#include "wide_arithmetic.h"

namespace zelquin {
namespace {

// The limits of a product, on the sum of the operands' biased exponents. The
// product of two significands in [1, 2) lies in [1, 4), so the product is
// about 2^(Xa + Xb - 2 * bias): above 3 * bias it counts as infinite; at or
// below bias - 64, some 64 binades below the smallest normal extended value,
// it counts as zero.
constexpr int kInfiniteExponentSum = 3 * kExtendedBias;  // 49149
constexpr int kZeroExponentSum = kExtendedBias - 64;     // 16319
// P holds the product's top 96 of 160 bits: bit 95 of P stands for 2^1 of the
// significands' product, so its exponent is Xa + Xb - bias + 1.
constexpr int kProductExponentOffset = kExtendedBias - 1;  // 16382

constexpr ExtendedValue kZero{0, 0, 0, false};

constexpr ExtendedValue Infinity(bool negative) {
    return ExtendedValue{0x8000000000000000u, 0, kExtendedInfinityExponent, negative};
}

// An unsigned 96-bit number: bits 32..95 in high, bits 0..31 in low.
struct Wide96 {
    std::uint64_t high;
    std::uint32_t low;
};

// The sum over the limb pairs (i, j) with i + j >= 4 of a_i * b_j *
// 2^(16 * (i + j - 4)): the upper part of the 160-bit product without the
// carries of the pairs below, which are never formed.
//
// With A = limbs 4..1 and B likewise, A * B holds every pair with i, j >= 1 at
// weight 2^(16 * (i + j - 2)); taking away the three pairs (1,1), (1,2),
// (2,1) leaves a multiple of 2^32 that is the wanted sum times 2^32. The pairs
// with limb 0 that count are a0 * b4 and a4 * b0, at weight 1.
Wide96 TruncatedProduct(const ExtendedValue& a, const ExtendedValue& b) {
    const Wide128 full = Multiply64(a.significandHigh, b.significandHigh);
    const std::uint64_t a1 = Limb(a, 1), a2 = Limb(a, 2), a4 = Limb(a, 4);
    const std::uint64_t b1 = Limb(b, 1), b2 = Limb(b, 2), b4 = Limb(b, 4);
    const std::uint64_t belowFour = a1 * b1 + ((a1 * b2 + a2 * b1) << 16);  // below 2^50
    std::uint64_t low = full.low - belowFour;
    std::uint64_t high = full.high - (full.low < belowFour ? 1 : 0);
    // Now low's bits 0..31 are zero; divide by 2^32.
    std::uint64_t sumHigh = high;      // bits 32..95 of P
    std::uint64_t sumLow = low >> 32;  // bits 0..31 of P
    sumLow += std::uint64_t{a.significandLow} * b4 + std::uint64_t{b.significandLow} * a4;
    sumHigh += sumLow >> 32;
    return Wide96{sumHigh, static_cast<std::uint32_t>(sumLow)};
}

int CountLeadingZeros96(const Wide96& p) {
    if (p.high != 0) return std::countl_zero(p.high);
    return 64 + std::countl_zero(p.low);
}

// Shifts left by 1 to 95 bits that are known to be leading zeros.
Wide96 ShiftLeft96(const Wide96& p, int shift) {
    const std::uint64_t low = p.low;
    if (shift >= 64) return Wide96{low << (shift - 32), 0};
    if (shift >= 32) return Wide96{(p.high << shift) | (low << (shift - 32)), 0};
    return Wide96{(p.high << shift) | (low >> (32 - shift)),
                  static_cast<std::uint32_t>(low << shift)};
}

// Shifts right by 1 to 63 bits; any bit shifted out sets bit 0 of the result.
Wide96 ShiftRightSticky96(const Wide96& p, int shift) {
    std::uint64_t high = p.high;
    std::uint64_t low = p.low;
    bool lost;
    if (shift < 32) {
        lost = (low & ((std::uint64_t{1} << shift) - 1)) != 0;
        low = ((low >> shift) | (high << (32 - shift))) & 0xFFFFFFFFu;
        high >>= shift;
    } else {
        const int s = shift - 32;  // 0 to 31
        lost = low != 0 || (high & ((std::uint64_t{1} << s) - 1)) != 0;
        low = (high >> s) & 0xFFFFFFFFu;
        high >>= 32 + s;
    }
    if (lost) low |= 1;
    return Wide96{high, static_cast<std::uint32_t>(low)};
}

}  // namespace

ExtendedValue ExtendedMultiply(const ExtendedValue& a, const ExtendedValue& b) {
    const bool negative = a.negative != b.negative;
    int xa = a.exponent;
    int xb = b.exponent;

    // The limits come first, so an infinite operand wins even over a zero.
    if (xa == kExtendedInfinityExponent || xb == kExtendedInfinityExponent ||
        xa + xb > kInfiniteExponentSum) {
        return Infinity(negative);
    }
    if (xa + xb <= kZeroExponentSum) return kZero;

    const bool aZero = a.significandHigh == 0 && a.significandLow == 0;
    const bool bZero = b.significandHigh == 0 && b.significandLow == 0;
    if (xa == 0) {
        if (aZero) return kZero;
        xa = 1;
    }
    if (xb == 0) {
        if (bZero) return kZero;
        xb = 1;
    }

    Wide96 p = TruncatedProduct(a, b);
    int e = xa + xb - kProductExponentOffset;

    // Normalise so that bit 95 is set, as far as the exponent allows.
    if (e > 0) {
        const bool pZero = p.high == 0 && p.low == 0;
        const int room = pZero ? e : CountLeadingZeros96(p);
        const int shift = room < e ? room : e;
        if (!pZero && shift > 0) p = ShiftLeft96(p, shift);
        e -= shift;
    }
    if (e <= 0) {
        // Extended subnormal: e > -63 because xa + xb > kZeroExponentSum.
        p = ShiftRightSticky96(p, 1 - e);
        e = 0;
    }

    // Round the 96 bits to 80: r is the low 16 bits, ties go to even.
    const std::uint32_t r = p.low & 0xFFFFu;
    std::uint64_t high = p.high;
    std::uint16_t low = static_cast<std::uint16_t>(p.low >> 16);
    if (r > 0x8000u || (r == 0x8000u && (low & 1u) != 0)) {
        ++low;
        if (low == 0) {
            ++high;
            if (high == 0) {  // reached 2^80
                high = 0x8000000000000000u;
                ++e;
            }
        }
    }
    if (e >= kExtendedInfinityExponent) return Infinity(negative);
    return ExtendedValue{high, low, static_cast<std::uint16_t>(e), negative};
}

ExtendedValue ScaleByPowerOfTen(const ExtendedValue& x, int n, bool clearLowestLimb) {
    assert(n >= -kLargestScale && n <= kLargestScale);
    if (n == 0) return x;
    ExtendedValue result = x;
    if (clearLowestLimb) result.significandLow = 0;
    const ExtendedValue* table = n > 0 ? PositivePowersOfTen : NegativePowersOfTen;
    unsigned m = static_cast<unsigned>(n > 0 ? n : -n);
    for (int group = 0; m != 0 && group < 5; ++group) {
        const unsigned digit = m % 8;
        m /= 8;
        if (digit != 0) result = ExtendedMultiply(result, table[7 * group + digit - 1]);
    }
    return result;
}

}  // namespace zelquin
