// Correct rounding by exact integer arithmetic: the shortest decimal of a
// binary32 or binary64 from its limbs (its reference is the registry's
// free-format digit generation in big integers, format_rounding.cpp), and the
// nearest pattern by comparisons with the midpoints between neighbouring
// patterns. tests/explain_test.cpp compares the fast forms with their
// references.
#include "correct_rounding.h"

#include <bit>
#include <charconv>

#include "big_unsigned.h"
#include "format_rounding.h"
#include "formats.h"

namespace zelquin::explain {
namespace {

using exact::BigUnsigned;

}  // namespace

void AppendScriptNumberText(bool negative, std::string_view digits, int exponent,
                            std::string& text) {
    const int count = static_cast<int>(digits.size());
    if (negative) text += '-';
    if (count <= exponent && exponent <= 21) {
        text += digits;
        text.append(static_cast<std::size_t>(exponent - count), '0');
    } else if (0 < exponent && exponent <= 21) {
        text += digits.substr(0, static_cast<std::size_t>(exponent));
        text += '.';
        text += digits.substr(static_cast<std::size_t>(exponent));
    } else if (-6 < exponent && exponent <= 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-exponent), '0');
        text += digits;
    } else {
        text += digits[0];
        if (count > 1) {
            text += '.';
            text += digits.substr(1);
        }
        const int power = exponent - 1;
        text += power < 0 ? "e-" : "e+";
        text += std::to_string(power < 0 ? -power : power);
    }
}

namespace {

std::string ScriptNumberText(bool negative, const std::string& digits, int exponent) {
    std::string text;
    AppendScriptNumberText(negative, digits, exponent, text);
    return text;
}

// The texts of the numbers without digits, or nullptr for a finite non-zero
// number.
const char* ScriptTextWithoutDigits(std::uint64_t bits, const BinaryFormat& format) {
    const bool negative = (bits & format.SignBit()) != 0;
    switch (Classify(bits, format)) {
        case NumberClass::Zero:
            return negative ? "-0" : "0";
        case NumberClass::Infinity:
            return negative ? "-Infinity" : "Infinity";
        case NumberClass::Normal:
        case NumberClass::Subnormal:
            return nullptr;
        default:
            return "NaN";
    }
}

}  // namespace

GridPoint PointOf(std::uint64_t magnitude, const BinaryFormat& format) {
    const BinaryFields f = SplitFields(magnitude, format);
    GridPoint point;
    point.m = f.exponentField == 0 ? f.fraction : f.fraction | format.ImplicitBit();
    point.e = format.SubnormalUnitExponent() + (f.exponentField == 0 ? 0 : f.exponentField - 1);
    point.even = (point.m & 1) == 0;
    point.narrowBelow = point.m == format.ImplicitBit() && point.e > format.SubnormalUnitExponent();
    return point;
}

// The registry's shortest text of any format, by the same free-format digit
// generation in big integers, written apart from the fast form here.
std::string ShortestTextReference(std::uint64_t bits, const BinaryFormat& format) {
    static const FloatFormat kRows[] = {*FindFormat(kBinary32.name), *FindFormat(kBinary64.name)};
    const FloatFormat& row = kRows[&format == &kBinary64 ? 1 : 0];
    return ShortestOf(row, Bits128{0, bits}).value_or("NaN");
}

