// The extended floating-point format of the decimal conversions: a sign, a
// 15-bit exponent biased by 16383 and an 80-bit significand with an explicit
// leading bit, with its truncated multiplication and the scaling by tabulated
// powers of ten. The results are those of this arithmetic, not of exact
// arithmetic; both decimal conversions depend on them bit for bit.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zelquin {

// Value = significand * 2^(exponent - kExtendedBias - kExtendedLeadingBit). The significand is held
// as its top 64 bits (limbs s4..s1) and its lowest 16-bit limb s0. Exponent 0 with a zero
// significand is zero; exponent 0 with a non-zero significand is an extended subnormal; exponent
// 32767 is an infinity.
struct ExtendedValue {
    std::uint64_t significandHigh;  // bits 16 to 79 of the significand
    std::uint16_t significandLow;   // bits 0 to 15 (limb s0)
    std::uint16_t exponent;         // biased exponent, 0 to 32767
    bool negative;
};

inline constexpr std::uint16_t kExtendedBias = 16383;
inline constexpr std::uint16_t kExtendedInfinityExponent = 32767;
// The explicit leading bit of a normalised significand.
inline constexpr int kExtendedLeadingBit = 79;

// Limb i (0 least significant, 4 most) of the significand.
constexpr std::uint16_t Limb(const ExtendedValue& value, int i) {
    return i == 0 ? value.significandLow
                  : static_cast<std::uint16_t>(value.significandHigh >> (16 * (i - 1)));
}

// The product a * b, formed from the partial products of 16-bit limbs whose
// limb indices add up to 4 or more, rounded once to 80 bits (ties to even).
ExtendedValue ExtendedMultiply(const ExtendedValue& a, const ExtendedValue& b);

// x * 10^n for |n| <= kLargestScale, by one multiplication per non-zero octal digit of
// |n|, lowest digit first. With clearLowestLimb set, limb s0 of x is cleared
// first (unless n is 0, which returns x unchanged).
inline constexpr int kLargestScale = 8191;
ExtendedValue ScaleByPowerOfTen(const ExtendedValue& x, int n, bool clearLowestLimb);

}  // namespace zelquin
