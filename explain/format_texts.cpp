// The readers go through the text once, as the core's readers do, and keep
// every digit: a pattern in a big integer until it is known to fit, a
// hexadecimal float's digits as its exact significand.
#include "format_texts.h"

#include "explanation.h"

namespace zelquin::explain {
namespace {

using exact::BigUnsigned;

constexpr std::int64_t kMaxBinaryExponent = 1000000000;

// The value of a unit as a digit of the pattern reader: 0 to 9 for a decimal
// digit of any range, 10 to 35 for an ASCII letter, 36 for any other unit.
unsigned PatternDigitValue(char16_t unit) {
    const int digit = DigitValue(unit);
    if (digit >= 0) return static_cast<unsigned>(digit);
    if (unit >= u'a' && unit <= u'z') return 10u + (unit - u'a');
    if (unit >= u'A' && unit <= u'Z') return 10u + (unit - u'A');
    return 36;
}

// 0 to 15 for an ASCII hexadecimal digit, -1 otherwise.
int HexDigitValue(char16_t unit) {
    if (unit >= u'0' && unit <= u'9') return unit - u'0';
    if (unit >= u'a' && unit <= u'f') return 10 + (unit - u'a');
    if (unit >= u'A' && unit <= u'F') return 10 + (unit - u'A');
    return -1;
}

bool IsAsciiDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

std::size_t SkipWhiteSpace(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i])) ++i;
    return i;
}

// A hexadecimal float from position i (after the white space), into the
// reading; false when the text holds none there.
bool ReadHexFloat(std::u16string_view text, std::size_t i, FormatValueReading& r) {
    const std::size_t start = i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i + 1 >= text.size() || text[i] != u'0' || (text[i + 1] != u'x' && text[i + 1] != u'X'))
        return false;
    i += 2;
    BigUnsigned significand;
    std::int64_t fractionDigits = 0;
    bool anyDigit = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] == u'.' && !point) {
            point = true;
            continue;
        }
        const int digit = HexDigitValue(text[i]);
        if (digit < 0) break;
        anyDigit = true;
        significand <<= 4;
        significand += BigUnsigned(static_cast<std::uint64_t>(digit));
        if (point) ++fractionDigits;
    }
    if (!anyDigit) return false;

    std::int64_t power = 0;
    if (i < text.size() && (text[i] == u'p' || text[i] == u'P')) {
        std::size_t j = i + 1;
        bool powerNegative = false;
        if (j < text.size() && (text[j] == u'-' || text[j] == u'+')) {
            powerNegative = text[j] == u'-';
            ++j;
        }
        if (j < text.size() && IsAsciiDigit(text[j])) {
            for (; j < text.size() && IsAsciiDigit(text[j]); ++j) {
                power = power * 10 + (text[j] - u'0');
                if (power > kMaxBinaryExponent) power = kMaxBinaryExponent;
            }
            if (powerNegative) power = -power;
            i = j;
        }
    }
    r.hexFloat = true;
    r.numberStart = start;
    r.numberEnd = i;
    r.digitSeen = true;
    r.textAfter = i < text.size();
    r.number = ExactOfBinary(negative, significand, power - 4 * fractionDigits);
    return true;
}

}  // namespace

FormatPatternReading ReadFormatPattern(std::u16string_view text, const FloatFormat& format) {
    FormatPatternReading r;
    const std::size_t end = text.size();
    std::size_t i = SkipWhiteSpace(text);
    r.numberStart = r.digitsStart = r.numberEnd = i;
    if (i < end && (text[i] == u'-' || text[i] == u'+')) {
        r.negative = text[i] == u'-';
        ++i;
    }
    r.base = 10;
    if (i < end && DigitValue(text[i]) == 0) {
        const char16_t next = i + 1 < end ? text[i + 1] : u'\0';
        if (next == u'x' || next == u'X') {
            r.base = 16;
            i += 2;
        } else if (next == u'b' || next == u'B') {
            r.base = 2;
            i += 2;
        } else {
            r.base = 8;
        }
    }
    const std::size_t digitsStart = i;
    const int width = PatternWidth(format);
    BigUnsigned value;
    for (; i < end; ++i) {
        const unsigned digit = PatternDigitValue(text[i]);
        if (digit >= r.base) break;
        // Beyond the widest format's 128 bits it is wider than any: the
        // digits are still read, their value no longer matters.
        if (value.BitLength() <= 128) {
            value *= r.base;
            value += BigUnsigned(digit);
        }
    }
    if (i == digitsStart) return r;
    r.digitSeen = true;
    r.digitsStart = digitsStart;
    r.numberEnd = i;
    r.textAfter = i < end;
    if (value.BitLength() > width) {
        r.refused = true;
        r.message = Utf8FromUtf16(text.substr(r.numberStart, r.numberEnd - r.numberStart)) +
                    " is wider than " + format.name + "'s " + std::to_string(width) + " bits";
        return r;
    }
    r.bits = BitsOf(value);
    if (r.negative && !value.IsZero()) {
        r.wrapped = true;
        r.bits = NegateModulo(r.bits, width);
    }
    return r;
}

FormatValueReading ReadFormatValue(std::u16string_view text) {
    FormatValueReading r;
    if (ReadHexFloat(text, SkipWhiteSpace(text), r)) return r;
    r.decimal = ReadValueText(text, FormatOption::Binary64).number;
    TypedNumberOf(text, r.decimal, r.typed);
    r.numberStart = r.decimal.numberStart;
    r.numberEnd = r.decimal.numberEnd;
    r.digitSeen = r.decimal.digitSeen;
    r.textAfter = r.decimal.textAfter;
    r.number = ExactOfTyped(r.typed);
    return r;
}

std::optional<std::string> HexFloatText(const FloatFormat& format, Bits128 bits) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    const DecodedPattern d = DecodeFields(format, bits);
    if (!d.finite) return std::nullopt;
    std::string text = d.negative ? "-0x" : "0x";
    if (d.numberClass == FormatClass::Zero) return text + "0p+0";
    text += d.integerBit ? '1' : '0';
    // The fraction below the integer bit, in whole hexadecimal digits.
    const int fractionBits = Precision(format) - 1;
    const int pad = (4 - fractionBits % 4) % 4;
    const Bits128 fraction = d.fraction << pad;
    const int total = (fractionBits + pad) / 4;
    // Trailing zero digits are dropped.
    int lowest = 0;
    while (lowest < total && ((fraction >> (4 * lowest)).low & 15) == 0) ++lowest;
    if (lowest < total) {
        text += '.';
        for (int k = total; k-- > lowest;) text += kHexDigits[(fraction >> (4 * k)).low & 15];
    }
    const int exponent = d.unbiasedExponent;
    text += exponent < 0 ? "p-" : "p+";
    text += std::to_string(exponent < 0 ? -exponent : exponent);
    return text;
}

}  // namespace zelquin::explain
