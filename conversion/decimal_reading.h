// Reading the value field: the decimal scanner, the exact digit conversion to
// the extended format and the rounding to binary64.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "extended.h"

namespace zelquin {

inline constexpr int kMaxStoredDigits = 25;
// A decimal exponent beyond +-5200 gives infinity or zero; 10^5200 lies far
// beyond the extended range, and the tables reach 10^8191.
inline constexpr int kLargestDecimalExponent = 5200;
inline constexpr int kExponentValueCap = kLargestDecimalExponent + 1;

// What ScanDecimal found: the stored significant digits (never a leading 0),
// the power of ten that makes them the number before its exponent part, and
// the exponent part (0 to 5201, capped) with its sign.
struct ScanResult {
    bool negative;
    bool digitSeen;
    int digitCount;  // 0 to 25
    std::uint8_t digits[kMaxStoredDigits];
    // The first min(digitCount, 19) stored digits read as an integer.
    std::uint64_t significand;
    int exponentAdjustment;
    int exponentValue;
    bool exponentNegative;
};

// Scans a decimal number from the start of a one-byte-per-character text:
// optional sign, digits with at most one ".", optional exponent part with
// "e", "E", "d" or "D". A NUL ends the text.
ScanResult ScanDecimal(std::string_view narrowText);

// Scans the UTF-16 text as its narrow copy would read: a NUL or any code unit
// above U+00FF ends the text. Reads no further than the number needs.
ScanResult ScanDecimal(std::u16string_view text);

// The integer of 1 to 24 digit values (the last may be 10), exactly, as a
// positive normalised extended value.
ExtendedValue DigitsToExtended(const std::uint8_t* digits, int count);

// Rounds to binary64: 53 bits with exact halves toward zero; overflow gives
// infinity, tiny magnitudes a subnormal or a zero, the sign always kept.
std::uint64_t ExtendedToDouble(const ExtendedValue& value);

// The value text as a binary64 (its bits). TextToDouble finds most results by
// a fast path that provably gives the same bits; TextToDoubleReference always
// takes the chain of extended multiplications that defines them.
std::uint64_t TextToDouble(std::u16string_view text);
std::uint64_t TextToDoubleReference(std::u16string_view text);

}  // namespace zelquin
