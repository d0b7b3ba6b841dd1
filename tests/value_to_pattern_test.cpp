// Value field text to pattern field text: the decimal scanner, the reading
// into binary64 with its own rounding, and the narrowing to binary32.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "binary_format.h"
#include "conversion.h"
#include "decimal_reading.h"
#include "test_names.h"

namespace zelquin {
namespace {

struct ValueCase {
    std::u16string value;
    std::u16string optionClear;
    std::u16string optionSet;
};

class ValueToPattern : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ValueToPattern, GivesThePatternTextWithEitherOption) {
    const ValueCase& c = GetParam();
    EXPECT_EQ(ValueToPatternText(c.value, FormatOption::Binary32), c.optionClear);
    EXPECT_EQ(ValueToPatternText(c.value, FormatOption::TreatAsDouble), c.optionSet);
}

const ValueCase kWorkedExamples[] = {
    {u"1", u"0x3f800000", u"0x3ff0000000000000"},
    {u"0.1", u"0x3dcccccd", u"0x3fb999999999999a"},
    {u"1.52", u"0x3fc28f5c", u"0x3ff851eb851eb852"},
    {u"123.456", u"0x42f6e979", u"0x405edd2f1a9fbe77"},
    {u"-1.5E-3", u"0xbac49ba6", u"0xbf589374bc6a7efa"},
    {u"", u"0", u"0"},
    {u"-", u"0", u"0"},
    {u"-0", u"0x80000000", u"0x8000000000000000"},
    {u".5", u"0x3f000000", u"0x3fe0000000000000"},
    {u"-.5", u"0xbf000000", u"0xbfe0000000000000"},
    {u"5.", u"0x40a00000", u"0x4014000000000000"},
    {u".", u"0", u"0"},
    {u"000123", u"0x42f60000", u"0x405ec00000000000"},
    {u"0.000123", u"0x3900f990", u"0x3f201f31f46ed246"},
    {u"   .25e+2xyz", u"0x41c80000", u"0x4039000000000000"},
    {u"\u00A03", u"0x40400000", u"0x4008000000000000"},
    {u"1d5", u"0x47c35000", u"0x40f86a0000000000"},
    {u"1e+", u"0x3f800000", u"0x3ff0000000000000"},
    {u"0x10", u"0", u"0"},
    {u"inf", u"0", u"0"},
    {u"1e39", u"0x7f800000", u"0x48078287f49c4a1d"},
    {u"3.4028235e38", u"0x7f7fffff", u"0x47efffffe54daff8"},
    {u"3.4028236e38", u"0x7f800000", u"0x47effffff514a7bc"},
    {u"1.17549435e-38", u"0x800000", u"0x380fffffff9fdba8"},
    {u"1e-45", u"0x1", u"0x3696d601ad376ab9"},
    {u"7e-46", u"0", u"0x368ff868bf4d956a"},
    {u"1.7976931348623157e308", u"0x7f800000", u"0x7fefffffffffffff"},
    {u"1.7976931348623159e308", u"0x7f800000", u"0x7ff0000000000000"},
    {u"2.2250738585072014e-308", u"0", u"0x10000000000000"},
    {u"1e400", u"0x7f800000", u"0x7ff0000000000000"},
    {u"-1e400", u"0xff800000", u"0xfff0000000000000"},
    {u"1e-400", u"0", u"0"},
    {u"-1e-400", u"0x80000000", u"0x8000000000000000"},
    {u"1e5201", u"0x7f800000", u"0x7ff0000000000000"},
    {u"0e99999", u"0", u"0"},
    {u"16777217", u"0x4b800000", u"0x4170000010000000"},
    {u"9007199254740995", u"0x5a000000", u"0x4340000000000001"},
    {u"8997742649981799375319e-7", u"0x584c95c1", u"0x430992b82b8bc91f"},
};
INSTANTIATE_TEST_SUITE_P(WorkedExamples, ValueToPattern, ::testing::ValuesIn(kWorkedExamples),
                         test_names::ByText(&ValueCase::value));

// Each rule of the reading, with a case that fails when the rule is left out.
const ValueCase kRules[] = {
    // A 25th digit of 5 or more raises the 24th; without the raise the last
    // bit would be one lower (...eb).
    {u"5234567890123457294499835", u"0x688a8ed0", u"0x451151d9f9c767ec"},
    {u"5234567890123457294499834", u"0x688a8ed0", u"0x451151d9f9c767eb"},
    // A "+" sign reads like no sign, once, and only before the digits.
    {u"+1.5", u"0x3fc00000", u"0x3ff8000000000000"},
    {u"+.5", u"0x3f000000", u"0x3fe0000000000000"},
    {u"+0", u"0", u"0"},
    {u"+-1", u"0", u"0"},
    {u"-+1", u"0", u"0"},
    // "d" and "D" are exponent letters, with or without a sign after them.
    {u"1.5D3", u"0x44bb8000", u"0x4097700000000000"},
    {u"2d-3", u"0x3b03126f", u"0x3f60624dd2f1a9fc"},
    {u"1D+2", u"0x42c80000", u"0x4059000000000000"},
    {u"1D", u"0x3f800000", u"0x3ff0000000000000"},
    // binary64 subnormals round once to nearest; below a quarter of 2^-1074
    // and at or below half of it the result is a zero with the sign.
    {u"4e-324", u"0", u"0x1"},
    {u"-7.4e-324", u"0x80000000", u"0x8000000000000001"},
    {u"1e-323", u"0", u"0x2"},
    {u"2.4703282292062328e-324", u"0", u"0x1"},
    {u"2.4703282292062327e-324", u"0", u"0"},
    {u"-2e-324", u"0x80000000", u"0x8000000000000000"},
    {u"2.2250738585072009e-308", u"0", u"0xfffffffffffff"},
    {u"2.2250738585072012e-308", u"0", u"0x10000000000000"},  // carries into the smallest normal
    // The lowest limb of the digits' integer is cleared before scaling; kept,
    // it would give one unit more.
    {u"29089010905951448795e12", u"0x73b793d5", u"0x4676f27a9dc185ac"},
    {u"138570217043814082559115e-21", u"0x430a91fa", u"0x4061523f37d059b4"},
};
INSTANTIATE_TEST_SUITE_P(Rules, ValueToPattern, ::testing::ValuesIn(kRules),
                         test_names::ByText(&ValueCase::value));

struct DoubleCase {
    std::u16string text;
    std::uint64_t binary64;
};

class TextToBinary64 : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(TextToBinary64, ReadsTheBits) {
    EXPECT_EQ(TextToDouble(GetParam().text), GetParam().binary64)
        << std::hex << TextToDouble(GetParam().text);
}

const DoubleCase kTextForms[] = {
    // White space after the sign is not skipped.
    {u"- 1", 0},
    {u"\t\r\n 2", 0x4000000000000000u},
    {u"\u30002", 0x4000000000000000u},
    {u"\u00852", 0},
    // Whatever follows the number is ignored.
    {u"12abc", 0x4028000000000000u},
    {u"1.5.3", 0x3FF8000000000000u},
    {u"1e5.5", 0x40F86A0000000000u},
    {u"1\u00B2", 0x3FF0000000000000u},
    {u"1+5", 0x3FF0000000000000u},
    // An exponent part without digits counts for nothing.
    {u"1e", 0x3FF0000000000000u},
    {u"1e+-5", 0x3FF0000000000000u},
    {u"1e-", 0x3FF0000000000000u},
    {u"1D-1", 0x3FB999999999999Au},
    {u"1e-0005", 0x3EE4F8B588E368F1u},
    {u"1e0", 0x3FF0000000000000u},
    {u"1e9999", 0x7FF0000000000000u},
    {u"1e-9999", 0},
    {u"1e99999999999999999999", 0x7FF0000000000000u},
    // Zeros made of digits keep the sign; no digits give positive zero.
    {u"-.0", 0x8000000000000000u},
    {u"-0e5", 0x8000000000000000u},
    {u"-1e-400", 0x8000000000000000u},
    {u"-.", 0},
    {u"-e5", 0},
    {u"+", 0},
    {u"nan", 0},
    // Exact halves between binary64 values go toward zero.
    {u"9007199254740995", 0x4340000000000001u},
    {u"-9007199254740995", 0xC340000000000001u},
    {u"9007199254740993", 0x4340000000000000u},
    {u"40942531841347187247e-64", 0x36B75FC1FABDCC7Cu},
    // 25 digits are stored and the 25th only rounds the 24th: later ones count for nothing.
    {u"1000000000000000000000000001", 0x4589D971E4FE8402u},
    {u"1000000000000000000000000000", 0x4589D971E4FE8402u},
    // A 25th digit of 5 or more raises the 24th, which may become ten.
    {u"1999999999999999999999995", 0x44FA784379D99DB4u},
    {u"0.0000000000000000000000000000001", 0x398039D665896880u},
    // Characters above U+00FF end the text; so does a NUL.
    {u"1.5\u20AC", 0x3FF8000000000000u},
    {u"\u20AC1.5", 0},
    {u"1\u0661", 0x3FF0000000000000u},
    {std::u16string(u"2\0"
                    u"5",
                    3),
     0x4000000000000000u},
};
INSTANTIATE_TEST_SUITE_P(TextForms, TextToBinary64, ::testing::ValuesIn(kTextForms),
                         test_names::ByText(&DoubleCase::text));

// The reader's record: where the number's parts stand (the number, its
// significand, its exponent digits, its end), what follows it, and what the
// reader keeps of its digits and exponent.
struct ReadingCase {
    std::u16string text;
    std::size_t numberStart, significandStart, significandEnd, exponentStart, numberEnd;
    bool negative, digitSeen, textAfter;
    int significantDigits, storedDigits, exponentAdjustment, exponentValue;
    bool exponentNegative;
};

class DecimalRecord : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(DecimalRecord, SaysWhereThePartsStandAndWhatIsKept) {
    const ReadingCase& c = GetParam();
    const DecimalReading r = ReadValueText(c.text, FormatOption::Binary32).number;
    EXPECT_EQ((std::vector<std::size_t>{r.numberStart, r.significandStart, r.significandEnd,
                                        r.exponentStart, r.numberEnd}),
              (std::vector<std::size_t>{c.numberStart, c.significandStart, c.significandEnd,
                                        c.exponentStart, c.numberEnd}));
    EXPECT_EQ((std::vector<bool>{r.negative, r.digitSeen, r.textAfter, r.exponentNegative}),
              (std::vector<bool>{c.negative, c.digitSeen, c.textAfter, c.exponentNegative}));
    EXPECT_EQ((std::vector<int>{r.significantDigits, r.storedDigits, r.exponentAdjustment,
                                r.exponentValue}),
              (std::vector<int>{c.significantDigits, c.storedDigits, c.exponentAdjustment,
                                c.exponentValue}));
}

const ReadingCase kReadings[] = {
    // At most 25 digits are stored; integer digits beyond move the point,
    // fraction digits beyond are dropped.
    {u"12345678901234567890123456789.5e-3x", 0, 0, 31, 33, 34, false, true, true, 30, 25, 4, 3,
     true},
    // Leading zeros are never stored, trailing ones are.
    {u"-000.00120", 0, 1, 10, 10, 10, true, true, false, 3, 3, -5, 0, false},
    // The exponent value stops at 5201; its digits are all part of the number.
    {u"1e5200", 0, 0, 1, 2, 6, false, true, false, 1, 1, 0, 5200, false},
    {u"1e000099999999", 0, 0, 1, 2, 14, false, true, false, 1, 1, 0, 5201, false},
    // White space first, a point first, an exponent with its sign, text after.
    {u"\u00a0  .25e+2xyz", 3, 3, 6, 8, 9, false, true, true, 2, 2, -2, 2, false},
    // An exponent part without a digit is not part of the number.
    {u"1e+", 0, 0, 1, 1, 1, false, true, true, 1, 1, 0, 0, false},
    {u"5.", 0, 0, 2, 2, 2, false, true, false, 1, 1, 0, 0, false},
    // Zeros only: a number without significant digits.
    {u"-0.000e7", 0, 1, 6, 7, 8, true, true, false, 0, 0, -3, 7, false},
    // Characters above U+00FF end the text.
    {u"1.5\u20ac", 0, 0, 3, 3, 3, false, true, true, 2, 2, -1, 0, false},
    // No number: the sign is noted, nothing else.
    {u"- 1", 0, 0, 0, 0, 0, true, false, false, 0, 0, 0, 0, false},
    {u" .", 1, 1, 1, 1, 1, false, false, false, 0, 0, 0, 0, false},
};
INSTANTIATE_TEST_SUITE_P(Spans, DecimalRecord, ::testing::ValuesIn(kReadings),
                         test_names::ByText(&ReadingCase::text));

TEST(TextToDouble, DecimalExponentLimitsAt5200) {
    // n = 5200 still scales (and overflows to infinity); n = -5200 scales to zero.
    EXPECT_EQ(TextToDouble(u"1e5200"), 0x7FF0000000000000u);
    EXPECT_EQ(TextToDouble(u"-1e-5200"), 0x8000000000000000u);
    // Digits and the exponent part add up before the limits are applied.
    EXPECT_EQ(TextToDouble(u"0.00001e5205"), 0x7FF0000000000000u);
    EXPECT_EQ(TextToDouble(u"100000e-5205"), 0);
    EXPECT_EQ(TextToDouble(u"1e-5201"), 0);
    EXPECT_EQ(TextToDouble(u"1000e-5203"), 0);
}

TEST(TextToDouble, VeryLongTextsAreSafeAndReadOnlyAsFarAsNeeded) {
    // A million digits in the integer part and in the fraction.
    std::u16string digits(1000000, u'7');
    EXPECT_EQ(TextToDouble(digits), 0x7FF0000000000000u);
    EXPECT_EQ(TextToDouble(u"0." + std::u16string(1000000, u'0') + u"1"), 0);
    EXPECT_EQ(TextToDouble(u"1." + std::u16string(1000000, u'0') + u"1"), 0x3FF0000000000000u);
    // A view that ends inside a number reads only the units it covers.
    const std::u16string text = u"12345";
    EXPECT_EQ(TextToDouble(std::u16string_view(text).substr(0, 2)), 0x4028000000000000u);
    EXPECT_EQ(TextToDouble(std::u16string_view(text).substr(0, 0)), 0u);
}

TEST(ExtendedToDouble, HalvesRoundTowardZeroAndAboveHalvesUp) {
    // 2^63 + 2^10 * {1, 3} with 53-bit rounding: bit 10 of the 64 high bits
    // is the round bit.
    const ExtendedValue exactHalf{0x8000000000000400u, 0, 16383, false};
    const ExtendedValue aboveHalf{0x8000000000000400u, 1, 16383, true};
    const ExtendedValue oddHalf{0x8000000000000C00u, 0, 16383, false};
    EXPECT_EQ(ExtendedToDouble(exactHalf), 0x3FF0000000000000u);
    EXPECT_EQ(ExtendedToDouble(aboveHalf), 0xBFF0000000000001u);
    EXPECT_EQ(ExtendedToDouble(oddHalf), 0x3FF0000000000001u);
    // A carry out of 53 bits raises the exponent; at the top it overflows.
    const ExtendedValue allOnes{0xFFFFFFFFFFFFFFFFu, 0xFFFF, 16383, false};
    EXPECT_EQ(ExtendedToDouble(allOnes), 0x4000000000000000u);
    const ExtendedValue topAllOnes{0xFFFFFFFFFFFFFFFFu, 0xFFFF, 16383 + 1023, true};
    EXPECT_EQ(ExtendedToDouble(topAllOnes), 0xFFF0000000000000u);
    // Exponent 0 is a zero with its sign, whatever the significand.
    EXPECT_EQ(ExtendedToDouble(ExtendedValue{0x4000000000000000u, 0, 0, true}),
              0x8000000000000000u);
}

TEST(ExtendedToDouble, SubnormalsRoundOnceToNearestEven) {
    const auto at = [](int e, std::uint64_t high, std::uint16_t low, bool negative = false) {
        return ExtendedToDouble(
            ExtendedValue{high, low, static_cast<std::uint16_t>(16383 + e), negative});
    };
    // 2^-1074, the smallest subnormal, and its multiples.
    EXPECT_EQ(at(-1074, 0x8000000000000000u, 0), 1u);
    EXPECT_EQ(at(-1073, 0xC000000000000000u, 0), 3u);
    // Half of the smallest subnormal is a tie: to even, zero. Above it: one.
    EXPECT_EQ(at(-1075, 0x8000000000000000u, 0), 0u);
    EXPECT_EQ(at(-1075, 0x8000000000000000u, 1), 1u);
    EXPECT_EQ(at(-1075, 0x8000000000000001u, 0, true), 0x8000000000000001u);
    // 1.5 units is a tie to 2; 2.5 units a tie to 2.
    EXPECT_EQ(at(-1074, 0xC000000000000000u, 0), 2u);
    EXPECT_EQ(at(-1073, 0xA000000000000000u, 0), 2u);
    // Ties to even on the subnormal grid, not halves toward zero: 2^-1023 + 2^-1075
    // is the tie between two subnormals 2^51 and 2^51 + 1 units: even.
    EXPECT_EQ(at(-1023, 0x8000000000000000u | (std::uint64_t{1} << 11), 0), std::uint64_t{1} << 51);
    EXPECT_EQ(at(-1023, 0x8000000000000000u | (std::uint64_t{3} << 11), 0),
              (std::uint64_t{1} << 51) + 2);
    // Just below 2^-1022, rounding up gives the smallest normal.
    EXPECT_EQ(at(-1023, 0xFFFFFFFFFFFFFFFFu, 0xFFFF), 0x0010000000000000u);
    // Below 2^-1076 (after the 53-bit rounding) the result is a signed zero.
    EXPECT_EQ(at(-1077, 0xFFFFFFFFFFFFFFFFu, 0xFFFF, true), 0x8000000000000000u);
    EXPECT_EQ(at(-1077, 0x8000000000000000u, 0, true), 0x8000000000000000u);
    EXPECT_EQ(at(-1076, 0xFFFFFFFFFFFFFFFFu, 0), 0u);
}

struct NarrowCase {
    std::uint64_t binary64;
    std::uint32_t binary32;
};

class Narrowing : public ::testing::TestWithParam<NarrowCase> {};

TEST_P(Narrowing, RoundsToNearestEven) {
    EXPECT_EQ(DoubleToSingle(GetParam().binary64), GetParam().binary32);
}

const NarrowCase kNarrowCases[] = {
    {0x0000000000000000u, 0x00000000u},
    {0x8000000000000000u, 0x80000000u},
    {0x7FF0000000000000u, 0x7F800000u},
    {0xFFF0000000000000u, 0xFF800000u},
    {0x3FF0000000000000u, 0x3F800000u},
    {0x3FF0000010000000u, 0x3F800000u},  // tie between 1 and 1 + 2^-23: even
    {0x3FF0000030000000u, 0x3F800002u},  // tie, odd below: up
    {0x3FF0000010000001u, 0x3F800001u},  // above the tie
    {0x47EFFFFFE0000000u, 0x7F7FFFFFu},  // largest binary32
    {0x47EFFFFFEFFFFFFFu, 0x7F7FFFFFu},  // just below 2^128 - 2^103
    {0x47EFFFFFF0000000u, 0x7F800000u},  // 2^128 - 2^103: infinity
    {0xC7F0000000000000u, 0xFF800000u},
    {0x7FEFFFFFFFFFFFFFu, 0x7F800000u},
    {0x3810000000000000u, 0x00800000u},  // 2^-126
    {0x380FFFFFF0000000u, 0x00800000u},  // rounds up into the smallest normal
    {0x36A0000000000000u, 0x00000001u},  // 2^-149
    {0x3690000000000000u, 0x00000000u},  // 2^-150: tie to even, zero
    {0x3690000000000001u, 0x00000001u},
    {0xB6A8000000000000u, 0x80000002u},  // 1.5 * 2^-149: tie to even
    {0x36A4000000000000u, 0x00000001u},  // 1.25 * 2^-149
    {0x0000000000000001u, 0x00000000u},  // binary64 subnormal
    {0x8000000000000001u, 0x80000000u},
    {0x4170000010000000u, 0x4B800000u},  // 16777217
    {0x7FF0000000000001u, 0x7FC00000u},  // a binary64 NaN narrows to a quiet binary32 NaN
    {0xFFF0000000000001u, 0xFFC00000u},
    {0x7FF8000000000000u, 0x7FC00000u},
    {0x7FFFFFFFFFFFFFFFu, 0x7FFFFFFFu},
    {0xFFF4000020000000u, 0xFFE00001u},  // the top 23 fraction bits stay
};
INSTANTIATE_TEST_SUITE_P(Cases, Narrowing, ::testing::ValuesIn(kNarrowCases),
                         test_names::ByBinary64(&NarrowCase::binary64));

TEST(DigitsToExtended, IsExactForTwentyFourDigitsAndATen) {
    const std::uint8_t one[] = {1};
    const ExtendedValue x = DigitsToExtended(one, 1);
    EXPECT_EQ(x.significandHigh, 0x8000000000000000u);
    EXPECT_EQ(x.significandLow, 0);
    EXPECT_EQ(x.exponent, 16383);
    // 99999999999999999999999 followed by a ten: 10^24 = 0xD3C21BCECCEDA1000000.
    std::uint8_t digits[24];
    for (auto& d : digits) d = 9;
    digits[23] = 10;
    const ExtendedValue y = DigitsToExtended(digits, 24);
    EXPECT_EQ(y.significandHigh, 0xD3C21BCECCEDA100u);
    EXPECT_EQ(y.significandLow, 0x0000);
    EXPECT_EQ(y.exponent, 16383 + 79);
    // 65537 = 2^16 + 1 crosses the limb boundary.
    const std::uint8_t d65537[] = {6, 5, 5, 3, 7};
    const ExtendedValue z = DigitsToExtended(d65537, 5);
    EXPECT_EQ(z.significandHigh, 0x8000800000000000u);
    EXPECT_EQ(z.exponent, 16383 + 16);
}

}  // namespace
}  // namespace zelquin
