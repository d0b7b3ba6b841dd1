// Pattern field text to value field text: the integer reader with its
// automatic base and Unicode digits, the choice of format and the quieting of
// signalling NaNs.
#include <gtest/gtest.h>

#include <string>

#include "conversion.h"
#include "pattern_reading.h"
#include "references.h"
#include "test_names.h"

namespace zelquin {
namespace {

struct PatternCase {
    std::u16string pattern;
    bool treatAsDouble;
    std::u16string value;
};

class PatternToValue : public ::testing::TestWithParam<PatternCase> {};

TEST_P(PatternToValue, GivesTheValueText) {
    const PatternCase& c = GetParam();
    EXPECT_EQ(PatternToValueText(c.pattern, CheckBoxOption(c.treatAsDouble)), c.value);
}

const PatternCase kWorkedExamples[] = {
    {u"0x3f800000", false, u"1.000000"},
    {u"0X3F800000", false, u"1.000000"},
    {u"1065353216", false, u"1.000000"},
    {u"07740000000", false, u"1.000000"},
    {u"+0x3f800000", false, u"1.000000"},
    {u"0xc0000000", false, u"-2.000000"},
    {u"0x40490fdb", false, u"3.141593"},
    {u"0x3dcccccd", false, u"0.100000"},
    {u"0x7f7fffff", false, u"340282346638528860000000000000000000000.000000"},
    {u"0x00000001", false, u"0.000000"},
    {u"0x80000000", false, u"0.000000"},
    {u"0x80000001", false, u"-0.000000"},
    {u"0x7f800000", false, u"1.#INF00"},
    {u"0xff800000", false, u"-1.#INF00"},
    {u"0x7fc00000", false, u"1.#QNAN0"},
    {u"0xffc00000", false, u"-1.#IND00"},
    {u"0x7f800001", false, u"1.#QNAN0"},
    {u"0xff800001", false, u"-1.#QNAN0"},
    {u"0xffffffff", false, u"-1.#QNAN0"},
    {u"0x100000000", false, u"0.000000"},
    {u"0x3ff0000000000000", false, u"1.000000"},
    {u"0x400921fb54442d18", false, u"3.141593"},
    {u"0x7ff0000000000001", false, u"1.#QNAN0"},
    {u"0xfff8000000000000", false, u"-1.#IND00"},
    {u"0x3ff00000", true, u"1.000000"},
    {u"0x40000000", true, u"2.000000"},
    {u"0xc0000000", true, u"-2.000000"},
    {u"0x3ff0000000000000", true, u"0.000000"},
    {u"0x7ff00001", true, u"1.#QNAN0"},
    {u"0xfff80000", true, u"-1.#IND00"},
    {u"", false, u"0.000000"},
    {u"", true, u"0.000000"},
    {u"-1", false, u"-1.#QNAN0"},
    {u"-1", true, u"-1.#QNAN0"},
    {u"-0xc010000000000000", false, u"1.000000"},
    {u"-0xc0100000", true, u"1.000000"},
    {u"18446744073709551615", false, u"-1.#QNAN0"},
    {u"18446744073709551616", false, u"-1.#QNAN0"},
    {u"-18446744073709551616", false, u"-1.#QNAN0"},
    {u"-18446744073709551615", false, u"0.000000"},
    {u"0xFFFFFFFFFFFFFFFFF", true, u"-1.#QNAN0"},
};
INSTANTIATE_TEST_SUITE_P(WorkedExamples, PatternToValue, ::testing::ValuesIn(kWorkedExamples),
                         test_names::ByText(&PatternCase::pattern, &PatternCase::treatAsDouble,
                                            "AsDouble"));

const PatternCase kTextForms[] = {
    // Leading white space, U+00A0 included; U+0085 and U+001C..U+001F are not.
    {u"\t\n\v\f\r \u00A00x3f800000", false, u"1.000000"},
    {u"\u30000x3f800000", false, u"1.000000"},
    {u"\u00850x3f800000", false, u"0.000000"},
    {u"\u001C0x3f800000", false, u"0.000000"},
    {u"\u001F0x3f800000", false, u"0.000000"},
    {u"\uFEFF0x3f800000", false, u"0.000000"},
    // The number follows its sign at once.
    {u"- 5", false, u"0.000000"},
    {u"+-1", false, u"0.000000"},
    {u"--1", false, u"0.000000"},
    // Whatever follows the number is ignored.
    {u"1065353216.5", false, u"1.000000"},
    {u"0x3f800000 0x40000000", false, u"1.000000"},
    {u"0x3f800000zz", false, u"1.000000"},
    // The zero of any digit range opens a hexadecimal or octal number.
    {u"\u0660x3f800000", false, u"1.000000"},
    {u"\uFF10X3f800000", false, u"1.000000"},
    {u"0\uFF583f800000", false, u"0.000000"},
    {u"\u06607740000000", false, u"1.000000"},
    // Digits of the 18 ranges mix with ASCII digits and letters.
    {u"0x\u0663f800000", false, u"1.000000"},
    {u"\uFF11\uFF10\uFF16\uFF15\uFF13\uFF15\uFF13\uFF12\uFF11\uFF16", false, u"1.000000"},
    // Fullwidth Latin letters have no value.
    {u"0x3\uFF46800000", false, u"0.000000"},
    // Octal ends at 8 or 9; empty hexadecimal reads as 0.
    {u"08", false, u"0.000000"},
    {u"0x", false, u"0.000000"},
    {u"0xg", false, u"0.000000"},
    {u"0x 5", false, u"0.000000"},
    // Leading zeros never overflow.
    {u"0x0000000000000000000003f800000", false, u"1.000000"},
    // Only the low 32 bits count with the option set.
    {u"0x123456783ff00000", true, u"1.000000"},
    // A NUL ends the text.
    {std::u16string(u"0x3f80\0"
                    u"0000",
                    12),
     false, u"0.000000"},
    {u"0xffefffffffffffff", false, u"-17976931348623157" + std::u16string(292, u'0') + u".000000"},
};
INSTANTIATE_TEST_SUITE_P(TextForms, PatternToValue, ::testing::ValuesIn(kTextForms),
                         test_names::ByText(&PatternCase::pattern, &PatternCase::treatAsDouble,
                                            "AsDouble"));

TEST(PatternToValue, LongestTextHas317Characters) {
    EXPECT_EQ(PatternToValueText(u"0xffefffffffffffff", FormatOption::Binary32).size(),
              kLongestValueText);
    EXPECT_EQ(PatternToValueText(u"0xff7fffff", FormatOption::Binary32).size(),
              kLongestSingleValueText);
}

struct IntegerCase {
    std::u16string text;
    std::uint64_t value;
};

class TextToInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(TextToInteger, ReadsTheInteger) {
    EXPECT_EQ(TextToUInt64(GetParam().text), GetParam().value);
}

const IntegerCase kIntegers[] = {
    {u"", 0},
    {u"   ", 0},
    {u"-", 0},
    {u"+", 0},
    {u"abc", 0},
    {u"0", 0},
    {u"-0", 0},
    {u"08", 0},
    {u"07740000000", 0x3F800000},
    {u"0x1G", 1},
    {u"12abc", 12},
    {u"0xABCDEFabcdef", 0xABCDEFABCDEFu},
    {u"-1", 0xFFFFFFFFFFFFFFFFu},
    {u"18446744073709551615", 0xFFFFFFFFFFFFFFFFu},
    {u"18446744073709551616", 0xFFFFFFFFFFFFFFFFu},
    {u"-18446744073709551615", 1},
    {u"1844674407370955161", 1844674407370955161u},
    {u"18446744073709551610", 18446744073709551610u},
    {u"0xffffffffffffffff", 0xFFFFFFFFFFFFFFFFu},
    {u"0x10000000000000000", 0xFFFFFFFFFFFFFFFFu},
    // Overflow stands whatever digits follow.
    {u"0x1000000000000000000000", 0xFFFFFFFFFFFFFFFFu},
    {u"01777777777777777777777", 0xFFFFFFFFFFFFFFFFu},
    {u"02000000000000000000000", 0xFFFFFFFFFFFFFFFFu},
    // Each of the 18 digit ranges, and Tamil digits, which are not digits.
    {u"\u0661\u0662", 12},
    {u"\u06F3", 3},
    {u"\u096F", 9},
    {u"\u09E7", 1},
    {u"\u0A67", 1},
    {u"\u0AE7", 1},
    {u"\u0B67", 1},
    {u"\u0C67", 1},
    {u"\u0CE7", 1},
    {u"\u0D67", 1},
    {u"\u0E51", 1},
    {u"\u0ED1", 1},
    {u"\u0F21", 1},
    {u"\u1041", 1},
    {u"\u17E1", 1},
    {u"\u1811", 1},
    {u"\uFF19", 9},
    {u"\u0BE7", 0},
    {u"7\u0BE7", 7},
    // A surrogate pair is two code units, neither a digit.
    {u"5\U0001D7D9", 5},
};
INSTANTIATE_TEST_SUITE_P(Integers, TextToInteger, ::testing::ValuesIn(kIntegers),
                         test_names::ByText(&IntegerCase::text));

TEST(DigitValue, CoversExactlyTheEighteenRanges) {
    const char16_t starts[] = {0x0030, 0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66,
                               0x0AE6, 0x0B66, 0x0C66, 0x0CE6, 0x0D66, 0x0E50,
                               0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10};
    int expected[0x10000];
    std::fill(std::begin(expected), std::end(expected), -1);
    for (char16_t start : starts) {
        for (int d = 0; d < 10; ++d) expected[start + d] = d;
    }
    for (int unit = 0; unit < 0x10000; ++unit) {
        ASSERT_EQ(DigitValue(static_cast<char16_t>(unit)), expected[unit]) << std::hex << unit;
    }
}

TEST(IsWhiteSpace, BelowU0100OnlyTheFixedSet) {
    for (int unit = 0; unit < 0x100; ++unit) {
        const bool expected = (unit >= 0x09 && unit <= 0x0D) || unit == 0x20 || unit == 0xA0;
        EXPECT_EQ(IsWhiteSpace(static_cast<char16_t>(unit)), expected) << std::hex << unit;
    }
    EXPECT_FALSE(IsWhiteSpace(0xFFFF));
    EXPECT_TRUE(IsWhiteSpace(0x3000));
    EXPECT_TRUE(IsWhiteSpace(0x2028));
}

}  // namespace
}  // namespace zelquin
