// Extended multiplication and scaling by powers of ten.
#include "extended.h"

#include <bit>

namespace zelquin {
namespace {

constexpr ExtendedValue kZero{0, 0, 0, false};

constexpr ExtendedValue Infinity(bool negative) {
    return ExtendedValue{0x8000000000000000u, 0, kExtendedInfinityExponent, negative};
}

// An unsigned 96-bit number: bits 32..95 in high, bits 0..31 in low.
struct Wide96 {
    std::uint64_t high;
    std::uint32_t low;
};

// The upper part of the 160-bit product of two 80-bit significands, formed
// only from the limb pairs (i, j) with i + j >= 4, each weighted by
// 2^(16 * (i + j - 4)). The pairs below that are never formed, so their carries
// are missing, exactly as the arithmetic prescribes.
Wide96 TruncatedProduct(const ExtendedValue& a, const ExtendedValue& b) {
    std::uint64_t la[5], lb[5];
    for (int i = 0; i < 5; ++i) {
        la[i] = Limb(a, i);
        lb[i] = Limb(b, i);
    }
    // Column c collects the pairs with i + j = c + 4; at most five products of
    // two 16-bit limbs, so it stays below 2^35.
    std::uint64_t column[5] = {};
    for (int i = 0; i < 5; ++i) {
        for (int j = 4 - i; j < 5; ++j) {
            column[i + j - 4] += la[i] * lb[j];
        }
    }
    std::uint64_t limbs[6];
    std::uint64_t carry = 0;
    for (int c = 0; c < 5; ++c) {
        carry += column[c];
        limbs[c] = carry & 0xFFFF;
        carry >>= 16;
    }
    limbs[5] = carry;  // below 2^16: the product of two 80-bit numbers is below 2^160
    return Wide96{(limbs[5] << 48) | (limbs[4] << 32) | (limbs[3] << 16) | limbs[2],
                  static_cast<std::uint32_t>((limbs[1] << 16) | limbs[0])};
}

int CountLeadingZeros96(const Wide96& p) {
    if (p.high != 0) return std::countl_zero(p.high);
    return 64 + std::countl_zero(p.low);
}

Wide96 ShiftLeft96(const Wide96& p, int shift) {  // 0 <= shift < 96
    if (shift == 0) return p;
    if (shift >= 64) {
        return Wide96{static_cast<std::uint64_t>(p.low) << (shift - 32), 0};
    }
    const std::uint64_t all = p.high;
    std::uint64_t high = all << shift;
    if (shift < 32) {
        high |= static_cast<std::uint64_t>(p.low) >> (32 - shift);
        return Wide96{high, static_cast<std::uint32_t>(static_cast<std::uint64_t>(p.low) << shift)};
    }
    high |= static_cast<std::uint64_t>(p.low) << (shift - 32);
    return Wide96{high, 0};
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
        lost = low != 0 || (s != 0 && (high & ((std::uint64_t{1} << s) - 1)) != 0);
        low = (high >> s) & 0xFFFFFFFFu;
        high = s == 0 ? 0 : high >> (32 + s);
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
    if (xa == kExtendedInfinityExponent || xb == kExtendedInfinityExponent || xa + xb > 49149) {
        return Infinity(negative);
    }
    if (xa + xb <= 16319) return kZero;

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
    int e = xa + xb - 16382;

    // Normalise so that bit 95 is set, as far as the exponent allows.
    if (e > 0) {
        const bool pZero = p.high == 0 && p.low == 0;
        const int room = pZero ? e : CountLeadingZeros96(p);
        const int shift = room < e ? room : e;
        if (!pZero && shift > 0) p = ShiftLeft96(p, shift);
        e -= shift;
    }
    if (e <= 0) {
        // Extended subnormal: e > -63 because xa + xb > 16319.
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
