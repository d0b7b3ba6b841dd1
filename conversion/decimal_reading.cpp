// Reading the value field: decimal text to binary64.
#include "decimal_reading.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "binary_format.h"
#include "decimal_integers.h"
#include "decimal_reading_paths.h"
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

// The value of a decimal digit, 10 or more for any other unit. A unit above
// U+00FF, which ends the text as a NUL does, is no digit, nor equal to any of
// the grammar's other characters, so units are compared as they are.
inline unsigned DigitOf(char16_t unit) { return static_cast<unsigned>(unit) - '0'; }

inline bool IsExponentLetter(unsigned c) { return (c | 0x20u) == 'e' || (c | 0x20u) == 'd'; }

std::int64_t Clamp(std::int64_t adjustment) {
    return adjustment > kAdjustmentLimit    ? kAdjustmentLimit
           : adjustment < -kAdjustmentLimit ? -kAdjustmentLimit
                                            : adjustment;
}

// Runs of digits are read four units at a time: one 64-bit load, the first
// unit in the low 16 bits (every target is little-endian). Nothing outside the
// view is read; within it, the units after a run, and near the view's end the
// units before it, may be loaded and ignored.
static_assert(std::endian::native == std::endian::little);

constexpr std::uint64_t kLanes = 0x0001000100010001u;

inline std::uint64_t LoadFour(const char16_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The units minus '0' where they are digits (0 to 9 in their lanes), anything
// else elsewhere: x = units ^ 0x30, which maps '0'..'9' and only them to 0..9.
inline std::uint64_t DigitLanes(std::uint64_t units) { return units ^ (0x30 * kLanes); }

// How many of the four lanes, from the first, hold digits (0 to 4). A lane
// above 9 has its top bit set, or gets it from adding 0x7FF6 to its low 15
// bits, which cannot carry into the next lane.
inline int LeadingDigitLanes(std::uint64_t x) {
    const std::uint64_t notDigit =
        (x | ((x & (0x7FFF * kLanes)) + 0x7FF6 * kLanes)) & (0x8000 * kLanes);
    return std::countr_zero(notDigit) >> 4;
}

// The number of the first `digits` lanes (1 to 4), the first lane the most
// significant: pairs, then the two pairs. Lanes shifted in from below as
// zeros make the value that of the lanes above them.
inline std::uint64_t LeadingDigitsValue(std::uint64_t x, int digits) {
    x <<= 16 * (4 - digits);
    const std::uint64_t pairs = ((x * (10 * 0x10000 + 1)) >> 16) & 0x0000FFFF0000FFFFu;
    return (pairs * (100 * (std::uint64_t{1} << 32) + 1)) >> 32;
}

// On 32-bit x86 the wide loads lose to reading one unit at a time (measured
// under Wine): their 64-bit shifts and products take several instructions
// each there. That build reads runs one unit at a time, the digits gathered
// nine at a time in a 32-bit integer.
#if defined(__i386__) || defined(_M_IX86)
constexpr bool kWideLoads = false;
#else
constexpr bool kWideLoads = true;
#endif

// The four units from p, those at and after `end` read as 0: one load from p,
// or, where fewer than four remain, of the view's last four moved down (the
// view from `first` holding four). The units before p that this loads lie in
// the view too. False where p is at the end or the view is shorter.
ZELQUIN_INLINE bool LoadUnits(const char16_t* p, const char16_t* first, const char16_t* end,
                              std::uint64_t& units) {
    const std::ptrdiff_t left = end - p;
    if (!kWideLoads) return false;
    if (left >= 4) {
        units = LoadFour(p);
        return true;
    }
    if (left <= 0 || end - first < 4) return false;
    units = LoadFour(end - 4) >> (16 * (4 - left));
    return true;
}

// With SSE2 on x86-64, runs are read eight units at a time: one 128-bit load
// narrowed to eight bytes, the first unit in the low byte. The narrowing
// saturates: a unit from U+0100 to U+7FFF becomes 0xFF and one from U+8000 on
// becomes 0, neither a digit's byte, so a byte is a digit exactly where its
// unit is.
#if defined(__SSE2__) && defined(__x86_64__)
constexpr bool kEightUnitLoads = true;

inline std::uint64_t NarrowEight(const char16_t* p) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_packus_epi16(units, units)));
}