// The fast form of the same digit generation. ScaleBinary gives the value V
// and a quarter unit Q as integers in one unit 10^-decimals; the interval is
// V - L to V + U with U = 2Q, and L = Q where the gap below is narrow, 2Q
// otherwise, its ends included when m is even.
//
// Why it agrees with the reference. The reference emits V's digits from the
// top and stops at the first place 10^j where the cut number (V with the
// digits below 10^j dropped, leaving the tail t = V mod 10^j) or the cut
// number raised by 10^j lies in the interval: the cut one when t < L, the
// raised one when 10^j - t < U (each also at equality when m is even),
// choosing between the two as it does. It starts at the place of the top of
// the interval; no place above that ever fits (the cut number is 0 there, and
// 10^j is beyond V + U), so scanning from any higher place finds the same
// place j. Here every test is made exactly on a split of the numbers at the
// place p = (digits of L) - 1: with V = Vh * 10^p + Vl and likewise for L and
// U, the tail at 10^(p+d) is (Vh mod 10^d) * 10^p + Vl, so each comparison is
// one of the high parts (small integers: Vh < 10 * V / L <= 10 * 4m, below
// 10^18) and, only where they are equal, one of the low parts, made once with
// the limbs. The scan ends by the place p at the latest, where the cut number
// fits as t = Vl < 10^p <= L. The digits are the cut number (plus one when
// raised) without its trailing zeros, which is exactly what the reference
// emits, its carries included.
void AppendShortestOfScaled(bool negative, const ScaledBinary& scaled, bool even, bool narrowBelow,
                            std::string& out) {
    const DecimalLimbs& v = scaled.value;
    DecimalLimbs u = scaled.quarterUnit;
    Add(u, scaled.quarterUnit);
    const DecimalLimbs& l = narrowBelow ? scaled.quarterUnit : u;
    const int p = DigitCount(l) - 1;
    const std::uint64_t vHigh = HighDigits(v, p);
    const std::uint64_t lHigh = HighDigits(l, p);
    const std::uint64_t uHigh = HighDigits(u, p);
    const bool vLowZero = LowDigitsZero(v, p);

    // The comparisons of the low parts, each made when first needed.
    constexpr int kUnknown = 2;
    int lowAgainstL = kUnknown;  // Vl against Ll
    const auto compareLowWithL = [&] {
        if (lowAgainstL == kUnknown) {
            DecimalLimbs vLow, lLow;
            LowDigits(v, p, vLow);
            LowDigits(l, p, lLow);
            lowAgainstL = Compare(vLow, lLow);
        }
        return lowAgainstL;
    };
    int raisedLowAgainstU = kUnknown;  // 10^p - Vl against Ul, Vl not 0
    const auto compareRaisedLowWithU = [&] {
        if (raisedLowAgainstU == kUnknown) {
            DecimalLimbs sum, uLow, power;
            LowDigits(v, p, sum);
            LowDigits(u, p, uLow);
            Add(sum, uLow);
            power.count = p / kLimbDigits + 1;  // 10^p
            for (int i = 0; i < power.count; ++i) power.limb[i] = 0;
            power.limb[power.count - 1] = 1;
            for (int i = 0; i < p % kLimbDigits; ++i) power.limb[power.count - 1] *= 10;
            raisedLowAgainstU = -Compare(sum, power);  // 10^p - Vl - Ul
        }
        return raisedLowAgainstU;
    };

    std::uint64_t power = 1;  // 10^d, from the first power above Vh
    int d = 0;
    while (power <= vHigh) {
        power *= 10;
        ++d;
    }
    bool cutFits = false;
    bool raisedFits = false;
    std::uint64_t x = 0;  // Vh mod 10^d: the tail is x * 10^p + Vl
    for (;; power /= 10, --d) {
        x = vHigh % power;
        const int cut = x != lHigh ? (x < lHigh ? -1 : 1) : compareLowWithL();
        cutFits = cut < 0 || (cut == 0 && even);
        // 10^(p+d) - tail = (10^d - x) * 10^p - Vl.
        int raised;
        if (vLowZero) {
            const std::uint64_t gap = power - x;
            raised = gap != uHigh ? (gap < uHigh ? -1 : 1) : (LowDigitsZero(u, p) ? 0 : -1);
        } else {
            const std::uint64_t gap = power - x - 1;
            raised = gap != uHigh ? (gap < uHigh ? -1 : 1) : compareRaisedLowWithU();
        }
        raisedFits = raised < 0 || (raised == 0 && even);
        if (cutFits || raisedFits) break;
    }

    std::uint64_t digits = vHigh / power;
    bool raise = raisedFits;
    if (cutFits && raisedFits) {
        // Twice the tail against 10^(p+d): 2 * Vl = c * 10^p + rest.
        int c = 0;
        bool restZero = true;
        if (p > 0) {
            const int next = DigitAt(v, p - 1);
            c = next >= 5 ? 1 : 0;
            restZero = (next == 0 || next == 5) && LowDigitsZero(v, p - 1);
        }
        const std::uint64_t twice = 2 * x + static_cast<std::uint64_t>(c);
        const int half = twice != power ? (twice < power ? -1 : 1) : (restZero ? 0 : 1);
        raise = half > 0 || (half == 0 && digits % 2 != 0);
    }
    if (raise) ++digits;
    int place = p + d;  // of the last digit, in units of 10^-decimals
    while (digits % 10 == 0) {
        digits /= 10;
        ++place;
    }
    char text[20];
    int count = 0;
    for (std::uint64_t rest = digits; rest != 0; rest /= 10) ++count;
    for (int i = count; i-- > 0; digits /= 10) text[i] = static_cast<char>('0' + digits % 10);
    AppendScriptNumberText(negative, std::string_view(text, static_cast<std::size_t>(count)),
                           count + place - scaled.decimals, out);
}

