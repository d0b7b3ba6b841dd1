// How far the number a value text reads back as may lie from the number it
// was rendered from. The fixed rendering keeps seventeen significant digits
// (within one unit of the seventeenth of the number) and then rounds them to
// six decimals (at most half of 10^-6 away); reading the text back lands
// within one unit in the last place of the binary64 it gives. So for a finite
// x shown as a text that reads back as r:
//
//     |r - x| <= 0.5e-6 + 10^(E-16) + ulp(r),    10^E <= |x| < 10^(E+1).
//
// The decimal exponent E is found exactly: every comparison of |x| with a
// power of ten is made against the smallest binary64 at or above that power,
// which is worked out once with exact integer arithmetic. The bound itself is
// then summed in binary64: each of its three terms is within 2^-52 of its
// exact value (relative), the two additions round once each and the distance
// |r - x| rounds once, so WithinBound accepts a ratio of distance to computed
// bound up to 1 + 2^-48 and no more.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "exact_binary64.h"

namespace zelquin::check {

// -1, 0 or 1 as the positive finite v is below, equal to or above 10^e, by
// the exact oracle: floor(v * 10^-e) is 0 below, 1 with nothing dropped at
// 10^e itself.
inline int CompareWithPowerOfTen(double v, int e) {
    const exact::ScaledInteger scaled =
        exact::ScaleByPowerOfTenExactly(std::bit_cast<std::uint64_t>(v), -e);
    if (scaled.value.IsZero()) return -1;
    if (scaled.value == exact::BigUnsigned(1) && !scaled.inexact) return 0;
    return 1;
}

// The smallest binary64 at or above 10^e, for e from kLowest to kHighest;
// 10^309 has none and is held as infinity.
class PowersOfTenRoundedUp {
  public:
    static constexpr int kLowest = -345;
    static constexpr int kHighest = 309;

    PowersOfTenRoundedUp() {
        constexpr double kInfinity = std::numeric_limits<double>::infinity();
        for (int e = kLowest; e <= kHighest; ++e) {
            double g = std::pow(10.0, e);  // a first guess, moved until exact
            if (e == kHighest) {
                g = kInfinity;
            } else {
                if (g == kInfinity) g = std::numeric_limits<double>::max();
                while (g == 0 || CompareWithPowerOfTen(g, e) < 0) g = std::nextafter(g, kInfinity);
                for (;;) {
                    const double below = std::nextafter(g, 0.0);
                    if (below == 0 || CompareWithPowerOfTen(below, e) < 0) break;
                    g = below;
                }
            }
            up_[static_cast<std::size_t>(e - kLowest)] = g;
        }
    }

    double operator[](int e) const { return up_[static_cast<std::size_t>(e - kLowest)]; }

    // E with 10^E <= a < 10^(E+1), for a positive finite a.
    int DecimalExponent(double a) const {
        // floor(log10(2) * b) for the binary exponent b of a (exact for
        // |b| < 1500) is E or one below it; the table settles which.
        const std::uint64_t bits = std::bit_cast<std::uint64_t>(a);
        const int biased = static_cast<int>(bits >> 52);
        const int binary = biased == 0 ? -1074 + (63 - std::countl_zero(bits)) : biased - 1023;
        int e = (binary * 78913) >> 18;  // arithmetic shift: rounds toward minus infinity
        if (e < -324) e = -324;
        while (e < 308 && (*this)[e + 1] <= a) ++e;
        while (e > -324 && (*this)[e] > a) --e;
        return e;
    }

  private:
    std::array<double, kHighest - kLowest + 1> up_{};
};

inline const PowersOfTenRoundedUp& PowersOfTen() {
    static const PowersOfTenRoundedUp table;
    return table;
}

// One unit in the last place of a finite binary64.
inline double Ulp(double r) {
    const std::uint64_t biased = (std::bit_cast<std::uint64_t>(r) >> 52) & 0x7FF;
    if (biased <= 52) return std::ldexp(1.0, biased == 0 ? -1074 : static_cast<int>(biased) - 1075);
    return std::bit_cast<double>((biased - 52) << 52);
}

// The bound above for a finite x and the finite r it reads back as.
inline double DistanceBound(double x, double r) {
    const double seventeenthDigit =
        x == 0 ? 0.0 : PowersOfTen()[PowersOfTen().DecimalExponent(std::fabs(x)) - 16];
    return 0.5e-6 + seventeenthDigit + Ulp(r);
}

// |r - x| as a fraction of the bound; at most 1 + 2^-48 when within it. An
// infinite or NaN r gives infinity.
inline double DistanceRatio(double x, double r) {
    if (!std::isfinite(r)) return std::numeric_limits<double>::infinity();
    return std::fabs(r - x) / DistanceBound(x, r);
}

inline constexpr double kRatioAllowance = 1.0 + 0x1p-48;

}  // namespace zelquin::check