// Runs of up to sixteen digits at once, where sixteen units from p lie in
// the view: which of the sixteen are digits, from their bytes (a byte minus
// '0' is a digit's exactly when it is at most 9); then the k digits taken
// (k = 1 to 16) loaded again as the sixteen units that end with them, so that
// the units before them, which are cleared, stand for leading zeros; and
// their number from the units minus '0' by three multiply-adds of neighbours:
// pairs (10, 1), fours (100, 1) and eights (10000, 1), each fitting its
// lanes (99, 9999 and 99999999 at most). The second load starts at or after
// `first`, or the run is left to the eight-unit loads. Returns the digits
// taken, or 0 where it takes none.
inline int GatherSixteen(const char16_t* p, const char16_t* first, int room, std::uint64_t& value) {
    const __m128i zeroDigit = _mm_set1_epi8('0');
    const __m128i bytes =
        _mm_sub_epi8(_mm_packus_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8))),
                     zeroDigit);
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(9)), bytes);
    int k = std::countr_zero(~static_cast<unsigned>(_mm_movemask_epi8(isDigit)));  // 0 to 16
    if (k > room) k = room;
    if (k == 0 || p + k - 16 < first) return 0;
    const char16_t* const from = p + k - 16;
    const __m128i zeroUnit = _mm_set1_epi16('0');
    // Lane i of the sixteen is kept from i = 16 - k on.
    const __m128i firstKept = _mm_set1_epi16(static_cast<short>(15 - k));
    const __m128i high = _mm_and_si128(
        _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)), zeroUnit),
        _mm_cmpgt_epi16(_mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7), firstKept));
    const __m128i low = _mm_and_si128(
        _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 8)), zeroUnit),
        _mm_cmpgt_epi16(_mm_setr_epi16(8, 9, 10, 11, 12, 13, 14, 15), firstKept));
    const __m128i tens = _mm_setr_epi16(10, 1, 10, 1, 10, 1, 10, 1);
    const __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(high, tens), _mm_madd_epi16(low, tens));
    const __m128i fours = _mm_madd_epi16(pairs, _mm_setr_epi16(100, 1, 100, 1, 100, 1, 100, 1));
    const __m128i eights = _mm_madd_epi16(_mm_packs_epi32(fours, fours),
                                          _mm_setr_epi16(10000, 1, 10000, 1, 0, 0, 0, 0));
    const auto both = static_cast<std::uint64_t>(_mm_cvtsi128_si64(eights));
    value = value * kPowersOfTen[k] + (both & 0xFFFFFFFFu) * 100000000u + (both >> 32);
    return k;
}
#else
constexpr bool kEightUnitLoads = false;

inline std::uint64_t NarrowEight(const char16_t*) { return 0; }

inline int GatherSixteen(const char16_t*, const char16_t*, int, std::uint64_t&) { return 0; }
#endif

constexpr std::uint64_t kBytes = 0x0101010101010101u;

// The eight units from p as bytes minus '0' (0 to 9 where they are digits),
// those at and after `end` read as a non-digit: one load from p, or, where
// fewer than eight remain, of the view's last eight moved down (the view from
// `first` holding eight). False where p is at the end or the view is shorter.
ZELQUIN_INLINE bool LoadEightDigits(const char16_t* p, const char16_t* first, const char16_t* end,
                                    std::uint64_t& x) {
    const std::ptrdiff_t left = end - p;
    if (!kEightUnitLoads) return false;
    if (left >= 8) {
        x = NarrowEight(p) ^ (0x30 * kBytes);
        return true;
    }
    if (left <= 0 || end - first < 8) return false;
    // The bytes moved in from above are 0, which is no digit's.
    x = (NarrowEight(end - 8) >> (8 * (8 - left))) ^ (0x30 * kBytes);
    return true;
}

// How many of the eight bytes, from the first, are digits (0 to 8): as for
// the lanes, a byte above 9 has its top bit set or gets it from adding 0x76 to
// its low seven bits.
inline int LeadingDigitBytes(std::uint64_t x) {
    const std::uint64_t notDigit = (x | ((x & (0x7F * kBytes)) + 0x76 * kBytes)) & (0x80 * kBytes);
    return std::countr_zero(notDigit) >> 3;
}

