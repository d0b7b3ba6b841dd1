// The binary floating-point formats people inspect, beside binary32 and
// binary64: their registry (one row of data per format, and eXmY for any
// IEEE-style layout), the decoding of any of their patterns into its fields,
// its class and its exact value, the neighbours of a pattern, and the
// landmarks of a format. Patterns are held in two unsigned 64-bit halves,
// never in a floating-point value, so that every platform gives the same.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "big_unsigned.h"
#include "exact_decimal.h"

namespace zelquin::explain {

// ---------------------------------------------------------------------------
// Patterns of up to 128 bits.

struct Bits128 {
    std::uint64_t high = 0;
    std::uint64_t low = 0;

    friend constexpr bool operator==(const Bits128&, const Bits128&) = default;
};

constexpr Bits128 operator|(Bits128 a, Bits128 b) { return {a.high | b.high, a.low | b.low}; }
constexpr Bits128 operator&(Bits128 a, Bits128 b) { return {a.high & b.high, a.low & b.low}; }
constexpr Bits128 operator~(Bits128 a) { return {~a.high, ~a.low}; }
// Shifts by 0 to 127 bits.
constexpr Bits128 operator<<(Bits128 a, int n) {
    if (n == 0) return a;
    if (n >= 64) return {a.low << (n - 64), 0};
    return {(a.high << n) | (a.low >> (64 - n)), a.low << n};
}
constexpr Bits128 operator>>(Bits128 a, int n) {
    if (n == 0) return a;
    if (n >= 64) return {0, a.high >> (n - 64)};
    return {a.high >> n, (a.low >> n) | (a.high << (64 - n))};
}
// Sums and differences modulo 2^128.
constexpr Bits128 operator+(Bits128 a, Bits128 b) {
    const std::uint64_t low = a.low + b.low;
    return {a.high + b.high + (low < a.low ? 1 : 0), low};
}
constexpr Bits128 operator-(Bits128 a, Bits128 b) {
    return {a.high - b.high - (a.low < b.low ? 1 : 0), a.low - b.low};
}
constexpr bool operator<(Bits128 a, Bits128 b) {
    return a.high != b.high ? a.high < b.high : a.low < b.low;
}
// The low n bits set, n from 0 to 128.
constexpr Bits128 LowMask(int n) {
    if (n >= 128) return {~std::uint64_t{0}, ~std::uint64_t{0}};
    if (n >= 64) return {(std::uint64_t{1} << (n - 64)) - 1, ~std::uint64_t{0}};
    return {0, (std::uint64_t{1} << n) - 1};
}
constexpr Bits128 BitAt(int n) { return Bits128{0, 1} << n; }
constexpr bool IsZero(Bits128 a) { return a.high == 0 && a.low == 0; }
// 0 - a modulo 2^width (width 1 to 128).
constexpr Bits128 NegateModulo(Bits128 a, int width) { return (Bits128{} - a) & LowMask(width); }

exact::BigUnsigned BigOf(Bits128 bits);
// The value modulo 2^128.
Bits128 BitsOf(const exact::BigUnsigned& value);

// ---------------------------------------------------------------------------
// The registry.

// Which patterns of a layout are numbers, and which are not.
enum class Specials : std::uint8_t {
    // Infinities, quiet and signalling NaNs, subnormals, both zeros.
    Ieee,
    // Ieee with an explicit integer bit, the top bit of the 64-bit significand;
    // the patterns whose integer bit disagrees with the exponent field are
    // unnormals, pseudo-denormals, pseudo-infinities and pseudo-NaNs.
    X87,
    // No infinities; the only NaNs have every exponent and fraction bit set,
    // so the top exponent field holds numbers too.
    AllOnesNaN,
    // No infinities and no -0: the pattern of -0 is the only NaN.
    NegativeZeroNaN,
    // No sign bit and no fraction: the powers of two 2^(field - bias), the
    // all-ones field a NaN; no zero.
    PowersOfTwo,
    // No infinities and no NaNs: every pattern is a number.
    FiniteOnly,
};

// A format's layout, from the most significant bit: the sign bit (but for
// PowersOfTwo), the exponent field, the fraction field. For X87 the fraction
// field is the whole 64-bit significand, integer bit included.
struct FloatFormat {
    char name[24];
    const char* aliases;  // "half, float16"; "" for none
    int exponentBits;
    int fractionBits;
    int bias;
    Specials specials;
};

// The rows of the registry, in the order --list-formats shows them.
std::span<const FloatFormat> RegisteredFormats();
// The format of a name or alias as written (ASCII, case-sensitive), or of
// "eXmY": an Ieee layout of X exponent bits (2 to 15) and Y fraction bits (1
// to 112), bias 2^(X-1) - 1, named as written. None for any other name.
std::optional<FloatFormat> FindFormat(std::string_view name);
// A short description of the format's special patterns, for --list-formats.
const char* SpecialsText(Specials specials);

// The format's properties, from its row.
int PatternWidth(const FloatFormat& format);  // 4 to 128
bool HasSignBit(const FloatFormat& format);
bool HasInfinities(const FloatFormat& format);
bool HasNaNs(const FloatFormat& format);
bool HasNegativeZero(const FloatFormat& format);
bool HasSubnormals(const FloatFormat& format);
// Significant bits of a finite number: fraction bits + 1, 64 for X87, 1 for
// PowersOfTwo.
int Precision(const FloatFormat& format);
// The unbiased exponents of the smallest and the largest normal binade.
int MinExponent(const FloatFormat& format);
int MaxExponent(const FloatFormat& format);

// ---------------------------------------------------------------------------
// The grid of a format's finite magnitudes: significand * 2^exponent, the
// significand below 2^precision, and at least 2^(precision - 1) but for the
// subnormals, which have the smallest exponent, MinExponent - precision + 1.
// Every canonical finite magnitude is one grid point, and one apart in the
// grid are one apart in the order of the magnitudes.
struct GridNumber {
    Bits128 significand;
    int exponent = 0;
};

// The grid point of a canonical finite pattern (the sign ignored), and the
// magnitude pattern (sign bit clear) of a grid point from zero to the largest
// finite magnitude (PowersOfTwo: from 2^-127).
GridNumber GridOf(const FloatFormat& format, Bits128 bits);
Bits128 MagnitudeOfGrid(const FloatFormat& format, const GridNumber& number);
// Whether the pattern of a grid point ends in 0, as the grid goes on past the
// largest finite magnitude: the even one of two neighbours, which a rounding
// to nearest takes at a tie.
bool IsEvenPoint(const FloatFormat& format, const GridNumber& number);

// The patterns a conversion produces.
Bits128 SignBit(const FloatFormat& format);  // zero without one
Bits128 LargestFinite(const FloatFormat& format);
Bits128 SmallestNormal(const FloatFormat& format);
// Infinity and the NaN a conversion gives (Ieee: the quiet NaN with only the
// quiet bit; X87: integer and quiet bits; otherwise the one NaN pattern), both
// positive; none where the format has none.
std::optional<Bits128> InfinityPattern(const FloatFormat& format);
std::optional<Bits128> DefaultNaN(const FloatFormat& format);
// The magnitude with the sign: -0 is +0 where the format has no -0, and a
// format without a sign bit takes the magnitude.
Bits128 WithSign(const FloatFormat& format, bool negative, Bits128 magnitude);

// ---------------------------------------------------------------------------
// Decoding.

enum class FormatClass : std::uint8_t {
    Zero,
    Subnormal,
    Normal,
    Infinity,
    QuietNaN,
    SignallingNaN,
    IndefiniteNaN,  // X87: the sign, the integer and quiet bits, nothing else
    NaN,            // the NaNs of formats without quiet and signalling NaNs
    Unnormal,
    PseudoDenormal,
    PseudoInfinity,
    PseudoNaN,
};

// "zero", "subnormal", "normal", "infinity", "quiet NaN", "signalling NaN",
// "indefinite NaN", "NaN", "unnormal", "pseudo-denormal", "pseudo-infinity",
// "pseudo-NaN".
const char* FormatClassName(FormatClass numberClass);

struct DecodedPattern {
    Bits128 bits;  // the pattern, bits above the format's width cleared
    bool negative = false;
    int exponentField = 0;
    Bits128 fraction;         // the stored fraction; X87: the 63 bits below the integer bit
    bool integerBit = false;  // X87's bit 63; otherwise the implicit bit
    FormatClass numberClass = FormatClass::Zero;
    // Zeros, subnormals, normals, unnormals and pseudo-denormals have a value;
    // canonical are the patterns a rounding may give (not the x87 unnormals
    // and pseudo-patterns).
    bool finite = false;
    bool canonical = true;
    // The unbiased exponent: the field minus the bias, the smallest normal
    // exponent for field 0 (PowersOfTwo: field - bias throughout).
    int unbiasedExponent = 0;
    // A finite pattern's value: (-1)^negative * significand * 2^exponent,
    // exactly, with every digit; and the significand's value as written, the
    // integer bit a point before the fraction ("1.5", "0.25", "1").
    exact::BigUnsigned significand;
    int exponent = 0;
    Decimal exact;
    Decimal significandValue;
};

// The pattern's parts; bits above the format's width are ignored.
DecodedPattern Decode(const FloatFormat& format, Bits128 bits);
// The same without the two decimals, which for the widest formats take
// milliseconds: exact and significandValue are left empty.
DecodedPattern DecodeFields(const FloatFormat& format, Bits128 bits);

// The exact decimal of (-1)^negative * significand * 2^exponent; a zero keeps
// its sign. The exponent's magnitude sets the cost: 2^-16494 has some 11,500
// digits.
Decimal DecimalOfBinary(bool negative, const exact::BigUnsigned& significand,
                        std::int64_t exponent);

// ---------------------------------------------------------------------------
// Neighbours and landmarks.

// The next pattern up and down in the order of the values, as IEEE 754's
// nextUp and nextDown: none from a NaN or a non-canonical pattern, above
// +infinity or below -infinity, or past the largest finite magnitude of a
// format without infinities (or below 2^-127 for PowersOfTwo). From either
// zero the next is the smallest subnormal of either sign; towards zero the
// next is the zero of the number's sign (+0 where there is no -0).
std::optional<Bits128> NextUp(const FloatFormat& format, Bits128 bits);
std::optional<Bits128> NextDown(const FloatFormat& format, Bits128 bits);

struct Landmark {
    const char* name;  // "largest finite", ..., "NaN"
    Bits128 bits;
    bool finite = true;
    Decimal value;  // finite only
};

// "largest finite", "smallest normal", "smallest subnormal" (where there are
// subnormals), "one", "next above one", "infinity" and "NaN" (where the
// format has them).
std::vector<Landmark> LandmarksOf(const FloatFormat& format);

// "0x" and every hexadecimal digit of the format's width, in lower case.
std::string PatternHexText(const FloatFormat& format, Bits128 bits);
// The binary digits in groups: sign, exponent field, (X87: integer bit,)
// fraction, the separator between groups; a group without bits is left out.
std::string PatternBinaryText(const FloatFormat& format, Bits128 bits,
                              std::string_view separator = " ");

}  // namespace zelquin::explain
