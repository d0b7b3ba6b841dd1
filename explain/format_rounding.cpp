// Rounding by exact integer arithmetic. A positive number is a fraction
// num * 2^twos / den; its grid point below is floor(num * 2^(twos - q) / den)
// units of 2^q, and the remainder against half a unit says where it lies
// between that point and the next. The shortest decimal is the free-format
// digit generation over the pattern's interval, as the shortest text of
// binary32 and binary64 does it, with the interval's ends as the format has
// them.
#include "format_rounding.h"

#include <algorithm>

#include "correct_rounding.h"

namespace zelquin::explain {
namespace {

using exact::BigUnsigned;

// Every format's finite numbers and the midpoints around them lie between
// 2^-16496 and 2^16385, so every number beyond 2^+-17000 rounds in every
// format as 2^+-17000 does.
constexpr std::int64_t kBeyondRange = 17000;
// A huge typed exponent stands for this power of ten.
constexpr std::int64_t kHugeExponent = 1000000000000;

// floor(log2 |x|) within a few units, for a finite non-zero number:
// 2.321928 approximates log2(5).
std::int64_t ApproximateLog2(const ExactNumber& x) {
    const std::int64_t fives = std::clamp(x.fives, -kHugeExponent, kHugeExponent);
    const std::int64_t twos = std::clamp(x.twos, -kHugeExponent, kHugeExponent);
    return x.significand.BitLength() + twos + fives * 2321928 / 1000000;
}

// |x| = num * 2^twos / den.
struct Fraction {
    BigUnsigned num;
    BigUnsigned den;
    std::int64_t twos = 0;
};

Fraction FractionOf(const ExactNumber& x) {
    Fraction f;
    f.den = BigUnsigned(1);
    const std::int64_t log2 = ApproximateLog2(x);
    if (log2 > kBeyondRange || log2 < -kBeyondRange) {
        f.num = BigUnsigned(1);
        f.twos = log2 > 0 ? kBeyondRange : -kBeyondRange;
        return f;
    }
    f.num = x.significand;
    f.twos = x.twos;
    if (x.fives >= 0) {
        f.num = f.num * BigUnsigned::Power(5, static_cast<int>(x.fives));
    } else {
        f.den = BigUnsigned::Power(5, static_cast<int>(-x.fives));
    }
    return f;
}

// floor(log2(num * 2^twos / den)).
std::int64_t FloorLog2(const Fraction& f) {
    const int difference = f.num.BitLength() - f.den.BitLength();
    const bool below = exact::CompareScaled(f.num, 0, f.den, difference) < 0;
    return difference - (below ? 1 : 0) + f.twos;
}

int GridMinExponent(const FloatFormat& format) {
    return MinExponent(format) - Precision(format) + 1;
}

// The grid point at or below the fraction in units of 2^q, and where the
// fraction lies against the midpoint above it: -1 below, 0 on it, +1 above;
// `exact` when it is the point itself.
struct Floor {
    BigUnsigned m;
    bool exact = true;
    int half = -1;
};

// The quotient of x by d, which is below 2^128, one trial subtraction per
// bit of it; x becomes the remainder. A quotient of some hundred bits of a
// dividend of thousands costs a hundred subtractions, where a long division
// would take one step per bit of the dividend.
Bits128 DivideShort(BigUnsigned& x, const BigUnsigned& d) {
    Bits128 quotient;
    for (int i = x.BitLength() - d.BitLength(); i >= 0; --i) {
        const BigUnsigned part = d << i;
        if (part <= x) {
            x -= part;
            quotient = quotient | BitAt(i);
        }
    }
    return quotient;
}

Floor FloorOnGrid(const Fraction& f, std::int64_t q) {
    Floor result;
    const std::int64_t shift = f.twos - q;
    BigUnsigned remainder;
    BigUnsigned unit;  // of the remainder, the grid's unit
    if (f.den.BitLength() == 1) {
        if (shift >= 0) {
            result.m = f.num << static_cast<int>(shift);
            return result;
        }
        result.m = f.num >> static_cast<int>(-shift);
        remainder = f.num - (result.m << static_cast<int>(-shift));
        unit = BigUnsigned(1) << static_cast<int>(-shift);
    } else {
        remainder = shift >= 0 ? f.num << static_cast<int>(shift) : f.num;
        unit = shift < 0 ? f.den << static_cast<int>(-shift) : f.den;
        result.m = BigOf(DivideShort(remainder, unit));
    }
    if (remainder.IsZero()) return result;
    result.exact = false;
    result.half = Compare(remainder + remainder, unit);
    return result;
}

Bits128 NaNWithSign(const FloatFormat& format, bool negative) {
    return WithSign(format, negative, *DefaultNaN(format));
}

// What stands for an infinity of the sign: the infinity, else the NaN, else
// the largest finite magnitude.
Bits128 InfinityStandIn(const FloatFormat& format, bool negative) {
    if (const std::optional<Bits128> infinity = InfinityPattern(format))
        return WithSign(format, negative, *infinity);
    if (HasNaNs(format)) return NaNWithSign(format, negative);
    return WithSign(format, negative, LargestFinite(format));
}

// Whether a directed rounding moves the magnitude away from zero.
bool AwayFromZero(RoundingMode mode, bool negative) {
    return (mode == RoundingMode::Up && !negative) || (mode == RoundingMode::Down && negative);
}

Bits128 OverflowPattern(const FloatFormat& format, bool negative, RoundingMode mode,
                        OverflowPolicy policy) {
    const bool toInfinity = mode == RoundingMode::NearestEven ||
                            mode == RoundingMode::NearestAway || AwayFromZero(mode, negative);
    if (policy == OverflowPolicy::Saturate || !toInfinity)
        return WithSign(format, negative, LargestFinite(format));
    return InfinityStandIn(format, negative);
}

RoundResult PatternResult(Bits128 bits, bool inexact) {
    RoundResult r;
    r.bits = bits;
    r.inexact = inexact;
    return r;
}

// The rounding of a finite non-zero number.
RoundResult RoundFinite(const ExactNumber& number, const FloatFormat& format, RoundingMode mode,
                        OverflowPolicy policy) {
    const bool negative = number.negative;
    const bool powersOfTwo = format.specials == Specials::PowersOfTwo;
    if (powersOfTwo && negative) return PatternResult(*DefaultNaN(format), true);
    const Fraction f = FractionOf(number);
    const std::int64_t e = FloorLog2(f);
    const bool tiny = e < MinExponent(format);
    if (powersOfTwo && tiny) {
        // No zero below 2^-127: the rounding to nearest and up give 2^-127.
        const bool up = mode != RoundingMode::TowardZero && mode != RoundingMode::Down;
        RoundResult r = PatternResult(up ? Bits128{} : *DefaultNaN(format), true);
        r.underflowed = true;
        return r;
    }

    const int p = Precision(format);
    const std::int64_t q = std::max<std::int64_t>(e - p + 1, GridMinExponent(format));
    Floor below = FloorOnGrid(f, q);
    GridNumber point{BitsOf(below.m), static_cast<int>(q)};
    bool up = false;
    if (!below.exact) {
        switch (mode) {
            case RoundingMode::NearestEven:
                up = below.half > 0 || (below.half == 0 && !IsEvenPoint(format, point));
                break;
            case RoundingMode::NearestAway:
                up = below.half >= 0;
                break;
            default:
                up = AwayFromZero(mode, negative);
                break;
        }
    }
    if (up) {
        point.significand = point.significand + Bits128{0, 1};
        if (point.significand == BitAt(p)) {
            point.significand = BitAt(p - 1);
            ++point.exponent;
        }
    }

    const GridNumber largest = GridOf(format, LargestFinite(format));
    if (point.exponent > largest.exponent ||
        (point.exponent == largest.exponent && largest.significand < point.significand)) {
        RoundResult r = PatternResult(OverflowPattern(format, negative, mode, policy), true);
        r.overflowed = true;
        return r;
    }
    RoundResult r =
        PatternResult(WithSign(format, negative, MagnitudeOfGrid(format, point)), !below.exact);
    r.underflowed = tiny && !below.exact;
    return r;
}

}  // namespace

ExactNumber ExactOfDecimal(const Decimal& value) {
    ExactNumber x;
    x.negative = value.negative;
    x.significand = BigUnsigned::FromDecimal(value.digits);
    x.twos = x.fives = value.scale;
    return x;
}

ExactNumber ExactOfTyped(const TypedDecimal& typed) {
    ExactNumber x = ExactOfDecimal(typed.value);
    if (typed.hugeExponent)
        x.twos = x.fives = typed.scientificExponentNegative ? -kHugeExponent : kHugeExponent;
    return x;
}

ExactNumber ExactOfBinary(bool negative, const BigUnsigned& significand, std::int64_t exponent) {
    ExactNumber x;
    x.negative = negative;
    x.significand = significand;
    x.twos = exponent;
    return x;
}

ExactNumber ExactOfPattern(const FloatFormat& format, Bits128 bits) {
    const DecodedPattern d = DecodeFields(format, bits);
    if (d.finite) return ExactOfBinary(d.negative, d.significand, d.exponent);
    ExactNumber x;
    x.negative = d.negative;
    x.kind = d.numberClass == FormatClass::Infinity ? ExactNumber::Kind::Infinity
                                                    : ExactNumber::Kind::NaN;
    return x;
}

std::optional<Decimal> DecimalOfExact(const ExactNumber& number) {
    constexpr std::int64_t kMaxExponent = 20000;
    if (number.kind != ExactNumber::Kind::Finite || number.twos > kMaxExponent ||
        number.twos < -kMaxExponent || number.fives > kMaxExponent || number.fives < -kMaxExponent)
        return std::nullopt;
    // significand * 2^twos * 5^fives = n * 10^low, low the smaller exponent.
    const std::int64_t low = std::min(number.twos, number.fives);
    const BigUnsigned n =
        (number.significand * BigUnsigned::Power(5, static_cast<int>(number.fives - low)))
        << static_cast<int>(number.twos - low);
    Decimal d = DecimalOfBinary(number.negative, n, 0);
    if (!d.digits.empty()) d.scale += low;
    return d;
}

const char* RoundingModeName(RoundingMode mode) {
    switch (mode) {
        case RoundingMode::NearestEven:
            return "nearest-even";
        case RoundingMode::NearestAway:
            return "nearest-away";
        case RoundingMode::TowardZero:
            return "toward-zero";
        case RoundingMode::Up:
            return "up";
        case RoundingMode::Down:
            return "down";
    }
    return "";
}

std::optional<RoundingMode> FindRoundingMode(std::string_view name) {
    for (const RoundingMode mode :
         {RoundingMode::NearestEven, RoundingMode::NearestAway, RoundingMode::TowardZero,
          RoundingMode::Up, RoundingMode::Down}) {
        if (name == RoundingModeName(mode)) return mode;
    }
    return std::nullopt;
}

const char* OverflowPolicyName(OverflowPolicy policy) {
    return policy == OverflowPolicy::Saturate ? "saturate" : "ieee";
}

std::optional<OverflowPolicy> FindOverflowPolicy(std::string_view name) {
    if (name == "ieee") return OverflowPolicy::Ieee;
    if (name == "saturate") return OverflowPolicy::Saturate;
    return std::nullopt;
}

RoundResult Round(const ExactNumber& number, const FloatFormat& format, RoundingMode mode,
                  OverflowPolicy policy) {
    const bool negative = number.negative;
    const bool powersOfTwo = format.specials == Specials::PowersOfTwo;
    switch (number.kind) {
        case ExactNumber::Kind::NaN: {
            if (!HasNaNs(format)) {
                RoundResult r;
                r.hasPattern = false;
                return r;
            }
            return PatternResult(NaNWithSign(format, negative), false);
        }
        case ExactNumber::Kind::Infinity:
            if (powersOfTwo && negative) return PatternResult(*DefaultNaN(format), true);
            if (policy == OverflowPolicy::Saturate)
                return PatternResult(WithSign(format, negative, LargestFinite(format)), true);
            return PatternResult(InfinityStandIn(format, negative), !HasInfinities(format));
        case ExactNumber::Kind::Finite:
            break;
    }
    if (number.significand.IsZero()) {
        if (powersOfTwo) return PatternResult(*DefaultNaN(format), true);
        return PatternResult(WithSign(format, negative, Bits128{}), false);
    }
    return RoundFinite(number, format, mode, policy);
}

bool ParseFormatList(std::string_view names, std::vector<FloatFormat>& formats,
                     std::string& message) {
    formats.clear();
    for (;;) {
        const std::size_t comma = names.find(',');
        const std::string_view name = names.substr(0, comma);
        const std::optional<FloatFormat> format = FindFormat(name);
        if (!format) {
            message = "unknown format '" + std::string(name) + "'";
            return false;
        }
        formats.push_back(*format);
        if (comma == std::string_view::npos) return true;
        names.remove_prefix(comma + 1);
    }
}

ViaResult RoundVia(const ExactNumber& number, const std::vector<FloatFormat>& via,
                   const FloatFormat& target, RoundingMode mode, OverflowPolicy policy) {
    ViaResult result;
    ExactNumber x = number;
    bool ended = false;
    for (const FloatFormat& format : via) {
        const RoundResult step = Round(x, format);
        result.steps.push_back(step);
        if (!step.hasPattern) {
            ended = true;
            break;
        }
        x = ExactOfPattern(format, step.bits);
    }
    if (ended) {
        result.stored.hasPattern = false;
    } else {
        result.stored = Round(x, target, mode, policy);
    }
    result.steps.push_back(result.stored);
    result.once = Round(number, target, mode, policy);
    result.differs = result.stored.hasPattern != result.once.hasPattern ||
                     result.stored.bits != result.once.bits;
    return result;
}

namespace {

// A finite non-zero magnitude's interval as multiples of a quarter of its
// grid unit 2^q: the value 4m, the distances to the ends, and whether each
// end belongs to it.
struct QuarterInterval {
    BigUnsigned value;
    BigUnsigned minus;
    BigUnsigned plus;
    int quarterExponent = 0;
    bool lowerIncluded = false;
    bool upperIncluded = false;
};

QuarterInterval QuartersOf(const FloatFormat& format, Bits128 bits) {
    const GridNumber g = GridOf(format, bits);
    const int p = Precision(format);
    QuarterInterval v;
    v.value = BigOf(g.significand) << 2;
    v.plus = BigUnsigned(2);
    v.quarterExponent = g.exponent - 2;
    v.lowerIncluded = v.upperIncluded = IsEvenPoint(format, g);
    const bool lowest = g.exponent == GridMinExponent(format);
    if (format.specials == Specials::PowersOfTwo && lowest) {
        v.minus = v.value;  // down to 0, which is NaN
        v.lowerIncluded = false;
    } else {
        // The gap below the lowest point of a binade is half the gap above.
        v.minus = BigUnsigned(g.significand == BitAt(p - 1) && !lowest ? 1 : 2);
    }
    return v;
}

// The free-format digit generation: value r / s, interval (r - minus) / s to
// (r + plus) / s. The decimal exponent k starts below the first digit's and
// rises until the top of the interval lies below 10^k; then one digit at a
// time until the number cut after this digit, or raised by one unit of it,
// lies in the interval; of the two, the nearer, and of two equally near, the
// even one.
std::string ShortestOfQuarters(bool negative, const QuarterInterval& v) {
    BigUnsigned r = v.value;
    BigUnsigned plus = v.plus;
    BigUnsigned minus = v.minus;
    BigUnsigned s(1);
    const int e = v.quarterExponent;
    if (e >= 0) {
        r <<= e;
        plus <<= e;
        minus <<= e;
    } else {
        s <<= -e;
    }
    // floor(log2(value)) * log10(2) with 1292913986 / 2^32 just below
    // log10(2), less one: never above the first digit's exponent.
    const std::int64_t log2 = r.BitLength() - 1 - (s.BitLength() - 1);
    std::int64_t k = ((log2 * 1292913986) >> 32) - 1;
    // 10^|k| as 5^|k| * 2^|k|, by squaring.
    const int tens = static_cast<int>(k < 0 ? -k : k);
    const BigUnsigned fives = BigUnsigned::Power(5, tens);
    if (k >= 0) {
        s = (s * fives) << tens;
    } else {
        r = (r * fives) << tens;
        plus = (plus * fives) << tens;
        minus = (minus * fives) << tens;
    }
    for (;;) {
        const int top = Compare(r + plus, s);
        if (top < 0 || (top == 0 && !v.upperIncluded)) break;
        s *= 10u;
        ++k;
    }

    std::string digits;
    for (;;) {
        r *= 10u;
        plus *= 10u;
        minus *= 10u;
        int digit = 0;
        while (r >= s) {
            r -= s;
            ++digit;
        }
        const int low = Compare(r, minus);
        const int high = Compare(r + plus, s);
        const bool cutFits = low < 0 || (low == 0 && v.lowerIncluded);
        const bool raisedFits = high > 0 || (high == 0 && v.upperIncluded);
        if (!cutFits && !raisedFits) {
            digits += static_cast<char>('0' + digit);
            continue;
        }
        if (cutFits && raisedFits) {
            const int half = Compare(r + r, s);
            if (half > 0 || (half == 0 && digit % 2 != 0)) ++digit;
        } else if (raisedFits) {
            ++digit;
        }
        // A raised 9 carries into the digits before it.
        while (digit == 10 && !digits.empty()) {
            digit = digits.back() - '0' + 1;
            digits.pop_back();
        }
        if (digit == 10) {
            digit = 1;
            ++k;
        }
        digits += static_cast<char>('0' + digit);
        break;
    }
    std::string text;
    AppendScriptNumberText(negative, digits, static_cast<int>(k), text);
    return text;
}

Decimal DecimalOfQuarters(bool negative, const BigUnsigned& quarters, int quarterExponent) {
    return DecimalOfBinary(negative, quarters, quarterExponent);
}

// The interval of a positive finite non-zero magnitude.
FormatInterval MagnitudeInterval(const FloatFormat& format, Bits128 magnitude) {
    const QuarterInterval v = QuartersOf(format, magnitude);
    FormatInterval interval;
    interval.lower = DecimalOfQuarters(false, v.value - v.minus, v.quarterExponent);
    interval.upper = DecimalOfQuarters(false, v.value + v.plus, v.quarterExponent);
    interval.lowerIncluded = v.lowerIncluded;
    interval.upperIncluded = v.upperIncluded;
    return interval;
}

FormatInterval Mirrored(FormatInterval interval) {
    std::swap(interval.lower, interval.upper);
    std::swap(interval.lowerIncluded, interval.upperIncluded);
    std::swap(interval.lowerUnbounded, interval.upperUnbounded);
    interval.lower.negative = !interval.lower.negative;
    interval.upper.negative = !interval.upper.negative;
    return interval;
}

}  // namespace

std::optional<FormatInterval> IntervalOf(const FloatFormat& format, Bits128 bits) {
    const DecodedPattern d = DecodeFields(format, bits);
    if (!d.canonical) return std::nullopt;
    FormatInterval interval;
    switch (d.numberClass) {
        case FormatClass::Zero: {
            const Decimal half =
                DecimalOfBinary(false, BigUnsigned(1), GridMinExponent(format) - 1);
            interval.lower = half;
            interval.lower.negative = true;
            interval.upper = half;
            interval.lowerIncluded = interval.upperIncluded = true;
            if (!HasNegativeZero(format)) return interval;
            if (d.negative) {
                interval.upper = Decimal{true, "", 0};
            } else {
                interval.lower = Decimal{};
            }
            return interval;
        }
        case FormatClass::Infinity: {
            const FormatInterval largest = MagnitudeInterval(format, LargestFinite(format));
            interval.lower = largest.upper;
            interval.lowerIncluded = !largest.upperIncluded;
            interval.upperUnbounded = true;
            return d.negative ? Mirrored(interval) : interval;
        }
        case FormatClass::Subnormal:
        case FormatClass::Normal: {
            const Bits128 magnitude = d.bits & ~SignBit(format);
            interval = MagnitudeInterval(format, magnitude);
            return d.negative ? Mirrored(interval) : interval;
        }
        default:
            return std::nullopt;
    }
}

std::optional<std::string> ShortestOf(const FloatFormat& format, Bits128 bits) {
    const DecodedPattern d = DecodeFields(format, bits);
    if (!d.canonical) return std::nullopt;
    switch (d.numberClass) {
        case FormatClass::Zero:
            return std::string(d.negative ? "-0" : "0");
        case FormatClass::Infinity:
            return std::string(d.negative ? "-Infinity" : "Infinity");
        case FormatClass::Subnormal:
        case FormatClass::Normal:
            return ShortestOfQuarters(d.negative, QuartersOf(format, d.bits & ~SignBit(format)));
        default:
            return std::string("NaN");
    }
}

}  // namespace zelquin::explain
