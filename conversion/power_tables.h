// The power-of-ten tables of the extended arithmetic's scaling.
#pragma once

#include <cstddef>

#include "extended.h"

namespace zelquin {

// Entry (j, d) at index 7*j + d - 1 holds 10^(d*8^j), or 10^-(d*8^j), rounded
// to the nearest 80-bit significand; j = 4 holds d = 1 only.
inline constexpr std::size_t kPowerTableSize = 29;
extern const ExtendedValue PositivePowersOfTen[kPowerTableSize];
extern const ExtendedValue NegativePowersOfTen[kPowerTableSize];

}  // namespace zelquin
