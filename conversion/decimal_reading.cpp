// Reading the value field: decimal text to binary64.
#include "decimal_reading.h"

#include <bit>

#include "binary_format.h"
#include "inlining.h"
#include "pattern_reading.h"
#include "wide_arithmetic.h"
#include "wide_powers.h"

namespace zelquin {
namespace {

// The exponent adjustment only matters up to the limits of +-5200 on the
// decimal exponent; holding it within this bound keeps arbitrarily long texts
// from overflowing it without changing any result.
constexpr int kAdjustmentLimit = 1 << 24;

// The narrow form of a unit: its own code value up to 0xFF. A unit above 0xFF
// has none and ends the text, as a NUL does: 0 stands for both.
inline unsigned Narrow(char16_t unit) {
    const unsigned value = static_cast<unsigned>(unit);
    return value & (0u - static_cast<unsigned>(value <= 0xFFu));
}

// The value of a decimal digit, 10 or more for any other unit. A unit above
// 0xFF needs no narrowing here: like the 0 it narrows to, it is no digit.
inline unsigned DigitOf(char16_t unit) { return static_cast<unsigned>(unit) - '0'; }

inline bool IsExponentLetter(unsigned c) { return (c | 0x20u) == 'e' || (c | 0x20u) == 'd'; }

std::int64_t Clamp(std::int64_t adjustment) {
    return adjustment > kAdjustmentLimit    ? kAdjustmentLimit
           : adjustment < -kAdjustmentLimit ? -kAdjustmentLimit
                                            : adjustment;
}

// A run of digits from p: the first `gather` of them added to the significand,
// the rest only counted. Returns the end of the run. Digits are taken two at a
// time, the second unit read only once the first has proved a digit, so that
// nothing past the run's end is read.
ZELQUIN_INLINE const char16_t* ReadDigitRun(const char16_t* p, const char16_t* end,
                                            std::ptrdiff_t gather, std::uint64_t& significand) {
    const char16_t* const gatherEnd = end - p > gather ? p + gather : end;
    std::uint64_t value = significand;
    for (; gatherEnd - p >= 2; p += 2) {
        const unsigned first = DigitOf(p[0]);
        if (first >= 10) {
            significand = value;
            return p;
        }
        const unsigned second = DigitOf(p[1]);
        if (second >= 10) {
            significand = value * 10 + first;
            return p + 1;
        }
        value = value * 100 + (first * 10 + second);
    }
    if (p != gatherEnd) {
        const unsigned digit = DigitOf(*p);
        if (digit >= 10) {
            significand = value;
            return p;
        }
        value = value * 10 + digit;
        ++p;
    }
    significand = value;
    while (p != end && DigitOf(*p) < 10) ++p;
    return p;
}

// The grammar, read from the front: a sign; a significand of digits with at
// most one point and at least one digit; an exponent part of a letter, a sign
// and at least one digit, which counts for nothing without its digit. Zeros
// ahead of the first significant digit are counted, not stored; the first 25
// significant digits are stored, and the first 19 also gathered into a 64-bit
// integer; beyond the 25, integer digits move the point and fraction digits
// are ignored. Each unit is narrowed as it is read. The scan examines the
// units in order and stops at the first one that is not part of the number,
// never reading past it (the point alone looks one unit ahead, as it is a
// number's only when a digit stands on one side of it). Positions are kept
// as pointers while scanning and made offsets from `text` at the end.
ZELQUIN_INLINE DecimalReading ScanUnits(const char16_t* const text, const char16_t* p,
                                        const char16_t* const end) {
    const auto at = [text](const char16_t* q) { return static_cast<std::size_t>(q - text); };
    DecimalReading s{};
    s.numberStart = s.significandStart = s.significandEnd = s.exponentStart = s.numberEnd =
        s.firstStored = at(p);
    const auto current = [&] { return p == end ? 0u : Narrow(*p); };

    // Sign.
    unsigned c = current();
    if (c == '+' || c == '-') {
        s.negative = c == '-';
        ++p;
    }

    // Significand: leading zeros, integer digits, then the point and the
    // fraction digits, whose zeros before the first stored digit only move it.
    const char16_t* const significandStart = p;
    while (p != end && Narrow(*p) == '0') ++p;
    const char16_t* firstStored = p;
    p = ReadDigitRun(p, end, kDigitsInSignificand, s.significand);
    const std::ptrdiff_t integerDigits = p - firstStored;
    s.digitSeen = p != significandStart;
    s.storedDigits =
        integerDigits < kMaxStoredDigits ? static_cast<int>(integerDigits) : kMaxStoredDigits;
    std::int64_t adjustment = integerDigits - s.storedDigits;
    std::int64_t significantDigits = integerDigits;
    c = current();
    if (c == '.') {
        if (!s.digitSeen && (p + 1 == end || DigitOf(p[1]) >= 10)) return s;
        const char16_t* const fraction = ++p;
        if (s.storedDigits == 0) {
            while (p != end && Narrow(*p) == '0') ++p;
            adjustment = -(p - fraction);
            firstStored = p;
        }
        const char16_t* const run = p;
        const int gathered =
            s.storedDigits < kDigitsInSignificand ? s.storedDigits : kDigitsInSignificand;
        p = ReadDigitRun(p, end, kDigitsInSignificand - gathered, s.significand);
        const std::ptrdiff_t fractionDigits = p - run;
        const std::ptrdiff_t room = kMaxStoredDigits - s.storedDigits;
        const int stored = static_cast<int>(fractionDigits < room ? fractionDigits : room);
        s.storedDigits += stored;
        adjustment -= stored;
        significantDigits += fractionDigits;
        s.digitSeen = s.digitSeen || p != fraction;
        c = current();
    }
    if (!s.digitSeen) return s;
    s.significandStart = at(significandStart);
    s.significandEnd = s.exponentStart = s.numberEnd = at(p);
    s.firstStored = at(firstStored);
    s.significantDigits = static_cast<int>(Clamp(significantDigits));
    s.exponentAdjustment = static_cast<int>(Clamp(adjustment));
    if (!IsExponentLetter(c)) return s;

    // Exponent part; its value stops at kExponentValueCap.
    ++p;
    c = current();
    bool exponentNegative = false;
    if (c == '+' || c == '-') {
        exponentNegative = c == '-';
        ++p;
    }
    if (p == end || DigitOf(*p) >= 10) return s;
    s.exponentStart = at(p);
    int value = 0;
    for (unsigned digit; p != end && (digit = DigitOf(*p)) < 10; ++p) {
        if (value <= kLargestDecimalExponent) {
            value = value * 10 + static_cast<int>(digit);
            if (value > kLargestDecimalExponent) value = kExponentValueCap;
        }
    }
    s.numberEnd = at(p);
    s.exponentValue = value;
    s.exponentNegative = exponentNegative;
    return s;
}

// The stored digit values from text[first] on, a point skipped.
int CopyStoredDigits(std::u16string_view text, std::size_t first, int count, std::uint8_t* digits) {
    std::size_t i = first;
    for (int k = 0; k < count; ++i) {
        if (text[i] != u'.') digits[k++] = static_cast<std::uint8_t>(DigitOf(text[i]));
    }
    return count;
}

// The scan from text[start], with the text-after flag.
ZELQUIN_INLINE DecimalReading ScanFrom(std::u16string_view text, std::size_t start) {
    const char16_t* const begin = text.data();
    DecimalReading s = ScanUnits(begin, begin + start, begin + text.size());
    s.textAfter = s.digitSeen && s.numberEnd < text.size();
    return s;
}

// The reader's scan: after the text's white space.
ZELQUIN_INLINE DecimalReading Scan(std::u16string_view text) {
    return ScanFrom(text, WhiteSpaceLength(text));
}

}  // namespace

DecimalReading ScanDecimalText(std::u16string_view text, std::size_t start) {
    return ScanFrom(text, start);
}

int StoredDigits(std::u16string_view text, const DecimalReading& number, std::uint8_t* digits) {
    return CopyStoredDigits(text, number.firstStored, number.storedDigits, digits);
}

ExtendedValue DigitsToExtended(const std::uint8_t* digits, int count) {
    // N = high * 2^32 + low, below 2^80, so high stays below 2^48. The first
    // nineteen digits fit in 64 bits and are gathered there directly.
    const int direct = count < kDigitsInSignificand ? count : kDigitsInSignificand;
    std::uint64_t first = 0;
    for (int i = 0; i < direct; ++i) first = first * 10 + digits[i];
    std::uint64_t high = first >> 32;
    std::uint64_t low = first & 0xFFFFFFFFu;
    for (int i = direct; i < count; ++i) {
        low = low * 10 + digits[i];
        high = high * 10 + (low >> 32);
        low &= 0xFFFFFFFFu;
    }
    // Shift N (below 2^80, at least 1) until bit 79 is set; the significand
    // is held as bits 16..79 and bits 0..15.
    std::uint64_t sHigh = (high << 16) | (low >> 16);
    std::uint64_t sLow = low & 0xFFFFu;
    int shift;
    if (sHigh != 0) {
        shift = std::countl_zero(sHigh);
        if (shift != 0) {
            sHigh = (sHigh << shift) | (shift <= 16 ? sLow >> (16 - shift) : sLow << (shift - 16));
            sLow = shift >= 16 ? 0 : (sLow << shift) & 0xFFFFu;
        }
    } else {
        const int lowShift = std::countl_zero(sLow);  // 48 to 63
        shift = 16 + lowShift;
        sHigh = sLow << lowShift;
        sLow = 0;
    }
    return ExtendedValue{sHigh, static_cast<std::uint16_t>(sLow),
                         static_cast<std::uint16_t>(kExtendedBias + kExtendedLeadingBit - shift),
                         false};
}

std::uint64_t ExtendedToDouble(const ExtendedValue& value) {
    const std::uint64_t sign = value.negative ? kBinary64.SignBit() : 0;
    if (value.exponent == 0) return sign;

    // Round the significand to its top 53 bits; an exact half goes toward zero.
    // The top 64 bits hold the 53, the round bit r below them and 10 bits of
    // the tail t; the lowest limb holds the tail's other 16 bits.
    constexpr int kDropped = 64 - (kBinary64.fractionBits + 1);  // 11
    int e = static_cast<int>(value.exponent) - kExtendedBias;
    const std::uint64_t h = value.significandHigh;
    std::uint64_t top = h >> kDropped;
    const bool roundBit = ((h >> (kDropped - 1)) & 1) != 0;
    const bool tail =
        (h & ((std::uint64_t{1} << (kDropped - 1)) - 1)) != 0 || value.significandLow != 0;
    if (roundBit && tail) {
        ++top;
        if (top == kBinary64.ImplicitBit() << 1) {
            top = kBinary64.ImplicitBit();
            ++e;
        }
    }

    // e is the power of two of the leading bit: normal binary64 numbers have
    // 1 - bias to bias; a magnitude below 2^-1076, a quarter of the smallest
    // subnormal, is a zero.
    constexpr int kSmallestNormalExponent = 1 - kBinary64.Bias();              // -1022
    constexpr int kLargestExponent = kBinary64.Bias();                         // 1023
    constexpr int kZeroBelowExponent = kBinary64.SubnormalUnitExponent() - 2;  // -1076
    if (e > kLargestExponent) return sign | kBinary64.Infinity();
    if (e < kZeroBelowExponent) return sign;
    if (e < kSmallestNormalExponent) {
        // Subnormal: the significand as it was before the 53-bit rounding,
        // rounded once to nearest even in units of 2^-1074. The value is
        // S * 2^(X - bias - 79), so the shift is bias + 79 - 1074 - X: 28 to 82
        // bits of the 80, of which the lowest limb lies wholly below the half
        // bit. A carry into 2^52 gives the smallest normal.
        constexpr int kSubnormalShiftBase =
            kExtendedBias + kExtendedLeadingBit + kBinary64.SubnormalUnitExponent();  // 15388
        const int shift = kSubnormalShiftBase - static_cast<int>(value.exponent);
        const std::uint64_t q = ShiftRightNearestEven(h, shift - 16, value.significandLow != 0);
        return sign | q;
    }
    return sign | (static_cast<std::uint64_t>(e + kBinary64.Bias()) << kBinary64.fractionBits) |
           (top & kBinary64.FractionMask());
}

namespace {

// The fast path. Why it gives the chain's binary64, for a number N * 10^n with
// N below 10^19 (at most 19 digits) and |n| <= 342:
//
// The chain reads the digits, without their trailing zeros, as an integer of at
// most 64 significant bits, so the lowest limb is already clear and clearing it
// changes nothing. It scales by one table entry per octal digit of its decimal
// exponent, which is n plus the trailing zeros, at most three as it is below
// 512 (N * 10^n is also its number, whatever the zeros), and
// rounds the result y' to 53 bits, up exactly when y' lies above the midpoint
// between two binary64 neighbours. Each multiplication leaves out partial
// products of less than 2^-76 of the product, never above it, and rounds
// within 2^-80; each table entry lies within 2^-80.009 of its power (the tests
// check both). So |y' - w| < 3 * (2^-76 + 2^-80 + 2^-80.009) * w < 2^-74.24 * w,
// with w = N * 10^n exactly.
//
// Here w is m * P * 2^(b - 127 - lz): m is N shifted left by lz so that its top
// bit is set, P the 128-bit truncation of 10^n (below it by less than one unit).
// H, the top 128 bits of m * P, is formed exactly, and w lies in [H, H + 2)
// units of H's last bit (in [H, H + 4) after the one shift that normalises H).
// With H normalised to [2^127, 2^128), the top 53 bits are the significand, the
// next is the round bit, and the 74 below it the tail. Unless w lies within
// 2^57 units, 2^-71 of w, of the midpoint (round bit set, tail zero), y' lies
// on the same side of it as w: 2^-74.24 of w is below 2^53.76 units, and the
// 4 units of H's own error add nothing that matters. So away from
// the midpoints the chain rounds up exactly when the round bit is set. Results
// that the chain makes subnormal, infinite or zero fall back, as do exact
// midpoints, which the band holds.
ZELQUIN_INLINE bool FastTextToDouble(std::uint64_t n, int exponent, std::uint64_t& bits) {
    if (exponent < kWidePowerMin || exponent > kWidePowerMax) return false;
    const int lz = std::countl_zero(n);
    const WidePower& power = WidePowerOfTen(exponent);
    Wide128 h = Multiply64By128High(n << lz, power.high, power.low);
    // w = H * 2^(b - 63 - lz); H is at least 2^126.
    // Normalised without a branch: shifted left once when bit 127 is clear.
    const int shift = 1 - static_cast<int>(h.high >> 63);
    h.high = (h.high << shift) | ((h.low >> 63) & static_cast<std::uint64_t>(shift));
    h.low <<= shift;
    int e = BinaryExponentOfPowerOfTen(exponent) + 64 - lz - shift;  // of H's bit 127

    // The round bit and the tail: the low 11 bits of the high word and the
    // low word. Near the midpoint means within kBand of 0x400 * 2^64; with
    // kBand added, that is 0x400 * 2^64 up to 2 * kBand above it.
    constexpr int kTailBits = 64 - (kBinary64.fractionBits + 1) - 1;  // 10 in the high word
    constexpr std::uint64_t kBand = std::uint64_t{1} << 57;
    const std::uint64_t roundField = h.high & ((std::uint64_t{2} << kTailBits) - 1);
    const std::uint64_t lowPlusBand = h.low + kBand;
    const std::uint64_t fieldPlusBand = roundField + (lowPlusBand < kBand ? 1 : 0);
    if (fieldPlusBand == (std::uint64_t{1} << kTailBits) && lowPlusBand < 2 * kBand) return false;
    const std::uint64_t roundBit = (h.high >> kTailBits) & 1;

    std::uint64_t significand = (h.high >> (kTailBits + 1)) + roundBit;
    if (significand == kBinary64.ImplicitBit() << 1) {
        significand >>= 1;
        ++e;
    }
    if (e > kBinary64.Bias() || e < 1 - kBinary64.Bias()) return false;
    bits = (static_cast<std::uint64_t>(e + kBinary64.Bias()) << kBinary64.fractionBits) |
           (significand & kBinary64.FractionMask());
    return true;
}

// The power of ten of the stored digits read as an integer: the exponent part
// with its sign, and the adjustment that places the point.
int DecimalExponent(bool exponentNegative, int exponentValue, int adjustment) {
    return (exponentNegative ? -exponentValue : exponentValue) + adjustment;
}

// The chain's steps: the stored digits cut to 24 (a 25th of 5 or more raising
// the 24th, which may then hold ten) without their trailing zeros, read as an
// integer N, and N scaled by 10^n with the extended multiplications.
struct ChainSteps {
    bool any;     // a digit is kept; otherwise the number is a zero
    bool scaled;  // |n| <= 5200; beyond, it is infinity or zero at once
    int n;
    ExtendedValue kept;
    ExtendedValue intermediate;
};

// What the chain needs of a scan: the stored digits, where they stand, and the
// powers of ten. Taken by value, so that a conversion's scan record, of which
// the fast path reads only a few fields, never has to be written out whole.
struct ChainInput {
    bool negative;
    int storedDigits;
    std::size_t firstStored;
    int exponentAdjustment;
    int exponentValue;
    bool exponentNegative;
};

ChainInput ChainInputOf(const DecimalReading& number) {
    return ChainInput{number.negative,           number.storedDigits,  number.firstStored,
                      number.exponentAdjustment, number.exponentValue, number.exponentNegative};
}

ChainSteps ChainStepsOf(std::u16string_view text, const ChainInput& number) {
    std::uint8_t digits[kMaxStoredDigits];
    int count = CopyStoredDigits(text, number.firstStored, number.storedDigits, digits);
    int adjustment = number.exponentAdjustment;
    if (count == kMaxStoredDigits) {
        --count;
        ++adjustment;
        if (digits[count] >= 5) ++digits[count - 1];  // may become ten
    }
    while (count > 0 && digits[count - 1] == 0) {
        --count;
        ++adjustment;
    }
    ChainSteps steps{count > 0, false, 0, {}, {}};
    if (!steps.any) return steps;
    steps.n = DecimalExponent(number.exponentNegative, number.exponentValue, adjustment);
    steps.kept = DigitsToExtended(digits, count);
    steps.kept.negative = number.negative;
    steps.scaled = steps.n >= -kLargestDecimalExponent && steps.n <= kLargestDecimalExponent;
    if (steps.scaled) {
        steps.intermediate = ScaleByPowerOfTen(steps.kept, steps.n, true);
        steps.intermediate.negative = number.negative;
    }
    return steps;
}

// The extended value as a number with an explicit power of two.
Binary80 ToBinary80(const ExtendedValue& x) {
    const bool infinite = x.exponent == kExtendedInfinityExponent;
    return Binary80{x.negative, infinite, infinite ? 0 : x.significandHigh,
                    infinite ? std::uint16_t{0} : x.significandLow,
                    (x.exponent == 0 ? 1 : x.exponent) - kExtendedBias - kExtendedLeadingBit};
}

// The text after its white space, read by the fast path where it applies and
// by the chain otherwise. The fast path takes the digits as they were stored,
// trailing zeros included: its result depends only on the number's exact
// value, which the chain's value for the digits without their trailing zeros
// approaches within the same bound.
// The binary64 by the chain.
std::uint64_t ChainOf(std::u16string_view text, const ChainInput& number) {
    const std::uint64_t sign = number.negative ? kBinary64.SignBit() : 0;
    const ChainSteps steps = ChainStepsOf(text, number);
    if (!steps.any) return sign;
    if (!steps.scaled) return steps.n > 0 ? sign | kBinary64.Infinity() : sign;
    return ExtendedToDouble(steps.intermediate);
}

// The fast path for a scanned number with a digit: true with the chain's
// binary64, false where it leaves it to the chain.
ZELQUIN_INLINE bool FastOf(const DecimalReading& number, std::uint64_t& bits) {
    if (number.storedDigits == 0 || number.storedDigits > kDigitsInSignificand) return false;
    const int n =
        DecimalExponent(number.exponentNegative, number.exponentValue, number.exponentAdjustment);
    if (!FastTextToDouble(number.significand, n, bits)) return false;
    bits |= number.negative ? kBinary64.SignBit() : 0;
    return true;
}

ZELQUIN_INLINE std::uint64_t ToDouble(std::u16string_view text, const DecimalReading& number) {
    if (!number.digitSeen) return 0;
    std::uint64_t bits;
    if (FastOf(number, bits)) return bits;
    return ChainOf(text, ChainInputOf(number));
}

}  // namespace

bool FastDecimalToDouble(std::u16string_view, const DecimalReading& number, std::uint64_t& bits) {
    return number.digitSeen && FastOf(number, bits);
}

std::uint64_t ChainToDouble(std::u16string_view text, const DecimalReading& number) {
    if (!number.digitSeen) return 0;
    return ChainOf(text, ChainInputOf(number));
}

std::uint64_t DecimalToDouble(std::u16string_view text, const DecimalReading& number) {
    return ToDouble(text, number);
}

std::uint64_t TextToDouble(std::u16string_view text) { return ToDouble(text, Scan(text)); }

namespace {

// The record, built where it is used: a conversion that takes only the
// pattern from it lets the compiler drop the rest.
ZELQUIN_INLINE ValueReading Read(std::u16string_view text, FormatOption option) {
    ValueReading reading;
    reading.number = Scan(text);
    reading.binary64 = ToDouble(text, reading.number);
    reading.isDouble = option != FormatOption::Binary32;
    reading.bits = reading.isDouble ? reading.binary64 : DoubleToSingle(reading.binary64);
    return reading;
}

}  // namespace

ValueReading ReadValueText(std::u16string_view text, FormatOption option) {
    return Read(text, option);
}

// A binary32 pattern is the same number as a 64-bit one, and its hexadecimal
// text is the same.
char16_t* ValueToPatternText(std::u16string_view valueText, FormatOption option, char16_t* out) {
    return UInt64ToHexText(Read(valueText, option).bits, out);
}

DecimalReadingSteps ReadingStepsOf(std::u16string_view text, const DecimalReading& number) {
    DecimalReadingSteps steps{};
    if (!number.digitSeen) return steps;
    const ChainSteps chain = ChainStepsOf(text, ChainInputOf(number));
    steps.keptAny = chain.any;
    if (!chain.any) return steps;
    steps.kept = ToBinary80(chain.kept);
    steps.keptExponent = chain.n;
    steps.scaled = chain.scaled;
    if (chain.scaled) steps.intermediate = ToBinary80(chain.intermediate);
    return steps;
}

}  // namespace zelquin
