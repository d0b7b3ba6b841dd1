// The explanation's typed readers follow the grammars of the core's readers
// while keeping what those drop. One table of texts, and many generated ones,
// go through both: the decimal reader and ReadTypedDecimal must find the same
// number, sign, significant digits and exponent; the integer reader and
// ReadTypedInteger the same integer.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "decimal_reading.h"
#include "pattern_reading.h"
#include "test_text.h"
#include "typed_number.h"

namespace zelquin {
namespace {

using explain::ReadTypedDecimal;
using explain::ReadTypedInteger;
using explain::TypedDecimal;
using explain::TypedInteger;
using test_text::Printable;

std::string WithoutTrailingZeros(std::string digits) {
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    return digits;
}

// The scanner reads what follows the white space that TextToDouble skips.
void ExpectSameDecimal(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] != u'\0' && IsWhiteSpace(text[i])) ++i;
    const ScanResult scan = ScanDecimal(text.substr(i));
    const TypedDecimal typed = ReadTypedDecimal(text);
    SCOPED_TRACE(Printable(text));
    ASSERT_EQ(typed.numberFound, scan.digitSeen);
    if (!scan.digitSeen) return;
    EXPECT_EQ(typed.value.negative, scan.negative);
    std::string stored;
    for (int k = 0; k < scan.digitCount; ++k) stored += static_cast<char>('0' + scan.digits[k]);
    stored = WithoutTrailingZeros(stored);
    EXPECT_EQ(WithoutTrailingZeros(typed.value.digits.substr(0, kMaxStoredDigits)), stored);
    if (stored.empty() || typed.hugeExponent || scan.exponentValue > kLargestDecimalExponent)
        return;
    // The power of ten of the leading digit.
    const std::int64_t scanned =
        (scan.exponentNegative ? -scan.exponentValue : scan.exponentValue) +
        scan.exponentAdjustment + scan.digitCount - 1;
    EXPECT_EQ(typed.value.scale + static_cast<std::int64_t>(typed.value.digits.size()) - 1,
              scanned);
}

void ExpectSameInteger(std::u16string_view text) {
    SCOPED_TRACE(Printable(text));
    const TypedInteger typed = ReadTypedInteger(text);
    EXPECT_EQ(explain::IntegerRead(typed), TextToUInt64(text));
}

struct DecimalCase {
    std::u16string_view text;
    bool found;
    bool textAfter;
    const char* typed;
};

// Each rule of the decimal grammar, with the number as typed.
constexpr DecimalCase kDecimalCases[] = {
    {u"", false, false, "0"},
    {u"   .25e+2xyz", true, true, "25"},
    {u"-", false, false, "0"},
    {u"- 1", false, false, "0"},
    {u"+1", true, false, "1"},
    {u"-0", true, false, "-0"},
    {u"-.0e5", true, false, "-0"},
    {u".5", true, false, "0.5"},
    {u"5.", true, false, "5"},
    {u".", false, false, "0"},
    {u".e1", false, false, "0"},
    {u"000123", true, false, "123"},
    {u"0.000123", true, false, "0.000123"},
    {u"1d5", true, false, "100000"},
    {u"1D-2", true, false, "0.01"},
    {u"1e", true, true, "1"},
    {u"1e+", true, true, "1"},
    {u"1e+-5", true, true, "1"},
    {u"1+5", true, true, "1"},
    {u"1.5.3", true, true, "1.5"},
    {u"1e5.5", true, true, "100000"},
    {u"12abc", true, true, "12"},
    {u"1\u00b2", true, true, "1"},
    {u"1.5\u20ac", true, true, "1.5"},
    {u"\u20ac1", false, false, "0"},
    {u"\u00a03", true, false, "3"},
    {u"0x10", true, true, "0"},
    {u"inf", false, false, "0"},
    {u"1e-0005", true, false, "0.00001"},
    {u"1e000000000000000000000003", true, false, "1000"},
    {u"0e99999", true, false, "0"},
    {u"1e5201", true, false, "1e+5201"},
    {u"-1e-99999", true, false, "-1e-99999"},
    {u"1000000000000000000000000001", true, false, "1000000000000000000000000001"},
    {u"0.0000000000000000000000000012345678901234567890123456789", true, false,
     "0.0000000000000000000000000012345678901234567890123456789"},
    {std::u16string_view(u"1\0"
                         u"5",
                         3),
     true, true, "1"},
    {u"12.5e-100000000000000000000", true, false, "1.25e-99999999999999999999"},
};

