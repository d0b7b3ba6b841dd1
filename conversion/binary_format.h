// Conversions between the two binary formats and the quieting of NaNs, on the
// bits. The formats themselves, their fields and the classes of their numbers
// are declared in conversion.h; Classify is defined with these.
#pragma once

#include <cstdint>

#include "conversion.h"

namespace zelquin {

constexpr bool IsNaN(std::uint64_t bits, const BinaryFormat& format) {
    return (bits & format.ExponentMask()) == format.ExponentMask() &&
           (bits & format.FractionMask()) != 0;
}

// A signalling NaN gets its quiet bit; the sign, the other fraction bits and
// every other pattern are kept.
constexpr std::uint64_t MakeQuiet(std::uint64_t bits, const BinaryFormat& format) {
    return IsNaN(bits, format) ? bits | format.QuietBit() : bits;
}

// The exact binary64 of a binary32: subnormals, zeros and infinities included.
// A NaN keeps its 23 fraction bits as the top of the 52.
std::uint64_t SingleToDouble(std::uint32_t binary32Bits);

// IEEE 754 narrowing, round to nearest with ties to even, no exception: too
// large gives infinity, too small a subnormal or zero, the sign always kept.
// A NaN gives a quiet binary32 NaN with the sign and the top 23 fraction bits.
std::uint32_t DoubleToSingle(std::uint64_t binary64Bits);

// m / 2^shift rounded to nearest with ties to even, for shift >= 1; 0 when
// shift exceeds 64. lowerBitsSet says that non-zero bits lie below m, so that
// what m alone shows as a tie is above the half.
std::uint64_t ShiftRightNearestEven(std::uint64_t m, int shift, bool lowerBitsSet = false);

}  // namespace zelquin
