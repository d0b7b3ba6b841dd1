// Reading the value field: the decimal scanner, the exact digit conversion to
// the extended format, the chain of extended multiplications and its fast
// path, and the rounding to binary64.
#pragma once

#include <cstddef>
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

// The number that starts at text[start], in one pass that reads no unit past
// the number (the point alone looks one unit ahead). A NUL or any unit above
// U+00FF ends the text, as the reader's one-byte copy would. The reader starts
// after the text's white space.
DecimalReading ScanDecimalText(std::u16string_view text, std::size_t start);

// Copies the stored digit values (0 to 9) of a scanned text into digits
// (kMaxStoredDigits of room) and returns how many there are.
int StoredDigits(std::u16string_view text, const DecimalReading& number, std::uint8_t* digits);

// The integer of 1 to 24 digit values (the last may be 10), exactly, as a
// positive normalised extended value.
ExtendedValue DigitsToExtended(const std::uint8_t* digits, int count);

// Rounds to binary64: 53 bits with exact halves toward zero; overflow gives
// infinity, tiny magnitudes a subnormal or a zero, the sign always kept.
std::uint64_t ExtendedToDouble(const ExtendedValue& value);

// The binary64 of a scanned number by the chain of extended multiplications
// that defines it: the fast path's fallback, and its reference.
std::uint64_t ChainToDouble(std::u16string_view text, const DecimalReading& number);

// The fast path alone: true with the chain's binary64 where it can prove it,
// false where it leaves the number to the chain (its fallback band, and the
// numbers it does not cover).
bool FastDecimalToDouble(std::u16string_view text, const DecimalReading& number,
                         std::uint64_t& bits);

// The value text as a binary64 (its bits).
std::uint64_t TextToDouble(std::u16string_view text);

}  // namespace zelquin