void AppendShortestText(std::uint64_t bits, const BinaryFormat& format, std::string& out) {
    if (const char* special = ScriptTextWithoutDigits(bits, format)) {
        out += special;
        return;
    }
    const GridPoint v = PointOf(bits & ~format.SignBit(), format);
    ScaledBinary scaled;
    if (!ScaleBinary(v.m, v.e, true, scaled)) {
        out += ShortestTextReference(bits, format);
        return;
    }
    AppendShortestOfScaled((bits & format.SignBit()) != 0, scaled, v.even, v.narrowBelow, out);
}

std::string ShortestText(std::uint64_t bits, const BinaryFormat& format) {
    std::string text;
    AppendShortestText(bits, format, text);
    return text;
}

std::string RoundedText(std::uint64_t bits, const BinaryFormat& format, int count) {
    const GridPoint v = PointOf(bits & ~format.SignBit(), format);
    const Decimal exact = BinaryToDecimal((bits & format.SignBit()) != 0, v.m, v.e);
    if (exact.digits.empty()) return exact.negative ? "-0" : "0";
    // exact = 0.digits * 10^exponent.
    int exponent = static_cast<int>(exact.scale) + static_cast<int>(exact.digits.size());
    std::string digits = exact.digits;
    const auto kept = static_cast<std::size_t>(count);
    if (digits.size() > kept) {
        // The exact digits end in no zero, so a first dropped 5 with nothing
        // after it is an exact half.
        const char first = digits[kept];
        const bool half = first == '5' && digits.size() == kept + 1;
        const bool up =
            first > '5' || (first == '5' && !half) || (half && (digits[kept - 1] - '0') % 2 == 1);
        digits.resize(kept);
        if (up) {
            std::size_t i = kept;
            while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
            if (i == 0) {
                digits.insert(digits.begin(), '1');
                digits.pop_back();
                ++exponent;
            } else {
                ++digits[i - 1];
            }
        }
        while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    }
    return ScriptNumberText(exact.negative, digits, exponent);
}

