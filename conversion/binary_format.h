// The two IEEE 754 binary formats the tool shows, binary32 and binary64: their
// fields, the classes of their numbers, and the conversions between them, all
// on bit patterns held in unsigned integers. A binary32 pattern occupies the
// low 32 bits of a std::uint64_t wherever the two formats share a function.
#pragma once

#include <cstdint>

namespace zelquin {

// A format's layout: a sign bit, then the exponent field, then the fraction
// field, from the most significant bit down. The quiet bit of a NaN is the most
// significant fraction bit.
struct BinaryFormat {
    const char* name;
    int exponentBits;
    int fractionBits;

    constexpr int TotalBits() const { return 1 + exponentBits + fractionBits; }
    constexpr int Bias() const { return (1 << (exponentBits - 1)) - 1; }
    // The exponent field of infinities and NaNs.
    constexpr int MaxExponentField() const { return (1 << exponentBits) - 1; }
    // The power of two of the lowest fraction bit of a subnormal number.
    constexpr int SubnormalUnitExponent() const { return 1 - Bias() - fractionBits; }
    constexpr std::uint64_t SignBit() const { return std::uint64_t{1} << (TotalBits() - 1); }
    constexpr std::uint64_t ExponentMask() const {
        return static_cast<std::uint64_t>(MaxExponentField()) << fractionBits;
    }
    constexpr std::uint64_t FractionMask() const { return (std::uint64_t{1} << fractionBits) - 1; }
    constexpr std::uint64_t ImplicitBit() const { return std::uint64_t{1} << fractionBits; }
    constexpr std::uint64_t QuietBit() const { return std::uint64_t{1} << (fractionBits - 1); }
    constexpr std::uint64_t Infinity() const { return ExponentMask(); }
};

inline constexpr BinaryFormat kBinary32{"binary32", 8, 23};
inline constexpr BinaryFormat kBinary64{"binary64", 11, 52};

constexpr const BinaryFormat& FormatOf(bool isDouble) { return isDouble ? kBinary64 : kBinary32; }

struct BinaryFields {
    bool negative;
    int exponentField;
    std::uint64_t fraction;
};

constexpr BinaryFields SplitFields(std::uint64_t bits, const BinaryFormat& format) {
    return BinaryFields{(bits & format.SignBit()) != 0,
                        static_cast<int>((bits & format.ExponentMask()) >> format.fractionBits),
                        bits & format.FractionMask()};
}

// Indefinite is the one quiet NaN that the fixed rendering names apart: the
// sign set and the quiet bit the only fraction bit.
enum class NumberClass {
    Zero,
    Subnormal,
    Normal,
    Infinity,
    QuietNaN,
    SignallingNaN,
    IndefiniteNaN
};

NumberClass Classify(std::uint64_t bits, const BinaryFormat& format);

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