TEST(TypedReading, DecimalTableReadsAsTheDecimalReaderDoes) {
    for (const DecimalCase& c : kDecimalCases) {
        SCOPED_TRACE(Printable(c.text));
        const TypedDecimal typed = ReadTypedDecimal(c.text);
        EXPECT_EQ(typed.numberFound, c.found);
        EXPECT_EQ(typed.textAfter, c.textAfter);
        EXPECT_EQ(explain::FormatTyped(typed), c.typed);
        ExpectSameDecimal(c.text);
    }
}

struct IntegerCase {
    std::u16string_view text;
    bool found;
    bool textAfter;
    bool overflowed;
    std::uint64_t value;
};

constexpr std::uint64_t kAllOnes = ~std::uint64_t{0};

// Each rule of the integer grammar: base, sign, digits of other scripts,
// overflow at 2^64 in each base.
constexpr IntegerCase kIntegerCases[] = {
    {u"", false, false, false, 0},
    {u"0x3f800000", true, false, false, 0x3f800000},
    {u"  0xc0000000 junk", true, true, false, 0xc0000000},
    {u"-1", true, false, false, kAllOnes},
    {u"-0", true, false, false, 0},
    {u"+ 1", false, false, false, 0},
    {u"0x", false, false, false, 0},
    {u"0xg", false, false, false, 0},
    {u"08", true, true, false, 0},
    {u"07740000000", true, false, false, 0x3f800000},
    {u"1z", true, true, false, 1},
    {u"z1", false, false, false, 0},
    {u"18446744073709551615", true, false, false, kAllOnes},
    {u"18446744073709551616", true, false, true, kAllOnes},
    {u"-18446744073709551615", true, false, false, 1},
    {u"-18446744073709551616 ", true, true, true, kAllOnes},
    {u"0xffffffffffffffff", true, false, false, kAllOnes},
    {u"0x10000000000000000", true, false, true, kAllOnes},
    {u"01777777777777777777777", true, false, false, kAllOnes},
    {u"02000000000000000000000", true, false, true, kAllOnes},
    {u"\u0661\u0660\u0666\u0665\u0663\u0665\u0663\u0662\u0661\u0666", true, false, false,
     1065353216},
    {u"\uff10x3F800000", true, false, false, 0x3f800000},
    {u"\u0660\u0667", true, false, false, 7},
    {std::u16string_view(u"1\0"
                         u"2",
                         3),
     true, true, false, 1},
};

TEST(TypedReading, IntegerTableReadsAsTheIntegerReaderDoes) {
    for (const IntegerCase& c : kIntegerCases) {
        SCOPED_TRACE(Printable(c.text));
        const TypedInteger typed = ReadTypedInteger(c.text);
        EXPECT_EQ(typed.numberFound, c.found);
        EXPECT_EQ(typed.textAfter, c.textAfter);
        EXPECT_EQ(typed.overflowed, c.overflowed);
        EXPECT_EQ(explain::IntegerRead(typed), c.value);
        ExpectSameInteger(c.text);
    }
}

// The prefix and up to `longest` units drawn from the alphabet.
std::u16string RandomText(std::mt19937_64& random, std::u16string_view prefix,
                          std::u16string_view alphabet, std::size_t longest) {
    std::u16string text(prefix);
    const std::size_t length = random() % (longest + 1);
    for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    return text;
}

TEST(TypedReading, GeneratedTextsReadAsTheCoreReadersDo) {
    std::mt19937_64 random(20240611);
    constexpr std::u16string_view kDecimalUnits(u" \u00a0+-.0000123456789eEdDx\u20ac\0", 23);
    constexpr std::u16string_view kIntegerUnits(u" \u00a0+-0001789afAFxXgz\u0660\u0669\uff10\0",
                                                24);
    for (int i = 0; i < 10000; ++i) {
        ExpectSameDecimal(RandomText(random, u"", kDecimalUnits, 40));
        ExpectSameInteger(RandomText(random, u"", kIntegerUnits, 30));
    }
    // Integers about 2^64 in each base.
    for (int i = 0; i < 2000; ++i) {
        ExpectSameInteger(RandomText(random, u"0x", u"0123456789abcdef", 17));
        ExpectSameInteger(RandomText(random, u"-0", u"01234567", 23));
        ExpectSameInteger(RandomText(random, u"1", u"0123456789", 20));
    }
}

}  // namespace
}  // namespace zelquin