std::string UnitsInLastPlaceReference(const Decimal& difference, int unitExponent) {
    if (difference.digits.empty()) return "0";
    // 100 * |difference| / 2^u = digits * 5^t * 2^(t - u) with t = scale + 2.
    const std::int64_t t = difference.scale + 2;
    std::uint64_t hundredths = 0;
    if (static_cast<std::int64_t>(difference.digits.size()) + t >= -400) {  // else far below 0.005
        BigUnsigned numerator = BigUnsigned::FromDecimal(difference.digits);
        BigUnsigned denominator(1);
        const int fives = static_cast<int>(t < 0 ? -t : t);
        (t >= 0 ? numerator : denominator) =
            (t >= 0 ? numerator : denominator) * BigUnsigned::Power(5, fives);
        const std::int64_t twos = t - unitExponent;
        if (twos >= 0) {
            numerator <<= static_cast<int>(twos);
        } else {
            denominator <<= static_cast<int>(-twos);
        }
        BigUnsigned quotient, remainder;
        DivMod(numerator, denominator, quotient, remainder);
        hundredths = quotient.Low64();
        const int half = Compare(remainder + remainder, denominator);
        if (half > 0 || (half == 0 && hundredths % 2 != 0)) ++hundredths;
    }
    const std::string digits = std::to_string(hundredths / 100);
    const std::uint64_t cents = hundredths % 100;
    return (difference.negative ? "-" : "+") + digits + "." + static_cast<char>('0' + cents / 10) +
           static_cast<char>('0' + cents % 10);
}

// The fast form: 100 * |difference| / 2^u is 100 * digits * 2^-u * 10^scale,
// and for u > 0, as 2^-u = 5^u * 10^-u, 100 * digits * 5^u * 10^(scale - u):
// an integer in limbs times a power of ten, whose integer part and the rest
// are read off the digits. The reference's shortcut for a difference far
// below 0.005 is taken alike, so both give the same hundredths wherever the
// integer part has at most 18 digits; elsewhere the caller takes the
// reference.
bool HundredthsOfUnit(const Decimal& difference, int unitExponent, Hundredths& out) {
    out = Hundredths{};
    if (difference.digits.empty()) return true;
    const std::int64_t length = static_cast<std::int64_t>(difference.digits.size());
    if (length + difference.scale + 2 < -400) {
        out.fractionZero = false;
        return true;
    }
    constexpr int kMaxPower = 2 * kMaxTabledPower;
    if (unitExponent > kMaxPower || unitExponent < -kMaxPower) return false;
    DecimalLimbs n;
    if (length > kMaxLimbs * kLimbDigits || !FromDigits(n, difference.digits)) return false;
    std::int64_t shift = difference.scale;
    if (unitExponent <= 0) {
        if (!MultiplyByPowerOfTwo(n, -unitExponent)) return false;
    } else {
        if (!MultiplyByPowerOfFive(n, unitExponent)) return false;
        shift -= unitExponent;
    }
    if (!MultiplySmall(n, 100)) return false;
    const int digits = DigitCount(n);
    if (shift >= 0) {
        if (digits + shift > 18) return false;
        out.whole = HighDigits(n, 0);
        for (std::int64_t i = 0; i < shift; ++i) out.whole *= 10;
        return true;
    }
    out.fractionZero = false;
    if (-shift > digits) return true;  // below 0.1
    const int decimals = static_cast<int>(-shift);
    if (digits - decimals > 18) return false;
    out.whole = HighDigits(n, decimals);
    const int next = DigitAt(n, decimals - 1);
    out.half = next != 5 ? (next < 5 ? -1 : 1) : (LowDigitsZero(n, decimals - 1) ? 0 : 1);
    out.fractionZero = LowDigitsZero(n, decimals);
    return true;
}

void AppendUnitsOfHundredths(bool negative, const Hundredths& difference, std::string& out) {
    std::uint64_t hundredths = difference.whole;
    if (difference.half > 0 || (difference.half == 0 && hundredths % 2 != 0)) ++hundredths;
    char text[24];
    char* p = text;
    *p++ = negative ? '-' : '+';
    p = std::to_chars(p, text + sizeof text, hundredths / 100).ptr;
    *p++ = '.';
    *p++ = static_cast<char>('0' + hundredths % 100 / 10);
    *p++ = static_cast<char>('0' + hundredths % 10);
    out.append(text, p);
}