// The number of the first `digits` bytes (1 to 8), the first the most
// significant: pairs, fours, then the two fours. Bytes shifted in from below
// as zeros make the value that of the bytes above them.
inline std::uint64_t LeadingDigitBytesValue(std::uint64_t x, int digits) {
    x <<= 8 * (8 - digits);
    x = (x * 10 + (x >> 8)) & 0x00FF00FF00FF00FFu;
    x = (x * 100 + (x >> 16)) & 0x0000FFFF0000FFFFu;
    return (x * 10000 + (x >> 32)) & 0xFFFFFFFFu;
}

// Digits from p into value (value * 10^k + their number) while there are
// digits and fewer than `room` have been taken; returns the end of what was
// taken.
ZELQUIN_INLINE const char16_t* GatherDigits(const char16_t* p, const char16_t* first,
                                            const char16_t* end, int room, std::uint64_t& value) {
    std::uint64_t v = value, units;
    if (kEightUnitLoads && end - p >= 16 && room > 0) {
        const int digits = GatherSixteen(p, first, room, v);
        p += digits;
        room -= digits;
        // A run that ends within the sixteen ends here.
        if (digits != 0 && (digits != 16 || p == end || DigitOf(*p) >= 10)) {
            value = v;
            return p;
        }
    }
    // Eight units at a time, as bytes.
    for (std::uint64_t x; room > 0 && LoadEightDigits(p, first, end, x);) {
        int digits = LeadingDigitBytes(x);
        if (digits > room) digits = room;
        if (digits == 0) {
            value = v;
            return p;
        }
        v = v * kPowersOfTen[digits] + LeadingDigitBytesValue(x, digits);
        p += digits;
        room -= digits;
        // A run that ends after a whole eight ends without another load.
        if (digits != 8 || p == end || DigitOf(*p) >= 10) {
            value = v;
            return p;
        }
    }
    // Eight digits at a time while eight units remain and eight more fit.
    while (kWideLoads && room >= 8 && end - p >= 8) {
        const std::uint64_t x = DigitLanes(LoadFour(p)), y = DigitLanes(LoadFour(p + 4));
        if (LeadingDigitLanes(x) + LeadingDigitLanes(y) != 8) break;
        v = v * 100000000u + (LeadingDigitsValue(x, 4) * 10000 + LeadingDigitsValue(y, 4));
        p += 8;
        room -= 8;
    }
    while (room > 0 && LoadUnits(p, first, end, units)) {
        const std::uint64_t x = DigitLanes(units);
        int digits = LeadingDigitLanes(x);
        if (digits > room) digits = room;
        if (digits == 4) {
            v = v * 10000 + LeadingDigitsValue(x, 4);
            p += 4;
            room -= 4;
            continue;
        }
        if (digits != 0) {
            v = v * kPowersOfTen[digits] + LeadingDigitsValue(x, digits);
            p += digits;
        }
        value = v;
        return p;
    }
    // One unit at a time (a view of fewer than four units, or 32-bit x86).
    while (room > 0) {
        const int chunk = room < 9 ? room : 9;
        std::uint32_t digits = 0;
        int taken = 0;
        for (unsigned digit; taken < chunk && p != end && (digit = DigitOf(*p)) < 10; ++p, ++taken)
            digits = digits * 10 + digit;
        v = v * kPowersOfTen[taken] + digits;
        room -= taken;
        if (taken < chunk) break;
    }
    value = v;
    return p;
}

// The end of the run of digits from p.
ZELQUIN_INLINE const char16_t* SkipDigits(const char16_t* p, const char16_t* first,
                                          const char16_t* end) {
    for (std::uint64_t x; LoadEightDigits(p, first, end, x);) {
        const int digits = LeadingDigitBytes(x);
        p += digits;
        if (digits != 8) return p;
    }
    std::uint64_t units;
    while (LoadUnits(p, first, end, units)) {
        const int digits = LeadingDigitLanes(DigitLanes(units));
        p += digits;
        if (digits != 4) return p;
    }
    while (p != end && DigitOf(*p) < 10) ++p;
    return p;
}

