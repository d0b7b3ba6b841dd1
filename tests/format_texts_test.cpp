// The texts of the formats: pattern texts read to the format's width, value
// texts read exactly (decimals as the value field reads them, hexadecimal
// floats), and patterns written as hexadecimal floats, in hexadecimal and in
// grouped binary.

#include "format_texts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "format_rounding.h"
#include "formats.h"
#include "test_names.h"

namespace zelquin::explain {
namespace {

FloatFormat Named(const char* name) {
    const std::optional<FloatFormat> format = FindFormat(name);
    EXPECT_TRUE(format.has_value()) << name;
    return format.value_or(FloatFormat{});
}

// How a pattern text reads in a format.
struct PatternTextCase {
    std::u16string text;
    const char* format;
    const char* pattern;  // as PatternHexText writes it; "" where refused
    unsigned base;
    bool digitSeen;
    bool wrapped;
    bool textAfter;
    const char* refusal;  // the message, "" where read
};

class FormatPatternTextTest : public ::testing::TestWithParam<PatternTextCase> {};
void PrintTo(const PatternTextCase& c, std::ostream* os) {
    *os << test_names::TextName(c.text) << " in " << c.format;
}

TEST_P(FormatPatternTextTest, ReadsTheIntegerToTheFormatsWidth) {
    const PatternTextCase& c = GetParam();
    const FloatFormat format = Named(c.format);
    const FormatPatternReading r = ReadFormatPattern(c.text, format);
    EXPECT_EQ(r.base, c.base);
    EXPECT_EQ(r.digitSeen, c.digitSeen);
    EXPECT_EQ(r.wrapped, c.wrapped);
    EXPECT_EQ(r.textAfter, c.textAfter);
    EXPECT_EQ(r.refused, *c.refusal != '\0');
    EXPECT_EQ(r.message, c.refusal);
    if (!r.refused) {
        EXPECT_EQ(PatternHexText(format, r.bits), c.pattern);
    } else {
        EXPECT_TRUE(IsZero(r.bits));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FormatPatternTextTest,
    ::testing::Values(
        PatternTextCase{u"0x3c00", "binary16", "0x3c00", 16, true, false, false, ""},
        PatternTextCase{u" \t+0X3C00 rest", "binary16", "0x3c00", 16, true, false, true, ""},
        PatternTextCase{u"15360", "binary16", "0x3c00", 10, true, false, false, ""},
        PatternTextCase{u"036000", "binary16", "0x3c00", 8, true, false, false, ""},
        PatternTextCase{u"0b1111", "float4_e2m1fn", "0xf", 2, true, false, false, ""},
        PatternTextCase{u"0B0110", "float4_e2m1fn", "0x6", 2, true, false, false, ""},
        PatternTextCase{u"0b102", "float8_e4m3fn", "0x02", 2, true, false, true, ""},
        PatternTextCase{u"0b", "float8_e4m3fn", "0x00", 2, false, false, false, ""},
        PatternTextCase{u"0x", "float8_e4m3fn", "0x00", 16, false, false, false, ""},
        PatternTextCase{u"", "float8_e4m3fn", "0x00", 10, false, false, false, ""},
        PatternTextCase{u"-", "float8_e4m3fn", "0x00", 10, false, false, false, ""},
        PatternTextCase{u"-1", "float8_e4m3fn", "0xff", 10, true, true, false, ""},
        PatternTextCase{u"-0x80", "float8_e4m3fn", "0x80", 16, true, true, false, ""},
        PatternTextCase{u"-0", "float8_e4m3fn", "0x00", 8, true, false, false, ""},
        PatternTextCase{u"-1", "tf32", "0x7ffff", 10, true, true, false, ""},
        PatternTextCase{u"\u0661\u0662", "float8_e4m3fn", "0x0c", 10, true, false, false, ""},
        PatternTextCase{u"\u0660x7e", "float8_e4m3fn", "0x7e", 16, true, false, false, ""},
        PatternTextCase{u"0xzz", "float8_e4m3fn", "0x00", 16, false, false, false, ""},
        PatternTextCase{u"0x7ffffffffffffffffffffffffffffffF", "binary128",
                        "0x7fffffffffffffffffffffffffffffff", 16, true, false, false, ""},
        PatternTextCase{u"0x3fff8000000000000000", "x87-extended", "0x3fff8000000000000000", 16,
                        true, false, false, ""},
        PatternTextCase{u"0x1ff", "float8_e4m3fn", "", 16, true, false, false,
                        "0x1ff is wider than float8_e4m3fn's 8 bits"},
        PatternTextCase{u"256", "float8_e4m3fn", "", 10, true, false, false,
                        "256 is wider than float8_e4m3fn's 8 bits"},
        PatternTextCase{u"-0x1ff tail", "float8_e4m3fn", "", 16, true, false, true,
                        "-0x1ff is wider than float8_e4m3fn's 8 bits"},
        PatternTextCase{u"0x80000", "tf32", "", 16, true, false, false,
                        "0x80000 is wider than tf32's 19 bits"},
        PatternTextCase{u"0b10000", "float4_e2m1fn", "", 2, true, false, false,
                        "0b10000 is wider than float4_e2m1fn's 4 bits"},
        PatternTextCase{u"0x100000000000000000000000000000000", "binary128", "", 16, true, false,
                        false,
                        "0x100000000000000000000000000000000 is wider than binary128's 128 bits"},
        PatternTextCase{u"1" + std::u16string(60, u'0'), "binary128", "", 10, true, false, false,
                        "1000000000000000000000000000000000000000000000000000000000000 is wider "
                        "than binary128's 128 bits"}),
    [](const ::testing::TestParamInfo<PatternTextCase>& info) {
        std::string name =
            test_names::TextName(info.param.text.substr(0, 40)) + "_in_" + info.param.format;
        for (char& c : name) {
            if (c == '-') c = '_';
        }
        return name;
    });

// How a value text reads: its number exactly, as a decimal's text.
struct ValueTextCase {
    std::u16string text;
    bool hexFloat;
    bool textAfter;
    const char* exact;  // FormatDecimal of the number
};

class FormatValueTextTest : public ::testing::TestWithParam<ValueTextCase> {};
void PrintTo(const ValueTextCase& c, std::ostream* os) { *os << test_names::TextName(c.text); }

TEST_P(FormatValueTextTest, ReadsTheNumberWrittenExactly) {
    const ValueTextCase& c = GetParam();
    const FormatValueReading r = ReadFormatValue(c.text);
    EXPECT_EQ(r.hexFloat, c.hexFloat);
    EXPECT_EQ(r.textAfter, c.textAfter);
    const ExactNumber& x = r.number;
    ASSERT_EQ(x.kind, ExactNumber::Kind::Finite);
    // A decimal's number is every digit typed.
    const Decimal value =
        r.hexFloat ? DecimalOfBinary(x.negative, x.significand, x.twos) : r.typed.value;
    EXPECT_EQ(FormatDecimal(value), c.exact);
    EXPECT_EQ(FormatDecimal(value), FormatDecimal(DecimalOfExact(x).value_or(Decimal{})));
}

INSTANTIATE_TEST_SUITE_P(Texts, FormatValueTextTest,
                         ::testing::Values(ValueTextCase{u"0x1.8p-3", true, false, "0.1875"},
                                           ValueTextCase{u"-0x1p+4", true, false, "-16"},
                                           ValueTextCase{u"  +0X.8P1", true, false, "1"},
                                           ValueTextCase{u"0xA.Bp0", true, false, "10.6875"},
                                           ValueTextCase{u"0x1p", true, true, "1"},
                                           ValueTextCase{u"0x1p+", true, true, "1"},
                                           ValueTextCase{u"0x1.8.1", true, true, "1.5"},
                                           ValueTextCase{u"0x1p-1z", true, true, "0.5"},
                                           ValueTextCase{u"-0x0p0", true, false, "-0"},
                                           ValueTextCase{u"0x", false, true, "0"},
                                           ValueTextCase{u"0x.p1", false, true, "0"},
                                           ValueTextCase{u"0.1", false, false, "0.1"},
                                           ValueTextCase{u"1.5d3", false, false, "1500"},
                                           ValueTextCase{u"123456789012345678901234567890.5", false,
                                                         false, "123456789012345678901234567890.5"},
                                           ValueTextCase{u"1e-1200", false, false, "1e-1200"},
                                           ValueTextCase{u"-2.5e+3 apples", false, true, "-2500"}),
                         [](const ::testing::TestParamInfo<ValueTextCase>& info) {
                             return test_names::TextName(info.param.text);
                         });

// A huge exponent of either kind lies beyond every format's range.
TEST(FormatValueText, HugeExponentsAreBeyondEveryRange) {
    const FloatFormat binary128 = Named("binary128");
    for (const char16_t* text : {u"0x1p99999999999999", u"1e99999999999999999999"}) {
        const RoundResult r = Round(ReadFormatValue(text).number, binary128);
        EXPECT_EQ(r.bits, *InfinityPattern(binary128));
        EXPECT_TRUE(r.overflowed);
    }
    for (const char16_t* text : {u"-0x1p-99999999999999", u"-1e-99999999999999999999"}) {
        const RoundResult r = Round(ReadFormatValue(text).number, binary128, RoundingMode::Down);
        EXPECT_EQ(r.bits, (SignBit(binary128) | Bits128{0, 1}));
        EXPECT_TRUE(r.underflowed);
    }
}

// C's hexadecimal form of patterns of several formats.
struct HexFloatCase {
    const char* format;
    Bits128 bits;
    const char* text;  // "" for none
};

TEST(HexFloatText, WritesTheFractionInWholeDigits) {
    const HexFloatCase cases[] = {
        {"binary32", {0, 0x3dcccccd}, "0x1.99999ap-4"},
        {"binary32", {0, 0x3f800000}, "0x1p+0"},
        {"binary32", {0, 0xc1800000}, "-0x1p+4"},
        {"binary32", {0, 0x80000000}, "-0x0p+0"},
        {"binary32", {0, 0x00000001}, "0x0.000002p-126"},
        {"binary32", {0, 0x7f800000}, ""},
        {"binary32", {0, 0x7fc00000}, ""},
        {"binary16", {0, 0x0200}, "0x0.8p-14"},
        {"binary16", {0, 0x7bff}, "0x1.ffcp+15"},
        {"binary64", {0, 0x3fb999999999999a}, "0x1.999999999999ap-4"},
        {"bfloat16", {0, 0x3fc0}, "0x1.8p+0"},
        {"float8_e4m3fn", {0, 0x7e}, "0x1.cp+8"},
        {"float8_e4m3fn", {0, 0x7f}, ""},
        {"float8_e8m0fnu", {0, 0x00}, "0x1p-127"},
        {"float8_e8m0fnu", {0, 0xfe}, "0x1p+127"},
        {"float4_e2m1fn", {0, 0x3}, "0x1.8p+0"},
        {"float4_e2m1fn", {0, 0x9}, "-0x0.8p+0"},
        {"x87-extended", {0x3fff, 0x8000000000000000}, "0x1p+0"},
        {"x87-extended", {0x3fff, 0xc000000000000000}, "0x1.8p+0"},
        {"x87-extended", {0x4000, 0x4000000000000000}, "0x0.8p+1"},
        {"x87-extended", {0x0000, 0x8000000000000000}, "0x1p-16382"},
        {"x87-extended", {0x0000, 0x0000000000000001}, "0x0.0000000000000002p-16382"},
        {"x87-extended", {0x7fff, 0x0000000000000000}, ""},
        {"binary128", {0x3fff800000000000, 0}, "0x1.8p+0"},
        {"binary128", {0, 1}, "0x0.0000000000000000000000000001p-16382"},
    };
    for (const HexFloatCase& c : cases) {
        EXPECT_EQ(HexFloatText(Named(c.format), c.bits).value_or(""), c.text) << c.format;
    }
}

// Every pattern written as a hexadecimal float reads back to its value.
TEST(HexFloatText, ReadsBackToTheSameValue) {
    for (const char* name : {"binary16", "float8_e4m3fnuz", "float8_e8m0fnu", "float6_e3m2fn"}) {
        const FloatFormat format = Named(name);
        for (std::uint64_t p = 0; p < (std::uint64_t{1} << PatternWidth(format)); p += 5) {
            const Bits128 bits{0, p};
            const std::optional<std::string> text = HexFloatText(format, bits);
            if (!text) continue;
            const ExactNumber x =
                ReadFormatValue(std::u16string(text->begin(), text->end())).number;
            ASSERT_EQ(Round(x, format).bits, bits) << name << " " << *text;
            ASSERT_FALSE(Round(x, format).inexact) << name << " " << *text;
        }
    }
}

TEST(PatternTexts, HexadecimalHasEveryDigitOfTheWidth) {
    EXPECT_EQ(PatternHexText(Named("tf32"), Bits128{0, 0x1fc00}), "0x1fc00");
    EXPECT_EQ(PatternHexText(Named("float4_e2m1fn"), Bits128{0, 0x3}), "0x3");
    EXPECT_EQ(PatternHexText(Named("float6_e2m3fn"), Bits128{0, 0x8}), "0x08");
    EXPECT_EQ(PatternHexText(Named("binary16"), Bits128{0, 1}), "0x0001");
    EXPECT_EQ(PatternHexText(Named("x87-extended"), Bits128{0x3fff, 0x8000000000000000}),
              "0x3fff8000000000000000");
    EXPECT_EQ(PatternHexText(Named("binary128"), Bits128{0xffff000000000000, 0xab}),
              "0xffff00000000000000000000000000ab");
}

TEST(PatternTexts, BinaryIsGroupedByField) {
    EXPECT_EQ(PatternBinaryText(Named("binary16"), Bits128{0, 0x3c00}), "0 01111 0000000000");
    EXPECT_EQ(PatternBinaryText(Named("float4_e2m1fn"), Bits128{0, 0xb}, " | "), "1 | 01 | 1");
    EXPECT_EQ(PatternBinaryText(Named("float8_e8m0fnu"), Bits128{0, 0x7f}), "01111111");
    EXPECT_EQ(PatternBinaryText(Named("x87-extended"), Bits128{0x3fff, 0xc000000000000000}),
              "0 011111111111111 1 1" + std::string(62, '0'));
}

}  // namespace
}  // namespace zelquin::explain
