// Reading the value field: decimal text to binary64.
#include "decimal_reading.h"

#include <bit>

#include "binary_format.h"
#include "pattern_reading.h"

namespace zelquin {
namespace {

// The exponent adjustment only matters up to the limits of +-5200 on the
// decimal exponent; holding it within this bound keeps arbitrarily long texts
// from overflowing it without changing any result.
constexpr int kAdjustmentLimit = 1 << 24;

enum class ScanState {
    Start,
    AfterSign,
    LeadingZeros,
    IntegerDigits,
    PointFirst,
    FractionDigits,
    ExponentLetter,
    ExponentSign,
    ExponentZeros,
    ExponentDigits,
};

bool IsExponentLetter(unsigned c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; }
bool IsDigit(unsigned c) { return c >= '0' && c <= '9'; }
bool IsNonZeroDigit(unsigned c) { return c >= '1' && c <= '9'; }

// The state machine of the decimal reader over code units; a NUL, the end of
// the text, or a unit above 0xFF (which has no narrow form) ends the text.
// Units are examined one at a time and never past the one that ends the number.
template <typename Unit>
ScanResult ScanUnits(const Unit* p, const Unit* end) {
    ScanResult s{false, false, 0, {}, 0, 0, false};
    ScanState state = ScanState::Start;
    for (;;) {
        const unsigned c = p == end ? 0u : static_cast<unsigned>(*p);
        const unsigned unit = c > 0xFFu ? 0u : c;
        switch (state) {
            case ScanState::Start:
            case ScanState::AfterSign:
                if (IsNonZeroDigit(unit)) {
                    state = ScanState::IntegerDigits;
                    s.digitSeen = true;
                } else if (unit == '.') {
                    ++p;
                    state = ScanState::PointFirst;
                } else if (unit == '0') {
                    ++p;
                    state = ScanState::LeadingZeros;
                    s.digitSeen = true;
                } else if (state == ScanState::Start && (unit == '+' || unit == '-')) {
                    s.negative = unit == '-';
                    ++p;
                    state = ScanState::AfterSign;
                } else {
                    return s;
                }
                break;
            case ScanState::LeadingZeros:
                if (unit == '0') {
                    ++p;
                } else if (IsNonZeroDigit(unit)) {
                    state = ScanState::IntegerDigits;
                } else if (unit == '.') {
                    ++p;
                    state = ScanState::FractionDigits;
                } else if (IsExponentLetter(unit)) {
                    ++p;
                    state = ScanState::ExponentLetter;
                } else {
                    return s;
                }
                break;
            case ScanState::IntegerDigits:
                if (IsDigit(unit)) {
                    // The whole run of digits at once (a unit above 0xFF is
                    // never a digit). The count lives in a local: a store
                    // through the byte array may alias the struct's count
                    // and would force a reload per digit.
                    int count = s.digitCount;
                    int adjustment = s.exponentAdjustment;
                    do {
                        if (count < kMaxStoredDigits) {
                            s.digits[count++] = static_cast<std::uint8_t>(*p - '0');
                        } else if (adjustment < kAdjustmentLimit) {
                            ++adjustment;
                        }
                        ++p;
                    } while (p != end && IsDigit(static_cast<unsigned>(*p)));
                    s.digitCount = count;
                    s.exponentAdjustment = adjustment;
                } else if (unit == '.') {
                    ++p;
                    state = ScanState::FractionDigits;
                } else if (IsExponentLetter(unit)) {
                    ++p;
                    state = ScanState::ExponentLetter;
                } else {
                    return s;
                }
                break;
            case ScanState::PointFirst:
                if (!IsDigit(unit)) return s;
                state = ScanState::FractionDigits;
                s.digitSeen = true;
                break;
            case ScanState::FractionDigits:
                if (IsDigit(unit)) {
                    int count = s.digitCount;
                    int adjustment = s.exponentAdjustment;
                    do {
                        const unsigned digit = static_cast<unsigned>(*p) - '0';
                        if (digit == 0 && count == 0) {
                            if (adjustment > -kAdjustmentLimit) --adjustment;
                        } else if (count < kMaxStoredDigits) {
                            s.digits[count++] = static_cast<std::uint8_t>(digit);
                            --adjustment;
                        }
                        ++p;
                    } while (p != end && IsDigit(static_cast<unsigned>(*p)));
                    s.digitCount = count;
                    s.exponentAdjustment = adjustment;
                } else if (IsExponentLetter(unit)) {
                    ++p;
                    state = ScanState::ExponentLetter;
                } else {
                    return s;
                }
                break;
            case ScanState::ExponentLetter:
            case ScanState::ExponentSign:
                if (IsNonZeroDigit(unit)) {
                    state = ScanState::ExponentDigits;
                } else if (unit == '0') {
                    ++p;
                    state = ScanState::ExponentZeros;
                } else if (state == ScanState::ExponentLetter && (unit == '+' || unit == '-')) {
                    s.exponentNegative = unit == '-';
                    ++p;
                    state = ScanState::ExponentSign;
                } else {
                    // A letter or sign without digits counts for nothing.
                    s.exponentNegative = false;
                    return s;
                }
                break;
            case ScanState::ExponentZeros:
                if (unit == '0') {
                    ++p;
                } else if (IsNonZeroDigit(unit)) {
                    state = ScanState::ExponentDigits;
                } else {
                    return s;
                }
                break;
            case ScanState::ExponentDigits:
                if (!IsDigit(unit)) return s;
                ++p;
                if (s.exponentValue <= kLargestDecimalExponent) {
                    s.exponentValue = s.exponentValue * 10 + static_cast<int>(unit - '0');
                    if (s.exponentValue > kLargestDecimalExponent) s.exponentValue = kExponentValueCap;
                }
                break;
        }
    }
}

}  // namespace

ScanResult ScanDecimal(std::string_view narrowText) {
    return ScanUnits(reinterpret_cast<const unsigned char*>(narrowText.data()),
                     reinterpret_cast<const unsigned char*>(narrowText.data() + narrowText.size()));
}

ScanResult ScanDecimal(std::u16string_view text) {
    return ScanUnits(text.data(), text.data() + text.size());
}

ExtendedValue DigitsToExtended(const std::uint8_t* digits, int count) {
    // N = high * 2^32 + low, below 2^80, so high stays below 2^48. The first
    // nineteen digits fit in 64 bits and are gathered there directly.
    const int direct = count < 19 ? count : 19;
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
                         static_cast<std::uint16_t>(kExtendedBias + kExtendedLeadingBit - shift), false};
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
    const bool tail = (h & ((std::uint64_t{1} << (kDropped - 1)) - 1)) != 0 || value.significandLow != 0;
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
    constexpr int kSmallestNormalExponent = 1 - kBinary64.Bias();                      // -1022
    constexpr int kLargestExponent = kBinary64.Bias();                                  // 1023
    constexpr int kZeroBelowExponent = kBinary64.SubnormalUnitExponent() - 2;          // -1076
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

std::uint64_t TextToDouble(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] != u'\0' && IsWhiteSpace(text[i])) ++i;  // NUL is never white space
    ScanResult s = ScanDecimal(text.substr(i));
    if (!s.digitSeen) return 0;

    int count = s.digitCount;
    int adjustment = s.exponentAdjustment;
    if (count == kMaxStoredDigits) {
        --count;
        ++adjustment;
        if (s.digits[count] >= 5) ++s.digits[count - 1];  // may become ten
    }
    while (count > 0 && s.digits[count - 1] == 0) {
        --count;
        ++adjustment;
    }
    const std::uint64_t sign = s.negative ? kBinary64.SignBit() : 0;
    if (count == 0) return sign;

    const int n = (s.exponentNegative ? -s.exponentValue : s.exponentValue) + adjustment;
    if (n > kLargestDecimalExponent) return sign | kBinary64.Infinity();
    if (n < -kLargestDecimalExponent) return sign;

    ExtendedValue x = ScaleByPowerOfTen(DigitsToExtended(s.digits, count), n, true);
    x.negative = s.negative;
    return ExtendedToDouble(x);
}

}  // namespace zelquin