// The end of the run of '0' from p.
ZELQUIN_INLINE const char16_t* SkipZeros(const char16_t* p, const char16_t* first,
                                         const char16_t* end) {
    for (std::uint64_t x; LoadEightDigits(p, first, end, x);) {
        if (x != 0) return p + (std::countr_zero(x) >> 3);
        p += 8;
    }
    std::uint64_t units;
    while (LoadUnits(p, first, end, units)) {
        const std::uint64_t x = DigitLanes(units);
        if (x != 0) return p + (std::countr_zero(x) >> 4);
        p += 4;
    }
    while (p != end && *p == u'0') ++p;
    return p;
}

// The stored digits of a run: the first kDigitsInSignificand gathered into
// the significand, the next ones, up to kMaxStoredDigits, into the tail, the
// rest only skipped. `stored` counts the stored digits before the run.
ZELQUIN_INLINE const char16_t* ReadDigitRun(const char16_t* p, const char16_t* first,
                                            const char16_t* end, int stored,
                                            std::uint64_t& significand, std::uint64_t& tail) {
    if (stored < kDigitsInSignificand) {
        const int room = kDigitsInSignificand - stored;
        const char16_t* const q = GatherDigits(p, first, end, room, significand);
        if (q - p < room) return q;
        stored = kDigitsInSignificand;
        p = q;
    }
    if (stored < kMaxStoredDigits) {
        const int room = kMaxStoredDigits - stored;
        const char16_t* const q = GatherDigits(p, first, end, room, tail);
        if (q - p < room) return q;
        p = q;
    }
    return SkipDigits(p, first, end);
}

// The grammar, read from the front: a sign; a significand of digits with at
// most one point and at least one digit; an exponent part of a letter, a sign
// and at least one digit, which counts for nothing without its digit. Zeros
// ahead of the first significant digit are counted, not stored; the first 25
// significant digits are stored, the first 19 also gathered into a 64-bit
// integer and the next six into the tail; beyond the 25, integer digits move
// the point and fraction digits are ignored. Positions are kept as pointers
// while scanning and made offsets from `text` at the end.
ZELQUIN_INLINE DecimalReading ScanUnits(const char16_t* const text, const char16_t* p,
                                        const char16_t* const end, std::uint64_t& tail) {
    const auto at = [text](const char16_t* q) { return static_cast<std::size_t>(q - text); };
    DecimalReading s{};
    s.numberStart = s.significandStart = s.significandEnd = s.exponentStart = s.numberEnd =
        s.firstStored = at(p);
    const auto current = [&] { return p == end ? 0u : static_cast<unsigned>(*p); };

    // Sign.
    unsigned c = current();
    if (c == '+' || c == '-') {
        s.negative = c == '-';
        ++p;
    }

    // Significand: leading zeros, integer digits, then the point and the
    // fraction digits, whose zeros before the first stored digit only move it.
    const char16_t* const significandStart = p;
    p = SkipZeros(p, text, end);
    const char16_t* firstStored = p;
    p = ReadDigitRun(p, text, end, 0, s.significand, tail);
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
            p = SkipZeros(p, text, end);
            adjustment = -(p - fraction);
            firstStored = p;
        }
        const char16_t* const run = p;
        p = ReadDigitRun(p, text, end, s.storedDigits, s.significand, tail);
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
    // The first four digits at once (below 10^4, so at most one step past the
    // cap), the rest one by one.
    int value = 0;
    std::uint64_t units;
    if (LoadUnits(p, text, end, units)) {
        const std::uint64_t x = DigitLanes(units);
        const int digits = LeadingDigitLanes(x);  // at least 1
        value = static_cast<int>(LeadingDigitsValue(x, digits));
        if (value > kLargestDecimalExponent) value = kExponentValueCap;
        p += digits;
    }
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

// The scan from text[start], with the text-after flag, and the stored digits
// after the nineteenth gathered into `tail`.
ZELQUIN_INLINE DecimalReading ScanFrom(std::u16string_view text, std::size_t start,
                                       std::uint64_t& tail) {
    const char16_t* const begin = text.data();
    DecimalReading s = ScanUnits(begin, begin + start, begin + text.size(), tail);
    s.textAfter = s.digitSeen && s.numberEnd < text.size();
    return s;
}

// The reader's scan: the number after the text's white space, in one pass
// that reads no unit past the number (the point alone looks one unit ahead).
// A NUL or any unit above U+00FF ends the text, as the reader's one-byte copy
// would. A first unit from '!' to '~', as a number's is, is never white
// space.
ZELQUIN_INLINE DecimalReading Scan(std::u16string_view text, std::uint64_t& tail) {
    const bool printable = !text.empty() && static_cast<unsigned>(text[0]) - 0x21u < 0x5Eu;
    return ScanFrom(text, printable ? 0 : WhiteSpaceLength(text), tail);
}

}  // namespace

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