void AppendUnitsInLastPlace(const Decimal& difference, int unitExponent, std::string& out) {
    Hundredths h;
    if (difference.digits.empty() || !HundredthsOfUnit(difference, unitExponent, h)) {
        out += UnitsInLastPlaceReference(difference, unitExponent);
        return;
    }
    AppendUnitsOfHundredths(difference.negative, h, out);
}

// The midpoints to the neighbours lie half a unit away, a quarter below where
// the gap below is narrow: 50 and 25 hundredths. NearestMagnitude steps to
// the neighbour when the number lies beyond a midpoint, or on it with the
// stored pattern odd; its pattern's last bit is m's.
bool StoredIsNearest(const Hundredths& difference, bool differenceAbove, bool even,
                     bool narrowBelow) {
    const std::uint64_t midpoint = differenceAbove || !narrowBelow ? 50 : 25;
    if (difference.whole != midpoint) return difference.whole < midpoint;
    return difference.fractionZero && even;
}

namespace {

// How a number exactly between two patterns rounds: to the one with the even
// significand, as a correctly rounding reader does, or to the smaller
// magnitude, as the value reader rounds its 80-bit intermediate.
enum class Tie { ToEven, TowardZero };

// The magnitude pattern nearest to the positive number
// numerator * 2^twos / denominator, stepping from the magnitude of `start`.
std::uint64_t NearestMagnitude(const BigUnsigned& numerator, int twos,
                               const BigUnsigned& denominator, const BinaryFormat& format,
                               std::uint64_t start, Tie tie = Tie::ToEven) {
    // The sign of the number minus the midpoint (2m + 1) * 2^(e - 1) above the
    // magnitude pattern c.
    const auto compareWithMidpointAbove = [&](std::uint64_t c) {
        const GridPoint p = PointOf(c, format);
        return CompareScaled(numerator, twos, BigUnsigned(2 * p.m + 1) * denominator, p.e - 1);
    };
    const bool towardZero = tie == Tie::TowardZero;

    std::uint64_t c = start & ~format.SignBit();
    if (c > format.Infinity()) c = format.Infinity();
    for (;;) {
        if (c < format.Infinity()) {
            const int above = compareWithMidpointAbove(c);
            if (above > 0 || (above == 0 && !towardZero && (c & 1) != 0)) {
                ++c;
                continue;
            }
        }
        if (c > 0) {
            const int below = compareWithMidpointAbove(c - 1);
            if (below < 0 || (below == 0 && (towardZero || (c & 1) != 0))) {
                --c;
                continue;
            }
        }
        return c;
    }
}

std::uint64_t NearestPatternWithTie(const Decimal& value, bool hugeExponent, bool hugeNegative,
                                    const BinaryFormat& format, std::uint64_t start, Tie tie) {
    const std::uint64_t sign = value.negative ? format.SignBit() : 0;
    if (value.digits.empty()) return sign;
    if (hugeExponent) return hugeNegative ? sign : sign | format.Infinity();
    // 10^(t-1) <= |value| < 10^t: beyond 10^310 every format overflows, and
    // below 10^-325 lies under half the smallest binary64 subnormal.
    const std::int64_t t = static_cast<std::int64_t>(value.digits.size()) + value.scale;
    if (t > 310) return sign | format.Infinity();
    if (t < -325) return sign;
    // |value| = digits * 5^scale * 2^scale, the power of five on whichever side
    // of the fraction keeps it whole.
    const int scale = static_cast<int>(value.scale);
    BigUnsigned numerator = BigUnsigned::FromDecimal(value.digits);
    BigUnsigned denominator(1);
    if (scale >= 0) {
        numerator = numerator * BigUnsigned::Power(5, scale);
    } else {
        denominator = BigUnsigned::Power(5, -scale);
    }
    return sign | NearestMagnitude(numerator, scale, denominator, format, start, tie);
}

}  // namespace

std::uint64_t NearestPattern(const Decimal& value, bool hugeExponent, bool hugeNegative,
                             const BinaryFormat& format, std::uint64_t start) {
    return NearestPatternWithTie(value, hugeExponent, hugeNegative, format, start, Tie::ToEven);
}

