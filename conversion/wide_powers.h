// Powers of ten to 128 bits, for the fast paths of the decimal conversions.
// Entry q (from kWidePowerMin to kWidePowerMax) holds the significand P of
// 10^q truncated to 128 bits with its top bit set:
//
//     10^q = (P + theta) * 2^(BinaryExponentOfPowerOfTen(q) - 127),  0 <= theta < 1,
//
// so P is exact for q = 0..55, where 10^q has at most 128 significant bits.
#pragma once

#include <cstdint>

namespace zelquin {

struct WidePower {
    std::uint64_t high;  // bits 64..127
    std::uint64_t low;   // bits 0..63
};

inline constexpr int kWidePowerMin = -342;
inline constexpr int kWidePowerMax = 342;
inline constexpr int kWidePowerCount = kWidePowerMax - kWidePowerMin + 1;
extern const WidePower kWidePowersOfTen[kWidePowerCount];

inline const WidePower& WidePowerOfTen(int q) { return kWidePowersOfTen[q - kWidePowerMin]; }

// floor(log2(10^q)) for |q| <= kWidePowerMax: 217706 / 2^16 is log2(10) to
// within 1.2e-6, too little to move the floor anywhere in the range (checked
// for every entry by the tests).
constexpr int BinaryExponentOfPowerOfTen(int q) { return (q * 217706) >> 16; }

}  // namespace zelquin
