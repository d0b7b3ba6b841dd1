// Reading the value field: decimal text to binary64, and binary64 to binary32.
#include "decimal_reading.h"

#include <bit>

#include "conversion.h"
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
                if (s.exponentValue <= 5200) {
                    s.exponentValue = s.exponentValue * 10 + static_cast<int>(unit - '0');
                    if (s.exponentValue > 5200) s.exponentValue = kExponentValueCap;
                }
                break;
        }
    }
}

constexpr std::uint64_t kSignBit64 = std::uint64_t{1} << 63;
constexpr std::uint64_t kInfinity64 = 0x7FF0000000000000u;
constexpr std::uint64_t kFractionMask64 = (std::uint64_t{1} << 52) - 1;

// m / 2^shift rounded to nearest with ties to even, for shift >= 1.
// lowerBitsSet says that non-zero bits lie below m, so that what m alone
// shows as a tie is above the half.
std::uint64_t ShiftRightNearestEven(std::uint64_t m, int shift, bool lowerBitsSet = false) {
    if (shift > 64) return 0;  // below half of one unit
    const std::uint64_t q = shift == 64 ? 0 : m >> shift;
    const std::uint64_t remainder = shift == 64 ? m : m & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (remainder > half || (remainder == half && (lowerBitsSet || (q & 1) != 0))) return q + 1;
    return q;
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
                         static_cast<std::uint16_t>(kExtendedBias + 79 - shift), false};
}

std::uint64_t ExtendedToDouble(const ExtendedValue& value) {
    const std::uint64_t sign = value.negative ? kSignBit64 : 0;
    if (value.exponent == 0) return sign;

    // Round the significand to its top 53 bits; an exact half goes toward zero.
    int e = static_cast<int>(value.exponent) - kExtendedBias;
    const std::uint64_t h = value.significandHigh;
    std::uint64_t top = h >> 11;
    const bool roundBit = ((h >> 10) & 1) != 0;
    const bool tail = (h & 0x3FF) != 0 || value.significandLow != 0;
    if (roundBit && tail) {
        ++top;
        if (top == (std::uint64_t{1} << 53)) {
            top = std::uint64_t{1} << 52;
            ++e;
        }
    }

    if (e >= 1024) return sign | kInfinity64;
    if (e < -1076) return sign;
    if (e <= -1023) {
        // Subnormal: the significand as it was before the 53-bit rounding,
        // rounded once to nearest even in units of 2^-1074, a shift of 28 to
        // 82 bits. The lowest limb lies wholly below the half bit. A carry
        // into 2^52 gives the smallest normal.
        const int shift = 15388 - static_cast<int>(value.exponent);
        const std::uint64_t q = ShiftRightNearestEven(h, shift - 16, value.significandLow != 0);
        return sign | q;
    }
    return sign | (static_cast<std::uint64_t>(e + 1023) << 52) | (top & kFractionMask64);
}

std::uint32_t DoubleToSingle(std::uint64_t binary64Bits) {
    const std::uint32_t sign = static_cast<std::uint32_t>(binary64Bits >> 32) & 0x80000000u;
    const int biased = static_cast<int>((binary64Bits >> 52) & 0x7FF);
    const std::uint64_t fraction = binary64Bits & kFractionMask64;
    if (biased == 0x7FF) {
        if (fraction == 0) return sign | 0x7F800000u;
        return sign | 0x7FC00000u | static_cast<std::uint32_t>(fraction >> 29);
    }
    if (biased == 0) return sign;  // zeros, and binary64 subnormals far below half of 2^-149

    // value = m * 2^(biased - 1075) with m of 53 bits.
    const std::uint64_t m = fraction | (std::uint64_t{1} << 52);
    const int singleBiased = biased - 896;
    if (singleBiased >= 255) return sign | 0x7F800000u;
    if (singleBiased >= 1) {
        // The rounded 24-bit significand's leading bit lands on the exponent
        // field, so a carry out of the significand raises the exponent (and
        // reaches the infinity pattern exactly when it should).
        const std::uint32_t rounded = static_cast<std::uint32_t>(ShiftRightNearestEven(m, 29));
        return sign + (static_cast<std::uint32_t>(singleBiased - 1) << 23) + rounded;
    }
    const int shift = 29 + 1 - singleBiased;
    return sign | static_cast<std::uint32_t>(ShiftRightNearestEven(m, shift));
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
    const std::uint64_t sign = s.negative ? kSignBit64 : 0;
    if (count == 0) return sign;

    const int n = (s.exponentNegative ? -s.exponentValue : s.exponentValue) + adjustment;
    if (n > 5200) return sign | kInfinity64;
    if (n < -5200) return sign;

    ExtendedValue x = ScaleByPowerOfTen(DigitsToExtended(s.digits, count), n, true);
    x.negative = s.negative;
    return ExtendedToDouble(x);
}

std::u16string ValueToPatternText(std::u16string_view valueText, bool treatAsDouble) {
    const std::uint64_t binary64 = TextToDouble(valueText);
    if (treatAsDouble) return UInt64ToHexText(binary64);
    return UInt32ToHexText(DoubleToSingle(binary64));
}

}  // namespace zelquin
