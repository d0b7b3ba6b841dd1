// Reading the pattern field: Unicode decimal digits, the integer reader and
// the number the integer stands for.
#include "pattern_reading.h"

#include <array>

#include "binary_format.h"
#include "inlining.h"

namespace zelquin {
namespace {

// First code unit of each range of ten decimal digits, in increasing order.
constexpr char16_t kDigitRangeStarts[] = {
    0x0030, 0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66,
    0x0CE6, 0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10,
};

// The value of each ASCII code unit as a digit of a base up to 36: 0 to 9 for
// "0" to "9", 10 to 35 for "a"/"A" to "z"/"Z", 36 for any other, NUL included.
constexpr std::array<std::uint8_t, 128> kAsciiUnitValues = [] {
    std::array<std::uint8_t, 128> values{};
    for (unsigned unit = 0; unit < 128; ++unit) {
        values[unit] = 36;
        if (unit >= '0' && unit <= '9') values[unit] = static_cast<std::uint8_t>(unit - '0');
        if (unit >= 'a' && unit <= 'z') values[unit] = static_cast<std::uint8_t>(10 + unit - 'a');
        if (unit >= 'A' && unit <= 'Z') values[unit] = static_cast<std::uint8_t>(10 + unit - 'A');
    }
    return values;
}();

constexpr std::uint64_t kAllOnes = ~std::uint64_t{0};

// The digits of a base from position i up to the first unit that is not one:
// their value, whether there was any, whether it exceeds 2^64 - 1, and where
// the run ends.
struct DigitRun {
    std::uint64_t value;
    bool anyDigit;
    bool overflow;
    std::size_t end;
};

// The base is a template argument, so each multiplication by it is a shift or
// an add and the overflow limits are compile-time constants.
template <unsigned Base>
ZELQUIN_INLINE DigitRun ReadDigits(std::u16string_view text, std::size_t i) {
    constexpr std::uint64_t kLimit = kAllOnes / Base;  // largest value that may take another digit
    constexpr std::uint64_t kLastDigit = kAllOnes % Base;  // largest digit it may take
    DigitRun run{0, false, false, i};
    for (; i < text.size(); ++i) {
        const unsigned digit = IntegerDigitValue(text[i]);
        if (digit >= Base) break;
        run.anyDigit = true;
        if (run.value < kLimit || (run.value == kLimit && digit <= kLastDigit)) {
            run.value = run.value * Base + digit;
        } else {
            run.overflow = true;
        }
    }
    run.end = i;
    return run;
}

// The integer reader, with where the number stands and what became of it.
ZELQUIN_INLINE PatternReading ReadInteger(std::u16string_view text) {
    // A NUL ends the text. It needs no search of its own: it is neither white
    // space nor a sign nor a digit of any base, so every step below stops at it.
    const std::size_t end = text.size();
    PatternReading r{};
    std::size_t i = WhiteSpaceLength(text);
    r.numberStart = r.digitsStart = r.numberEnd = i;

    bool negative = false;
    if (i < end && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }

    unsigned base = 10;
    if (i < end && DigitValue(text[i]) == 0) {
        if (i + 1 < end && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
            base = 16;
            i += 2;
        } else {
            base = 8;
        }
    }

    const DigitRun run = base == 16   ? ReadDigits<16>(text, i)
                         : base == 10 ? ReadDigits<10>(text, i)
                                      : ReadDigits<8>(text, i);
    r.base = base;
    r.negative = negative;
    if (!run.anyDigit) return r;
    r.digitSeen = true;
    r.digitsStart = i;
    r.numberEnd = run.end;
    r.textAfter = run.end < end;
    r.overflowed = run.overflow;
    r.wrapped = negative && !run.overflow && run.value != 0;
    r.integer = run.overflow ? kAllOnes : negative ? 0 - run.value : run.value;
    return r;
}

}  // namespace

// Letters are ASCII only, so above U+007F only the digit ranges count.
unsigned IntegerDigitValue(char16_t unit) {
    if (unit < 0x80) return kAsciiUnitValues[unit];
    const int digit = DigitValue(unit);
    return digit >= 0 ? static_cast<unsigned>(digit) : 36u;
}

int DigitValue(char16_t unit) {
    if (unit < 0x0660) return unit >= 0x0030 && unit <= 0x0039 ? unit - 0x0030 : -1;
    for (char16_t start : kDigitRangeStarts) {
        if (unit < start) return -1;
        if (unit - start < 10) return unit - start;
    }
    return -1;
}

bool IsWhiteSpace(char16_t unit) { return IsWhiteSpaceUnit(unit); }

std::uint64_t TextToUInt64(std::u16string_view text) { return ReadInteger(text).integer; }

namespace {

// The number the integer read stands for, added to the record; built where
// it is used, so that a conversion that takes only the number from the record
// lets the compiler drop the rest.
ZELQUIN_INLINE void ChooseNumber(PatternReading& r, FormatOption option) {
    const PatternNumber number = ChoosePatternNumber(r.integer, option);
    const BinaryFormat& format = FormatOf(number.isDouble);
    r.isDouble = number.isDouble;
    r.wideInteger = option == FormatOption::Binary32 && number.isDouble;
    r.chosenBits = number.bits;
    r.bits = MakeQuiet(number.bits, format);
    r.quieted = r.bits != number.bits;
    // A binary32 is made quiet as a binary32 and then widened exactly.
    r.shownDouble = number.isDouble ? r.bits : SingleToDouble(static_cast<std::uint32_t>(r.bits));
}

}  // namespace

PatternReading ReadPatternText(std::u16string_view text, FormatOption option) {
    PatternReading r = ReadInteger(text);
    ChooseNumber(r, option);
    return r;
}

char16_t* PatternToValueText(std::u16string_view patternText, FormatOption option, char16_t* out) {
    PatternReading r = ReadInteger(patternText);
    ChooseNumber(r, option);
    return DoubleToFixedText(r.shownDouble, out);
}

}  // namespace zelquin
