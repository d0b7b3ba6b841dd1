// Rounding an exact number to any format of the registry, once, by exact
// integer arithmetic; the chain of roundings a number takes through other
// formats on its way; and, for a pattern, the interval of the numbers that
// round to it and the shortest decimal among them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "big_unsigned.h"
#include "exact_decimal.h"
#include "formats.h"
#include "typed_number.h"

namespace zelquin::explain {

// A number exactly: (-1)^negative * significand * 2^twos * 5^fives (a zero
// significand is a zero of that sign), or an infinity or a NaN. A decimal
// d * 10^s has twos = fives = s.
struct ExactNumber {
    enum class Kind : std::uint8_t { Finite, Infinity, NaN };
    Kind kind = Kind::Finite;
    bool negative = false;
    exact::BigUnsigned significand;
    std::int64_t twos = 0;
    std::int64_t fives = 0;
};

// The decimal exactly; a huge exponent (beyond fifteen digits) stands for a
// number beyond every format's range, above it or below it by its sign.
ExactNumber ExactOfDecimal(const Decimal& value);
ExactNumber ExactOfTyped(const TypedDecimal& typed);
ExactNumber ExactOfBinary(bool negative, const exact::BigUnsigned& significand,
                          std::int64_t exponent);
// The value of a pattern: its finite value, infinity or NaN (the
// non-canonical x87 pseudo-infinities and pseudo-NaNs as NaN).
ExactNumber ExactOfPattern(const FloatFormat& format, Bits128 bits);

// A finite number's exact decimal, every digit; none for an infinity or a
// NaN, and where either exponent lies beyond +-20000, whose digits would run
// to tens of thousands (a huge typed exponent among them).
std::optional<Decimal> DecimalOfExact(const ExactNumber& number);

enum class RoundingMode : std::uint8_t { NearestEven, NearestAway, TowardZero, Up, Down };
// "nearest-even", "nearest-away", "toward-zero", "up", "down".
const char* RoundingModeName(RoundingMode mode);
std::optional<RoundingMode> FindRoundingMode(std::string_view name);

// What becomes of a number beyond the largest finite magnitude: IEEE 754's
// rule (nearest modes overflow to infinity, directed modes to infinity or to
// the largest finite by their direction), or the largest finite always.
enum class OverflowPolicy : std::uint8_t { Ieee, Saturate };
// "ieee", "saturate".
const char* OverflowPolicyName(OverflowPolicy policy);
std::optional<OverflowPolicy> FindOverflowPolicy(std::string_view name);

struct RoundResult {
    // False only for a NaN rounded to a format without NaNs, which has no
    // pattern for it; bits is then 0.
    bool hasPattern = true;
    Bits128 bits;
    bool inexact = false;      // the pattern's value is not the number
    bool overflowed = false;   // rounded with an unbounded exponent, beyond the largest finite
    bool underflowed = false;  // inexact and, before rounding, below the smallest normal
};

// The number rounded to the format's grid with an unbounded exponent (the
// subnormals' spacing below the smallest normal), ties to the neighbour whose
// pattern ends in 0 or away from zero, then overflow as the policy says. A
// format without infinities takes its NaN for them, and one without NaNs its
// largest finite. -0 is +0 where the format has no -0. PowersOfTwo has no
// zero and no sign: zeros and negative numbers give NaN, and positive numbers
// below 2^-127 give 2^-127 rounding to nearest or up, NaN otherwise. An
// infinity is exact: it gives infinity, or the stand-ins as for an overflow
// (the largest finite with Saturate). A NaN gives the format's NaN with its
// sign where the NaN has one (X87: -NaN is the indefinite NaN).
RoundResult Round(const ExactNumber& number, const FloatFormat& format,
                  RoundingMode mode = RoundingMode::NearestEven,
                  OverflowPolicy policy = OverflowPolicy::Ieee);

// The formats of a list of names separated by commas ("binary32,bfloat16");
// false with a message naming the first unknown name.
bool ParseFormatList(std::string_view names, std::vector<FloatFormat>& formats,
                     std::string& message);

struct ViaResult {
    // The pattern each via format stores, in order, then the target's.
    std::vector<RoundResult> steps;
    RoundResult stored;  // the target's, the last step
    RoundResult once;    // the number rounded to the target directly
    bool differs = false;
};

// The number rounded to each via format in turn (to nearest, ties to even,
// IEEE overflow), each pattern's value rounded to the next, then to the
// target with the mode and the policy. A step without a pattern ends the
// chain there: the target has none either.
ViaResult RoundVia(const ExactNumber& number, const std::vector<FloatFormat>& via,
                   const FloatFormat& target, RoundingMode mode = RoundingMode::NearestEven,
                   OverflowPolicy policy = OverflowPolicy::Ieee);

// The numbers that round to a pattern to nearest, ties to even, without
// overflowing: from lower to upper, each end included or not. The gap to each
// neighbour is split at its midpoint, which belongs to the even pattern; the
// largest finite magnitude's upper end is the midpoint to the grid point after
// it. A zero's interval holds the numbers that round to it, with the zero's
// sign at the zero end: +0 is [0, h] and -0 is [-h, -0], h half the smallest
// subnormal; a format without -0 has the one zero [-h, h]. An infinity's
// interval is unbounded on its side and starts where the largest finite's
// ends. None for NaNs and the non-canonical x87 patterns.
struct FormatInterval {
    Decimal lower;
    Decimal upper;
    bool lowerIncluded = false;
    bool upperIncluded = false;
    bool lowerUnbounded = false;  // -infinity's
    bool upperUnbounded = false;  // +infinity's
};
std::optional<FormatInterval> IntervalOf(const FloatFormat& format, Bits128 bits);

// The shortest decimal in the pattern's interval: the fewest significant
// digits, of several the nearest to the exact value, of two equally near the
// one whose last digit is even; written as a script's Number to string
// conversion writes it ("0.1", "1e+21", "1.5e-7", "-0", "Infinity",
// "-Infinity", "NaN"). None for the non-canonical x87 patterns.
std::optional<std::string> ShortestOf(const FloatFormat& format, Bits128 bits);

}  // namespace zelquin::explain
