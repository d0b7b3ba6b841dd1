// Reading the value field: the decimal scanner, the exact digit conversion to
// the extended format, the chain of extended multiplications and its fast
// path (declared together in decimal_reading_paths.h), and the rounding to
// binary64.
#pragma once

#include <cstdint>
#include <string_view>

#include "conversion.h"
#include "extended.h"

namespace zelquin {

inline constexpr int kMaxStoredDigits = 25;
// The stored digits gathered into a 64-bit integer while there are at most
// this many (10^19 - 1 < 2^64).
inline constexpr int kDigitsInSignificand = 19;
// A decimal exponent beyond +-5200 gives infinity or zero; 10^5200 lies far
// beyond the extended range, and the tables reach 10^8191.
inline constexpr int kLargestDecimalExponent = 5200;
inline constexpr int kExponentValueCap = kLargestDecimalExponent + 1;

// The integer of 1 to 24 digit values (the last may be 10), exactly, as a
// positive normalised extended value.
ExtendedValue DigitsToExtended(const std::uint8_t* digits, int count);

// Rounds to binary64: 53 bits with exact halves toward zero; overflow gives
// infinity, tiny magnitudes a subnormal or a zero, the sign always kept.
std::uint64_t ExtendedToDouble(const ExtendedValue& value);

// The value text as a binary64 (its bits): the fast path where it holds and
// the chain otherwise.
std::uint64_t TextToDouble(std::u16string_view text);

}  // namespace zelquin