std::uint64_t NearestPatternOfBinary(bool negative, const BigUnsigned& significand, int exponent,
                                     const BinaryFormat& format, std::uint64_t start) {
    const std::uint64_t sign = negative ? format.SignBit() : 0;
    if (significand.IsZero()) return sign;
    return sign | NearestMagnitude(significand, exponent, BigUnsigned(1), format, start);
}

namespace {

BigUnsigned SignificandOf(const Binary80& x) {
    return (BigUnsigned(x.significandHigh) << 16) + BigUnsigned(x.significandLow);
}

// The pattern nearest to an 80-bit number.
std::uint64_t NearestTo(const Binary80& x, const BinaryFormat& format, std::uint64_t start) {
    if (x.infinite) return (x.negative ? format.SignBit() : 0) | format.Infinity();
    return NearestPatternOfBinary(x.negative, SignificandOf(x), x.exponent, format, start);
}

// The value reader's rules, each with the exact step that replaces it, in the
// order the reading applies them.
enum Rule : unsigned {
    kDigitsRule = 1,        // keeps 24 significant digits; exact: every digit typed
    kIntermediateRule = 2,  // scales them to an 80-bit intermediate; exact: no rounding
    kHalfRule = 4,          // rounds to binary64, exact halves toward zero; exact: to even
    kNarrowingRule = 8,     // narrows the binary64 to binary32; exact: rounds once
};
constexpr Rule kRules[] = {kDigitsRule, kIntermediateRule, kHalfRule, kNarrowingRule};

const char* RuleText(unsigned rule) {
    switch (rule) {
        case kDigitsRule:
            return "the significant digits after the 24th are dropped, the 25th rounding the 24th";
        case kIntermediateRule:
            return "the 80-bit intermediate is rounded";
        case kHalfRule:
            return "the exact half is rounded toward zero";
        default:
            return "the binary32 is rounded from the binary64";
    }
}

// The numbers the reading goes through, for the pattern it stores with some
// of its rules replaced by their exact steps.
struct ReadingNumbers {
    const TypedDecimal* typed;
    Decimal kept;
    Binary80 intermediate;
    const ValueReading* reading;
};

// The binary32 nearest to a binary64 pattern: the narrowing of the binary64.
std::uint64_t NarrowedNearest(std::uint64_t binary64, std::uint64_t start) {
    const bool negative = (binary64 & kBinary64.SignBit()) != 0;
    if ((binary64 & kBinary64.ExponentMask()) == kBinary64.ExponentMask())
        return (negative ? kBinary32.SignBit() : 0) | kBinary32.Infinity();
    const GridPoint p = PointOf(binary64 & ~kBinary64.SignBit(), kBinary64);
    return NearestPatternOfBinary(negative, BigUnsigned(p.m), p.e, kBinary32, start);
}

// The pattern the reading stores with the rules in `exact` replaced by their
// exact steps. Without its digits rule the reader holds the typed number
// itself, which leaves no intermediate to round; rounding once to binary32
// leaves no binary64 to round.
std::uint64_t PatternWithExactRules(const ReadingNumbers& n, unsigned exact) {
    const ValueReading& reading = *n.reading;
    const std::uint64_t start = reading.bits;
    enum class Held { Typed, Kept, Intermediate };
    const Held held = (exact & kDigitsRule) != 0         ? Held::Typed
                      : (exact & kIntermediateRule) != 0 ? Held::Kept
                                                         : Held::Intermediate;
    const auto nearestIn = [&](const BinaryFormat& format, std::uint64_t near, Tie tie) {
        switch (held) {
            case Held::Typed:
                return NearestPatternWithTie(n.typed->value, n.typed->hugeExponent,
                                             n.typed->scientificExponentNegative, format, near,
                                             tie);
            case Held::Kept:
                return NearestPatternWithTie(n.kept, false, false, format, near, tie);
            case Held::Intermediate:
                break;
        }
        if (tie == Tie::TowardZero && &format == &kBinary64) return reading.binary64;
        return NearestTo(n.intermediate, format, near);
    };
    if (!reading.isDouble && (exact & kNarrowingRule) != 0)
        return nearestIn(kBinary32, start, Tie::ToEven);
    std::uint64_t binary64 = nearestIn(kBinary64, reading.binary64, Tie::ToEven);
    if ((exact & kHalfRule) == 0) {
        // The reader's halves toward zero, where it rounds to a normal
        // number; below, it rounds its intermediate to even.
        const std::uint64_t towardZero = nearestIn(kBinary64, reading.binary64, Tie::TowardZero);
        if ((towardZero & ~kBinary64.SignBit()) >= kBinary64.ImplicitBit()) binary64 = towardZero;
    }
    return reading.isDouble ? binary64 : NarrowedNearest(binary64, start);
}

}  // namespace