// The fast path. Why it gives the chain's binary64, for a number m * 2^s *
// 10^n with m below 2^64 and |n| <= 342, where m * 2^s * 10^n is the number
// the chain scales (FastOf finds it; at most 19 digits keep their trailing
// zeros there, which changes neither the number nor the bound below, the
// chain's exponent being n plus at most 18 of them):
//
// The chain reads the stored digits (at most 24 after the 25th has raised the
// 24th, trailing zeros dropped) as an integer N below 2^80, exactly, and
// before it scales by 10^n it clears the lowest 16 bits of its 80-bit
// significand: it scales N cut to its top 64 bits, m * 2^s, exactly (s = 0
// and m = N for N below 2^64). It scales by one table entry per octal digit of
// n, at most three as |n| < 512, and rounds the result y'. Each multiplication
// leaves out partial products of less than 2^-76 of the product, never above
// it, and rounds within 2^-80; each table entry lies within 2^-80.009 of its
// power (the tests check both). So |y' - w| < 3 * (2^-76 + 2^-80 + 2^-80.009)
// * w < 2^-74.24 * w, with w = m * 2^s * 10^n exactly. The extended range
// reaches far beyond binary64's both ways, so this holds for every w here.
//
// Here w is m * P * 2^(b - 127 - lz + s): m shifted left by lz so that its top
// bit is set, P the 128-bit truncation of 10^n (below it by less than one
// unit). H, the top 128 bits of m * P, is formed exactly, and w lies in
// [H, H + 2) units of H's last bit (in [H, H + 4) after the one shift that
// normalises H to [2^127, 2^128)).
//
// The chain rounds y' to 53 bits, up exactly when y' lies above the midpoint
// between two binary64 neighbours; where that is below 2^-1022, it rounds y'
// to a multiple of 2^-1074 instead, to the nearest (an exact half to even); a
// 53-bit rounding that carries to 2^-1022 agrees with that. Either way the
// last place is 2^75 units of H, or more below 2^-1022, where H moved down by
// k bits puts the last place at 2^75 units again. Then the top 53 bits (fewer
// below 2^-1022) are the significand, the next is the round bit, and the 74
// below it the tail. Unless w lies within 2^57 units, 2^-18 of the last place,
// of the midpoint (round bit set, tail zero), y' lies on the same side of it
// as w: 2^-74.24 of w is below 2^53.76 units (below 2^-22.24 of the last place
// below 2^-1022), and the 4 units of H's own error and the bits shifted out
// add nothing that matters. So away from the midpoints the chain rounds up
// exactly when the round bit is set; exact midpoints, such as
// 9007199254740995, fall in the band and fall back. A rounding that reaches
// 2^1024 is infinity for the chain too. Below 2^-1076 (k above 54), w and y'
// lie below half of 2^-1074, which the chain makes zero; just above it
// (k = 54) falls back.
ZELQUIN_INLINE bool FastTextToDouble(std::uint64_t n, int binaryShift, int exponent,
                                     std::uint64_t& bits) {
    if (exponent < kWidePowerMin || exponent > kWidePowerMax) return false;
    const int lz = std::countl_zero(n);
    const WidePower& power = WidePowerOfTen(exponent);
    Wide128 h = Multiply64By128High(n << lz, power.high, power.low);
    // w = H * 2^(b - 63 - lz + s); H is at least 2^126.
    // Normalised without a branch: shifted left once when bit 127 is clear.
    const int shift = 1 - static_cast<int>(h.high >> 63);
    h.high = (h.high << shift) | ((h.low >> 63) & static_cast<std::uint64_t>(shift));
    h.low <<= shift;
    // The power of two of H's bit 127.
    int e = BinaryExponentOfPowerOfTen(exponent) + 64 - lz - shift + binaryShift;

    constexpr int kSmallestNormalExponent = 1 - kBinary64.Bias();  // -1022
    const bool belowNormal = e < kSmallestNormalExponent;
    if (belowNormal) {
        const int k = kSmallestNormalExponent - e;
        if (k > kBinary64.fractionBits + 1) {
            if (k == kBinary64.fractionBits + 2) return false;
            bits = 0;
            return true;
        }
        h.low = (h.low >> k) | (h.high << (64 - k));
        h.high >>= k;
    }

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
    if (belowNormal) {
        // A multiple of 2^-1074: a subnormal's bits, or 2^52 for 2^-1022.
        bits = significand;
        return true;
    }
    if (significand == kBinary64.ImplicitBit() << 1) {
        significand >>= 1;
        ++e;
    }
    if (e > kBinary64.Bias()) {
        bits = kBinary64.Infinity();
        return true;
    }
    bits = (static_cast<std::uint64_t>(e + kBinary64.Bias()) << kBinary64.fractionBits) |
           (significand & kBinary64.FractionMask());
    return true;
}

