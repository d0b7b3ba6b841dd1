// What a correctly rounding reader and a shortest writer make of a number,
// computed exactly: the shortest decimal that reads back to a stored number,
// and the pattern nearest to a typed decimal. Zelquin's own conversions follow
// other rules; these are what the explanation compares them with.
#pragma once

#include <cstdint>
#include <string>

#include "big_unsigned.h"
#include "binary_format.h"
#include "exact_decimal.h"

namespace zelquin::explain {

// The shortest decimal that a reader rounding to nearest, ties to even, reads
// back to the pattern in its format; of several, the nearest to the exact
// value, and of two equally near, the one whose last digit is even. Written as
// a script's Number to string conversion writes it: "0.1", "123", "1e+21",
// "1.5e-7", "-0", "Infinity", "-Infinity", "NaN".
std::string ShortestText(std::uint64_t bits, const BinaryFormat& format);

// The pattern nearest to the decimal (ties to even) in the format: a value
// beyond the largest finite one by half a unit or more is an infinity, and a
// zero keeps its sign. `start` is a pattern near the answer (the one Zelquin
// stored): the search steps from it to its neighbours, so it costs a few exact
// comparisons when the start is close. A decimal with a huge exponent is zero
// or infinity, by the exponent's sign.
std::uint64_t NearestPattern(const Decimal& value, bool hugeExponent, bool hugeNegative,
                             const BinaryFormat& format, std::uint64_t start);

// The pattern nearest to (-1)^negative * significand * 2^exponent, likewise.
std::uint64_t NearestPatternOfBinary(bool negative, const exact::BigUnsigned& significand,
                                     int exponent, const BinaryFormat& format, std::uint64_t start);

}  // namespace zelquin::explain