DifferenceRules DifferenceReasons(std::u16string_view text, const ValueReading& reading,
                                  const TypedDecimal& typed, std::uint64_t nearest) {
    const BinaryFormat& format = FormatOf(reading.isDouble);
    const DecimalReadingSteps steps = ReadingStepsOf(text, reading.number);
    DifferenceRules rules;
    // Without a kept digit, or with a decimal exponent beyond +-5200, the
    // number is a zero or an infinity both ways: only the last two steps can
    // part from a correctly rounding reader then, and they never do.
    unsigned firstRule = reading.isDouble ? kHalfRule : kNarrowingRule;
    bool staged = false;
    ReadingNumbers numbers{&typed, {}, steps.intermediate, &reading};
    if (steps.keptAny && steps.scaled) {
        staged = true;
        numbers.kept.negative = steps.kept.negative;
        numbers.kept.digits = (SignificandOf(steps.kept) >> -steps.kept.exponent).ToDecimal();
        numbers.kept.scale = steps.keptExponent;
        const std::uint64_t correct64 = NearestTo(steps.intermediate, kBinary64, reading.binary64);
        const auto halfRoundsToNearest = [&] {
            if (reading.isDouble) return true;
            const GridPoint p = PointOf(correct64 & ~kBinary64.SignBit(), kBinary64);
            const bool negative = (correct64 & kBinary64.SignBit()) != 0;
            return NearestPatternOfBinary(negative, BigUnsigned(p.m), p.e, kBinary32, nearest) ==
                   nearest;
        };
        if (NearestPattern(numbers.kept, false, false, format, reading.bits) != nearest) {
            firstRule = kDigitsRule;
        } else if (NearestTo(steps.intermediate, format, reading.bits) != nearest) {
            firstRule = kIntermediateRule;
        } else if (correct64 != reading.binary64 && halfRoundsToNearest()) {
            firstRule = kHalfRule;
        }
    }
    rules.first = RuleText(firstRule);
    if (!staged) return rules;

    // The fewest other rules that, replaced by their exact steps together
    // with the first, give the nearest pattern; of as few, the earliest.
    // Replacing all of them always does: that is rounding the typed number
    // once.
    unsigned others = 0;
    for (const Rule rule : kRules) {
        if (rule != firstRule && (reading.isDouble ? rule != kNarrowingRule : true)) others |= rule;
    }
    unsigned best = others;
    int bestCount = 5;
    for (unsigned subset = 0; subset <= others; ++subset) {
        if ((subset & ~others) != 0) continue;
        const int count = std::popcount(subset);
        if (count >= bestCount) continue;
        if (PatternWithExactRules(numbers, subset | firstRule) == nearest) {
            best = subset;
            bestCount = count;
        }
    }
    for (const Rule rule : kRules) {
        if ((best & rule) != 0) rules.also[rules.alsoCount++] = RuleText(rule);
    }
    return rules;
}

}  // namespace zelquin::explain