// The power of ten of the stored digits read as an integer: the exponent part
// with its sign, and the adjustment that places the point.
int PowerOfTenOfStoredDigits(bool exponentNegative, int exponentValue, int adjustment) {
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
    steps.n = PowerOfTenOfStoredDigits(number.exponentNegative, number.exponentValue, adjustment);
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

// The binary64 by the chain.
std::uint64_t ChainOf(std::u16string_view text, const ChainInput& number) {
    const std::uint64_t sign = number.negative ? kBinary64.SignBit() : 0;
    const ChainSteps steps = ChainStepsOf(text, number);
    if (!steps.any) return sign;
    if (!steps.scaled) return steps.n > 0 ? sign | kBinary64.Infinity() : sign;
    return ExtendedToDouble(steps.intermediate);
}

// Beyond these decimal positions (the number below 10^p, and at least
// 10^(p - 1)) the chain's result is zero or infinity whatever the digits: at
// most 10^-324, below 2^-1076, y' lies below half of 2^-1074; at least 10^309,
// above 2^1024, y' does too. Beyond +-5200 the chain says so at once, and
// short of that its extended range holds the products (or runs out the same
// way).
constexpr int kZeroPosition = -324;
constexpr int kInfinityPosition = 310;

// The integer the chain scales for 20 to 25 stored digits, the first 19 in
// `first` and the others in `tail`: the 25th raising the 24th, or else the
// trailing zeros dropped, as the chain does on the digits (a raised 24th digit
// is never dropped, even where it makes the integer end in a zero), and cut
// to its top 64 bits, m * 2^s. The exponent n moves with the digits dropped.
// False where the chain does not cut the integer (n = 0): that is left to it.
ZELQUIN_INLINE bool ChainInteger(std::uint64_t first, std::uint64_t tail, int stored,
                                 std::uint64_t& m, int& s, int& n) {
    int kept = stored - kDigitsInSignificand;  // 1 to 6 digits in the tail
    std::uint32_t low = static_cast<std::uint32_t>(tail);
    bool raised = false;
    if (stored == kMaxStoredDigits) {
        raised = low % 10 >= 5;
        low /= 10;
        --kept;
        ++n;
    }
    std::uint64_t high = first;
    if (raised) {
        ++low;  // may make the 24th digit a ten: the integer is the same
    } else if (low == 0) {
        n += kept;
        kept = 0;
        for (std::uint64_t tens; high == 10 * (tens = DivideBy10(high)); high = tens) ++n;
    } else {
        while (low % 10 == 0) {
            low /= 10;
            --kept;
            ++n;
        }
    }
    // N = high * 10^kept + low, below 2^80.
    const Wide128 product = Multiply64(high, kPowersOfTen[kept]);
    const std::uint64_t lowWord = product.low + low;
    const std::uint64_t highWord = product.high + (lowWord < low ? 1 : 0);
    if (highWord == 0) {
        m = lowWord;
        s = 0;
        return true;
    }
    if (n == 0) return false;
    s = 64 - std::countl_zero(highWord);
    m = (highWord << (64 - s)) | (lowWord >> s);
    return true;
}

// The fast path for a number with a digit: `stored` stored digits, the first
// (at most 19) of them as the integer `significand` and the others in `tail`,
// times 10^n; true with the chain's binary64, false where it leaves it to the
// chain.
ZELQUIN_INLINE bool FastOfDigits(bool negative, int stored, std::uint64_t significand,
                                 std::uint64_t tail, int n, std::uint64_t& bits) {
    const std::uint64_t sign = negative ? kBinary64.SignBit() : 0;
    const int position = n + stored;
    if (stored == 0 || position <= kZeroPosition) {
        bits = sign;
        return true;
    }
    if (position >= kInfinityPosition) {
        bits = sign | kBinary64.Infinity();
        return true;
    }
    std::uint64_t m = significand;
    int s = 0;
    if (stored > kDigitsInSignificand && !ChainInteger(m, tail, stored, m, s, n)) return false;
    if (!FastTextToDouble(m, s, n, bits)) return false;
    bits |= sign;
    return true;
}

// The fast path for a scanned number with a digit, the stored digits after the
// nineteenth in `tail`.
ZELQUIN_INLINE bool FastOf(const DecimalReading& number, std::uint64_t tail, std::uint64_t& bits) {
    return FastOfDigits(number.negative, number.storedDigits, number.significand, tail,
                        PowerOfTenOfStoredDigits(number.exponentNegative, number.exponentValue,
                                                 number.exponentAdjustment),
                        bits);
}

// The plain path's significand of eight units or more: at most 19
// significant digits gathered into m, `stored` of them, and the adjustment,
// minus the number of digits after the point; returns its end (after the
// 19th where more digits follow), with whether it has a digit.
ZELQUIN_INLINE const char16_t* PlainSignificand(const char16_t* p, const char16_t* first,
                                                const char16_t* end, std::uint64_t& m, int& stored,
                                                int& adjustment, bool& digitSeen) {
    const char16_t* const start = p;
    if (DigitOf(p[0]) < 10 && p[1] == u'.') {
        // One digit before the point, as in every exponent form and in "0.",
        // without a load; a 0 is not stored.
        m = DigitOf(*p++);
        stored = m != 0 ? 1 : 0;
    } else {
        if (*p == u'0') p = SkipZeros(p, first, end);
        const char16_t* const run = p;
        p = GatherDigits(p, first, end, kDigitsInSignificand, m);
        stored = static_cast<int>(p - run);
    }
    digitSeen = p != start;
    if (p != end && *p == u'.') {
        const char16_t* const fraction = ++p;
        if (stored == 0) p = SkipZeros(p, first, end);
        const char16_t* const run = p;
        p = GatherDigits(p, first, end, kDigitsInSignificand - stored, m);
        stored += static_cast<int>(p - run);
        adjustment = -static_cast<int>(p - fraction);
        digitSeen = digitSeen || p != fraction;
    }
    return p;
}

// The plain path: the conversion of a text of the common form, which records
// nothing but what the fast path takes. The common form is a first unit from
// '!' to '~' (no white space); an optional sign; digits with at most one
// point, at least one digit, and at most 19 significant digits (from the first
// that is not 0); an optional exponent part of a letter, an optional sign and
// one to four digits; then the end of the view or any unit that is not a
// digit. True with the binary64; false, having decided nothing, for any other
// text, which the scan reads (its white space, the 20th significant digit on,
// an exponent letter without its digits or with five or more), for a view of
// more than kLongestPlainText units, which is seldom of the common form and
// would be read twice, or where the fast path leaves the number to the chain.
//
// Why it gives what the scan and FastOf give: on a text of this form the scan
// takes the same units as the number (the grammar is the same, and the
// exponent part counts exactly when a digit follows its letter and sign). As
// there are at most 19 significant digits, the scan stores all of them and
// gathers them all into its significand, so its storedDigits and significand
// are `stored` and `m` here, and its tail is 0. Its adjustment is minus the
// number of fraction digits (those before the first stored digit included
// where the integer part has none), as here; the text is far shorter than the
// adjustment's limit, so the scan's clamp leaves it alone. Its exponent value
// stops at kExponentValueCap, as here. So FastOfDigits has the same inputs.
// A sign, 19 digits, a point, a letter, a sign and four digits.
constexpr std::size_t kLongestPlainText = 27;
static_assert(kLongestPlainText < kAdjustmentLimit);

ZELQUIN_INLINE bool PlainTextToDouble(std::u16string_view text, std::uint64_t& bits) {
    const char16_t* const first = text.data();
    const char16_t* const end = first + text.size();
    if (text.empty() || text.size() > kLongestPlainText ||
        static_cast<unsigned>(*first) - 0x21u >= 0x5Eu) {
        return false;
    }
    const char16_t* p = first;
    const bool negative = *p == u'-';
    if (negative || *p == u'+') ++p;

    const char16_t* const significandStart = p;
    std::uint64_t m = 0;
    int stored = 0, adjustment = 0;
    bool digitSeen;
    if (end - p < 8) {
        // Fewer than eight units: at most seven digits, one unit at a time.
        // The stored digits run from the first that is not 0 to the last, so
        // they are m's digits; every digit after the point moves it.
        // Below 10^7, they are gathered in 32 bits.
        const char16_t* point = nullptr;
        std::uint32_t digits = 0;
        for (; p != end; ++p) {
            const unsigned digit = DigitOf(*p);
            if (digit < 10) {
                digits = digits * 10 + digit;
            } else if (*p == u'.' && point == nullptr) {
                point = p;
            } else {
                break;
            }
        }
        m = digits;
        stored = digits != 0 ? DecimalLength(digits) : 0;
        if (point != nullptr) adjustment = -static_cast<int>(p - point - 1);
        digitSeen = p - significandStart > (point != nullptr ? 1 : 0);
    } else {
        p = PlainSignificand(p, first, end, m, stored, adjustment, digitSeen);
    }
    if (!digitSeen || (p != end && DigitOf(*p) < 10)) return false;

    int exponent = 0;
    if (p != end && IsExponentLetter(*p)) {
        ++p;
        const bool exponentNegative = p != end && *p == u'-';
        if (p != end && (exponentNegative || *p == u'+')) ++p;
        // One to four digits, one unit at a time: most exponents have three
        // or fewer.
        int value = 0, count = 0;
        for (unsigned digit; p != end && (digit = DigitOf(*p)) < 10; ++p, ++count) {
            if (count == 4) return false;
            value = value * 10 + static_cast<int>(digit);
        }
        if (count == 0) return false;
        exponent = value > kLargestDecimalExponent ? kExponentValueCap : value;
        if (exponentNegative) exponent = -exponent;
    }
    return FastOfDigits(negative, stored, m, 0, exponent + adjustment, bits);
}

ZELQUIN_INLINE std::uint64_t ToDouble(std::u16string_view text, const DecimalReading& number,
                                      std::uint64_t tail) {
    if (!number.digitSeen) return 0;
    std::uint64_t bits;
    if (FastOf(number, tail, bits)) return bits;
    return ChainOf(text, ChainInputOf(number));
}

}  // namespace

bool FastDecimalToDouble(std::u16string_view text, std::uint64_t& bits) {
    std::uint64_t tail = 0;
    const DecimalReading number = Scan(text, tail);
    return number.digitSeen && FastOf(number, tail, bits);
}

bool PlainDecimalToDouble(std::u16string_view text, std::uint64_t& bits) {
    return PlainTextToDouble(text, bits);
}

std::uint64_t ChainToDouble(std::u16string_view text) {
    std::uint64_t tail = 0;
    const DecimalReading number = Scan(text, tail);
    if (!number.digitSeen) return 0;
    return ChainOf(text, ChainInputOf(number));
}

namespace {

// The reading through the scan, apart from the plain path so that the plain
// path's callers keep few registers of their own.
[[gnu::noinline]] std::uint64_t TextToDoubleThroughScan(std::u16string_view text) {
    std::uint64_t tail = 0;
    const DecimalReading number = Scan(text, tail);
    return ToDouble(text, number, tail);
}

}  // namespace

std::uint64_t TextToDouble(std::u16string_view text) {
    std::uint64_t bits;
    if (PlainTextToDouble(text, bits)) return bits;
    return TextToDoubleThroughScan(text);
}

namespace {

// The record, built where it is used: a conversion that takes only the
// pattern from it lets the compiler drop the rest.
ZELQUIN_INLINE ValueReading Read(std::u16string_view text, FormatOption option) {
    ValueReading reading;
    std::uint64_t tail = 0;
    reading.number = Scan(text, tail);
    reading.binary64 = ToDouble(text, reading.number, tail);
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
    const std::uint64_t binary64 = TextToDouble(valueText);
    return UInt64ToHexText(option == FormatOption::Binary32 ? DoubleToSingle(binary64) : binary64,
                           out);
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
