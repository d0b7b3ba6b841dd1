// The registry's rows and names, the landmarks of the formats, the named
// corner cases that people look these formats up for, and the wide formats
// (x87-extended with its non-canonical patterns, binary128) that the
// exhaustive checks cannot reach.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "big_unsigned.h"
#include "format_rounding.h"
#include "format_texts.h"
#include "formats.h"

namespace zelquin::explain {
namespace {

using exact::BigUnsigned;

FloatFormat Named(const char* name) {
    const std::optional<FloatFormat> format = FindFormat(name);
    EXPECT_TRUE(format.has_value()) << name;
    return format.value_or(FloatFormat{});
}

// A pattern of up to 128 bits from its hexadecimal digits.
Bits128 Hex(std::string_view digits) {
    Bits128 bits;
    for (const char c : digits) {
        const int value = c <= '9' ? c - '0' : c - 'a' + 10;
        bits = (bits << 4) | Bits128{0, static_cast<std::uint64_t>(value)};
    }
    return bits;
}

RoundResult RoundText(std::u16string_view text, const FloatFormat& format,
                      RoundingMode mode = RoundingMode::NearestEven,
                      OverflowPolicy policy = OverflowPolicy::Ieee) {
    return Round(ReadFormatValue(text).number, format, mode, policy);
}

// Each row as the registry holds it: the widths, the precision and the
// exponent range, and which special patterns it has.
struct RowCase {
    const char* name;
    int width;
    int precision;
    int minExponent;
    int maxExponent;
    bool infinities;
    bool nans;
    bool negativeZero;
    const char* largest;  // hexadecimal digits
};

class RegistryRowTest : public ::testing::TestWithParam<RowCase> {};
void PrintTo(const RowCase& c, std::ostream* os) { *os << c.name; }

TEST_P(RegistryRowTest, HasItsWidthRangeAndSpecials) {
    const RowCase& c = GetParam();
    const FloatFormat format = Named(c.name);
    EXPECT_EQ(PatternWidth(format), c.width);
    EXPECT_EQ(Precision(format), c.precision);
    EXPECT_EQ(MinExponent(format), c.minExponent);
    EXPECT_EQ(MaxExponent(format), c.maxExponent);
    EXPECT_EQ(HasInfinities(format), c.infinities);
    EXPECT_EQ(HasNaNs(format), c.nans);
    EXPECT_EQ(HasNegativeZero(format), c.negativeZero);
    EXPECT_EQ(PatternHexText(format, LargestFinite(format)), std::string("0x") + c.largest);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RegistryRowTest,
    ::testing::Values(
        RowCase{"binary16", 16, 11, -14, 15, true, true, true, "7bff"},
        RowCase{"bfloat16", 16, 8, -126, 127, true, true, true, "7f7f"},
        RowCase{"tf32", 19, 11, -126, 127, true, true, true, "3fbff"},
        RowCase{"binary32", 32, 24, -126, 127, true, true, true, "7f7fffff"},
        RowCase{"binary64", 64, 53, -1022, 1023, true, true, true, "7fefffffffffffff"},
        RowCase{"x87-extended", 80, 64, -16382, 16383, true, true, true, "7ffeffffffffffffffff"},
        RowCase{"binary128", 128, 113, -16382, 16383, true, true, true,
                "7ffeffffffffffffffffffffffffffff"},
        RowCase{"float8_e5m2", 8, 3, -14, 15, true, true, true, "7b"},
        RowCase{"float8_e4m3", 8, 4, -6, 7, true, true, true, "77"},
        RowCase{"float8_e4m3fn", 8, 4, -6, 8, false, true, true, "7e"},
        RowCase{"float8_e4m3fnuz", 8, 4, -7, 7, false, true, false, "7f"},
        RowCase{"float8_e5m2fnuz", 8, 3, -15, 15, false, true, false, "7f"},
        RowCase{"float8_e4m3b11fnuz", 8, 4, -10, 4, false, true, false, "7f"},
        RowCase{"float8_e3m4", 8, 5, -2, 3, true, true, true, "6f"},
        RowCase{"float8_e8m0fnu", 8, 1, -127, 127, false, true, false, "fe"},
        RowCase{"float6_e2m3fn", 6, 4, 0, 2, false, false, true, "1f"},
        RowCase{"float6_e3m2fn", 6, 3, -2, 4, false, false, true, "1f"},
        RowCase{"float4_e2m1fn", 4, 2, 0, 2, false, false, true, "7"}),
    [](const ::testing::TestParamInfo<RowCase>& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            if (c == '-') c = '_';
        }
        return name;
    });

TEST(FormatLookup, EveryRowIsFoundByItsNameAndAliasesAsWritten) {
    for (const FloatFormat& row : RegisteredFormats()) {
        ASSERT_TRUE(FindFormat(row.name).has_value()) << row.name;
        EXPECT_EQ(std::string(FindFormat(row.name)->name), row.name);
    }
    EXPECT_EQ(RegisteredFormats().size(), 18u);
    for (const char* alias : {"half", "float16"}) EXPECT_STREQ(Named(alias).name, "binary16");
    EXPECT_STREQ(Named("quad").name, "binary128");
    EXPECT_STREQ(Named("extended80").name, "x87-extended");
    for (const char* unknown : {"Binary16", "HALF", "binary16 ", "", "float8", "half,", "e4m3fn"})
        EXPECT_FALSE(FindFormat(unknown).has_value()) << unknown;
}

// eXmY: X exponent bits from 2 to 15, Y fraction bits from 1 to 112, written
// without leading zeros.
TEST(FormatLookup, ExponentAndFractionNamesGiveIeeeLayouts) {
    const FloatFormat e5m10 = Named("e5m10");
    EXPECT_STREQ(e5m10.name, "e5m10");
    EXPECT_EQ(e5m10.bias, 15);
    EXPECT_EQ(PatternWidth(Named("e15m112")), 128);
    EXPECT_EQ(Named("e2m1").bias, 1);
    EXPECT_EQ(Named("e8m23").bias, 127);
    for (const char* refused : {"e1m3", "e16m1", "e5m0", "e5m113", "e05m10", "e5m010", "e5m",
                                "em10", "e5", "E5M10", "e5m10x", "e-5m10", "e5m+10"})
        EXPECT_FALSE(FindFormat(refused).has_value()) << refused;
}

// e5m10 is binary16's layout under another name: the same classes, values,
// neighbours and roundings for every pattern.
TEST(FormatLookup, E5M10DecodesAndRoundsAsBinary16) {
    const FloatFormat binary16 = Named("binary16");
    const FloatFormat e5m10 = Named("e5m10");
    for (std::uint64_t p = 0; p < 0x10000; p += 3) {
        const Bits128 bits{0, p};
        const DecodedPattern a = Decode(binary16, bits);
        const DecodedPattern b = Decode(e5m10, bits);
        ASSERT_EQ(a.numberClass, b.numberClass) << p;
        ASSERT_EQ(FormatDecimal(a.exact), FormatDecimal(b.exact)) << p;
        ASSERT_EQ(NextUp(binary16, bits), NextUp(e5m10, bits)) << p;
        ASSERT_EQ(ShortestOf(binary16, bits), ShortestOf(e5m10, bits)) << p;
    }
}

// The landmarks of a few formats, each with its pattern and its value.
struct LandmarkCase {
    const char* format;
    std::vector<std::pair<std::string, std::string>> marks;  // name, "0x.. value"
};

class LandmarkTest : public ::testing::TestWithParam<LandmarkCase> {};
void PrintTo(const LandmarkCase& c, std::ostream* os) { *os << c.format; }

TEST_P(LandmarkTest, AreTheFormatsOwn) {
    const FloatFormat format = Named(GetParam().format);
    std::vector<std::pair<std::string, std::string>> got;
    for (const Landmark& mark : LandmarksOf(format)) {
        // Values of more than 200 characters are left to the exact-value tests.
        const std::string value = mark.finite ? FormatDecimal(mark.value) : "";
        got.emplace_back(mark.name, PatternHexText(format, mark.bits) +
                                        (mark.finite && value.size() <= 200 ? " " + value : ""));
    }
    EXPECT_EQ(got, GetParam().marks);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LandmarkTest,
    ::testing::Values(
        LandmarkCase{"binary16",
                     {{"largest finite", "0x7bff 65504"},
                      {"smallest normal", "0x0400 0.00006103515625"},
                      {"smallest subnormal", "0x0001 0.000000059604644775390625"},
                      {"one", "0x3c00 1"},
                      {"next above one", "0x3c01 1.0009765625"},
                      {"infinity", "0x7c00"},
                      {"NaN", "0x7e00"}}},
        LandmarkCase{"float8_e4m3fn",
                     {{"largest finite", "0x7e 448"},
                      {"smallest normal", "0x08 0.015625"},
                      {"smallest subnormal", "0x01 0.001953125"},
                      {"one", "0x38 1"},
                      {"next above one", "0x39 1.125"},
                      {"NaN", "0x7f"}}},
        LandmarkCase{"float8_e4m3fnuz",
                     {{"largest finite", "0x7f 240"},
                      {"smallest normal", "0x08 0.0078125"},
                      {"smallest subnormal", "0x01 0.0009765625"},
                      {"one", "0x40 1"},
                      {"next above one", "0x41 1.125"},
                      {"NaN", "0x80"}}},
        LandmarkCase{"float8_e8m0fnu",
                     {{"largest finite", "0xfe 170141183460469231731687303715884105728"},
                      {"smallest normal",
                       "0x00 0.0000000000000000000000000000000000000058774717541114375398436826861"
                       "112283890933277838604376075437585313920862972736358642578125"},
                      {"one", "0x7f 1"},
                      {"next above one", "0x80 2"},
                      {"NaN", "0xff"}}},
        LandmarkCase{"float4_e2m1fn",
                     {{"largest finite", "0x7 6"},
                      {"smallest normal", "0x2 1"},
                      {"smallest subnormal", "0x1 0.5"},
                      {"one", "0x2 1"},
                      {"next above one", "0x3 1.5"}}},
        LandmarkCase{"x87-extended",
                     {{"largest finite", "0x7ffeffffffffffffffff"},
                      {"smallest normal", "0x00018000000000000000"},
                      {"smallest subnormal", "0x00000000000000000001"},
                      {"one", "0x3fff8000000000000000 1"},
                      {"next above one",
                       "0x3fff8000000000000001 1.0000000000000000001084202172485504434007452800"
                       "86994171142578125"},
                      {"infinity", "0x7fff8000000000000000"},
                      {"NaN", "0x7fffc000000000000000"}}}),
    [](const ::testing::TestParamInfo<LandmarkCase>& info) {
        std::string name = info.param.format;
        for (char& c : name) {
            if (c == '-') c = '_';
        }
        return name;
    });

// The cases people check first, each a value text rounded once.
struct CornerCase {
    const char* format;
    const char16_t* text;
    RoundingMode mode;
    OverflowPolicy policy;
    const char* pattern;  // hexadecimal digits
    bool inexact;
    bool overflowed;
};

class CornerCaseTest : public ::testing::TestWithParam<CornerCase> {};
void PrintTo(const CornerCase& c, std::ostream* os) {
    *os << c.format << " "
        << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)) << " "
        << RoundingModeName(c.mode) << " " << OverflowPolicyName(c.policy);
}

TEST_P(CornerCaseTest, RoundsToTheNamedPattern) {
    const CornerCase& c = GetParam();
    const FloatFormat format = Named(c.format);
    const RoundResult r = RoundText(c.text, format, c.mode, c.policy);
    ASSERT_TRUE(r.hasPattern);
    EXPECT_EQ(PatternHexText(format, r.bits), std::string("0x") + c.pattern);
    EXPECT_EQ(r.inexact, c.inexact);
    EXPECT_EQ(r.overflowed, c.overflowed);
}

constexpr RoundingMode kEven = RoundingMode::NearestEven;
constexpr OverflowPolicy kIeee = OverflowPolicy::Ieee;
constexpr OverflowPolicy kSaturate = OverflowPolicy::Saturate;

INSTANTIATE_TEST_SUITE_P(
    Named, CornerCaseTest,
    ::testing::Values(
        // float8_e4m3fn: 448 is the largest; 464 ties to it (even), 465 goes
        // past to 480, which overflows to NaN.
        CornerCase{"float8_e4m3fn", u"448", kEven, kIeee, "7e", false, false},
        CornerCase{"float8_e4m3fn", u"464", kEven, kIeee, "7e", true, false},
        CornerCase{"float8_e4m3fn", u"465", kEven, kIeee, "7f", true, true},
        CornerCase{"float8_e4m3fn", u"465", kEven, kSaturate, "7e", true, true},
        CornerCase{"float8_e4m3fn", u"-465", kEven, kIeee, "ff", true, true},
        CornerCase{"float8_e4m3fn", u"-0", kEven, kIeee, "80", false, false},
        // The fnuz formats have one zero.
        CornerCase{"float8_e4m3fnuz", u"-0", kEven, kIeee, "00", false, false},
        CornerCase{"float8_e5m2fnuz", u"-0", kEven, kIeee, "00", false, false},
        CornerCase{"float8_e4m3b11fnuz", u"-0", kEven, kIeee, "00", false, false},
        CornerCase{"float8_e4m3fnuz", u"-1e-30", kEven, kIeee, "00", true, false},
        CornerCase{"float8_e4m3fnuz", u"-1e-30", RoundingMode::Down, kIeee, "81", true, false},
        CornerCase{"float8_e4m3fnuz", u"1e9", kEven, kIeee, "80", true, true},
        // float8_e8m0fnu: the powers of two 2^-127 to 2^127, no zero and no sign.
        CornerCase{"float8_e8m0fnu", u"0", kEven, kIeee, "ff", true, false},
        CornerCase{"float8_e8m0fnu", u"-1", kEven, kIeee, "ff", true, false},
        CornerCase{"float8_e8m0fnu", u"1", kEven, kIeee, "7f", false, false},
        CornerCase{"float8_e8m0fnu", u"0x1p-127", kEven, kIeee, "00", false, false},
        CornerCase{"float8_e8m0fnu", u"0x1p-200", kEven, kIeee, "00", true, false},
        CornerCase{"float8_e8m0fnu", u"0x1p-200", RoundingMode::Up, kIeee, "00", true, false},
        CornerCase{"float8_e8m0fnu", u"0x1p-200", RoundingMode::TowardZero, kIeee, "ff", true,
                   false},
        CornerCase{"float8_e8m0fnu", u"0x1p127", kEven, kIeee, "fe", false, false},
        CornerCase{"float8_e8m0fnu", u"0x1.8p127", kEven, kIeee, "fe", true, false},
        CornerCase{"float8_e8m0fnu", u"0x1.8p126", kEven, kIeee, "fe", true, false},
        CornerCase{"float8_e8m0fnu", u"0x1.9p127", kEven, kIeee, "ff", true, true},
        CornerCase{"float8_e8m0fnu", u"0x1.9p127", kEven, kSaturate, "fe", true, true},
        // float4_e2m1fn: no infinity and no NaN; 5 ties to 4, 7 to 8, which
        // overflows to the largest.
        CornerCase{"float4_e2m1fn", u"0.5", kEven, kIeee, "1", false, false},
        CornerCase{"float4_e2m1fn", u"3", kEven, kIeee, "5", false, false},
        CornerCase{"float4_e2m1fn", u"5", kEven, kIeee, "6", true, false},
        CornerCase{"float4_e2m1fn", u"7", kEven, kIeee, "7", true, true},
        CornerCase{"float4_e2m1fn", u"-6", kEven, kIeee, "f", false, false},
        CornerCase{"float4_e2m1fn", u"0.25", kEven, kIeee, "0", true, false},
        CornerCase{"float6_e2m3fn", u"8", kEven, kIeee, "1f", true, true},
        CornerCase{"float6_e3m2fn", u"28", kEven, kIeee, "1f", false, false},
        // binary16: 65520 ties to 65536, which overflows.
        CornerCase{"binary16", u"65519", kEven, kIeee, "7bff", true, false},
        CornerCase{"binary16", u"65520", kEven, kIeee, "7c00", true, true},
        CornerCase{"binary16", u"65520", RoundingMode::TowardZero, kIeee, "7bff", true, false},
        CornerCase{"binary16", u"65536", RoundingMode::TowardZero, kIeee, "7bff", true, true},
        CornerCase{"binary16", u"-1e5", RoundingMode::Up, kIeee, "fbff", true, true},
        CornerCase{"binary16", u"-1e5", RoundingMode::Down, kIeee, "fc00", true, true},
        CornerCase{"binary16", u"1e5", RoundingMode::Down, kIeee, "7bff", true, true},
        CornerCase{"binary16", u"1e99999999999999999999", kEven, kIeee, "7c00", true, true},
        CornerCase{"binary16", u"1e-99999999999999999999", RoundingMode::Up, kIeee, "0001", true,
                   false},
        CornerCase{"binary16", u"0x1p-2000000", RoundingMode::Up, kIeee, "0001", true, false},
        CornerCase{"binary16", u"-0x1p-2000000", kEven, kIeee, "8000", true, false},
        CornerCase{"bfloat16", u"1.00390625", kEven, kIeee, "3f80", true, false},
        CornerCase{"bfloat16", u"1.01171875", kEven, kIeee, "3f82", true, false},
        CornerCase{"tf32", u"1", kEven, kIeee, "1fc00", false, false},
        // binary128 and x87-extended: the largest and the smallest numbers.
        CornerCase{"binary128", u"1.2e4932", kEven, kIeee, "7fff0000000000000000000000000000", true,
                   true},
        CornerCase{"binary128", u"1e4932", kEven, kIeee, "7ffeae596552b8fded99d037e3d04b75", true,
                   false},
        CornerCase{"binary128", u"0x1p-16494", kEven, kIeee, "00000000000000000000000000000001",
                   false, false},
        CornerCase{"binary128", u"0x1p-16495", kEven, kIeee, "00000000000000000000000000000000",
                   true, false},
        CornerCase{"binary128", u"0x1.0000000000000000000000000001p-16495", kEven, kIeee,
                   "00000000000000000000000000000001", true, false},
        CornerCase{"x87-extended", u"1", kEven, kIeee, "3fff8000000000000000", false, false},
        CornerCase{"x87-extended", u"0x1p-16445", kEven, kIeee, "00000000000000000001", false,
                   false},
        CornerCase{"x87-extended", u"0x0.ffffffffffffffff8p-16382", kEven, kIeee,
                   "00018000000000000000", true, false},
        CornerCase{"x87-extended", u"1.2e4932", kEven, kIeee, "7fff8000000000000000", true, true},
        CornerCase{"x87-extended", u"-1.2e4932", kEven, kSaturate, "fffeffffffffffffffff", true,
                   true}),
    [](const ::testing::TestParamInfo<CornerCase>& info) {
        std::string name = std::string(info.param.format) + "_";
        for (const char16_t* p = info.param.text; *p != 0; ++p) {
            const char16_t c = *p;
            name += (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') ? static_cast<char>(c)
                    : c == u'-'                                          ? 'm'
                    : c == u'.'                                          ? 'd'
                                                                         : '_';
        }
        name += std::string("_") + RoundingModeName(info.param.mode) +
                (info.param.policy == OverflowPolicy::Saturate ? "_saturate" : "");
        for (char& c : name) {
            if (c == '-') c = '_';
        }
        return name;
    });

// The x87 classes by the integer bit and the two bits below it.
struct X87Case {
    const char* bits;  // 20 hexadecimal digits
    FormatClass numberClass;
    bool hasNeighbours;
};

TEST(X87Extended, ClassesFollowTheIntegerBit) {
    const FloatFormat x87 = Named("x87-extended");
    const X87Case cases[] = {
        {"00000000000000000000", FormatClass::Zero, true},
        {"00000000000000000001", FormatClass::Subnormal, true},
        {"00008000000000000000", FormatClass::PseudoDenormal, false},
        {"3fff8000000000000000", FormatClass::Normal, true},
        {"3fff4000000000000000", FormatClass::Unnormal, false},
        {"3fff0000000000000000", FormatClass::Unnormal, false},
        {"7fff8000000000000000", FormatClass::Infinity, true},
        {"7fff8000000000000001", FormatClass::SignallingNaN, false},
        {"7fffc000000000000000", FormatClass::QuietNaN, false},
        {"ffffc000000000000000", FormatClass::IndefiniteNaN, false},
        {"ffffc000000000000001", FormatClass::QuietNaN, false},
        {"7fff0000000000000000", FormatClass::PseudoInfinity, false},
        {"7fff0000000000000001", FormatClass::PseudoNaN, false},
        {"7fff4000000000000000", FormatClass::PseudoNaN, false},
    };
    for (const X87Case& c : cases) {
        const Bits128 bits = Hex(c.bits);
        EXPECT_STREQ(FormatClassName(Decode(x87, bits).numberClass), FormatClassName(c.numberClass))
            << c.bits;
        EXPECT_EQ(NextUp(x87, bits).has_value() || NextDown(x87, bits).has_value(), c.hasNeighbours)
            << c.bits;
    }
}

// Unnormals and pseudo-denormals have values but are never a rounding's
// result: no interval and no shortest text; the pseudo-denormal's value is
// the smallest normal's.
TEST(X87Extended, NonCanonicalPatternsHaveValuesOnly) {
    const FloatFormat x87 = Named("x87-extended");
    const DecodedPattern unnormal = Decode(x87, Hex("40004000000000000000"));
    EXPECT_TRUE(unnormal.finite);
    EXPECT_FALSE(unnormal.canonical);
    EXPECT_EQ(FormatDecimal(unnormal.exact), "1");
    EXPECT_EQ(FormatDecimal(unnormal.significandValue), "0.5");
    EXPECT_FALSE(ShortestOf(x87, unnormal.bits).has_value());
    EXPECT_FALSE(IntervalOf(x87, unnormal.bits).has_value());
    const DecodedPattern pseudo = Decode(x87, Hex("00008000000000000000"));
    EXPECT_EQ(FormatDecimal(pseudo.exact), FormatDecimal(Decode(x87, SmallestNormal(x87)).exact));
    EXPECT_EQ(pseudo.unbiasedExponent, -16382);
    // The value of a pseudo-infinity as an input is a NaN.
    EXPECT_EQ(ExactOfPattern(x87, Hex("7fff0000000000000000")).kind, ExactNumber::Kind::NaN);
}

TEST(X87Extended, NeighboursStepOverTheIntegerBit) {
    const FloatFormat x87 = Named("x87-extended");
    EXPECT_EQ(NextUp(x87, Hex("00007fffffffffffffff")), Hex("00018000000000000000"));
    EXPECT_EQ(NextDown(x87, Hex("00018000000000000000")), Hex("00007fffffffffffffff"));
    EXPECT_EQ(NextUp(x87, Hex("3ffeffffffffffffffff")), Hex("3fff8000000000000000"));
    EXPECT_EQ(NextUp(x87, LargestFinite(x87)), InfinityPattern(x87));
    EXPECT_EQ(NextUp(x87, Hex("80000000000000000001")), Hex("80000000000000000000"));
}

// The smallest subnormals, exactly: every digit, quickly.
TEST(WideFormats, SmallestSubnormalsHaveEveryDigitAndTheShortestText) {
    struct Case {
        const char* format;
        int exponent;
        std::size_t digits;
        const char* leading;
        const char* shortest;
    };
    for (const Case& c : {Case{"binary128", -16494, 11529, "64751751194380251109", "6e-4966"},
                          Case{"x87-extended", -16445, 11495, "36451995318824746025", "4e-4951"}}) {
        const FloatFormat format = Named(c.format);
        const auto start = std::chrono::steady_clock::now();
        const DecodedPattern d = Decode(format, Bits128{0, 1});
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(d.exact.scale, c.exponent) << c.format;
        EXPECT_EQ(d.exact.digits.size(), c.digits) << c.format;
        EXPECT_EQ(d.exact.digits.substr(0, 20), c.leading) << c.format;
        EXPECT_EQ(BigUnsigned::FromDecimal(d.exact.digits), BigUnsigned::Power(5, -c.exponent));
        EXPECT_EQ(ShortestOf(format, Bits128{0, 1}), c.shortest) << c.format;
        std::printf("[ timing   ] %s smallest subnormal decoded in %lld us\n", c.format,
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count()));
    }
}

// The shortest texts of the wide formats read back, and a digit fewer, cut
// or raised, reads as another pattern.
TEST(WideFormats, ShortestTextsReadBackAndCannotLoseADigit) {
    for (const char* name : {"binary128", "x87-extended", "tf32"}) {
        const FloatFormat format = Named(name);
        std::vector<Bits128> patterns = {LargestFinite(format), SmallestNormal(format),
                                         Bits128{0, 3}};
        for (const Landmark& mark : LandmarksOf(format)) {
            if (mark.finite) patterns.push_back(mark.bits);
        }
        Bits128 bits = SmallestNormal(format);
        for (int i = 0; i < 16; ++i) {  // some patterns across the range
            bits = (bits << 1) | Bits128{0, static_cast<std::uint64_t>(i * 7919 + 1)};
            bits = bits & LowMask(PatternWidth(format) - 2);
            if (Decode(format, bits).canonical) patterns.push_back(bits);
        }
        for (const Bits128& p : patterns) {
            const std::string text = ShortestOf(format, p).value_or("");
            const FormatValueReading reading =
                ReadFormatValue(std::u16string(text.begin(), text.end()));
            ASSERT_EQ(Round(reading.number, format).bits, p) << name << " " << text;
            // One digit fewer: the digits cut after one less, and that plus one unit.
            const Decimal& d = reading.typed.value;
            if (d.digits.size() < 2) continue;
            Decimal cut = d;
            cut.digits.pop_back();
            ++cut.scale;
            BigUnsigned raised = BigUnsigned::FromDecimal(cut.digits) + BigUnsigned(1);
            Decimal up = cut;
            up.digits = raised.ToDecimal();
            EXPECT_NE(Round(ExactOfDecimal(cut), format).bits, p) << name << " " << text;
            EXPECT_NE(Round(ExactOfDecimal(up), format).bits, p) << name << " " << text;
        }
    }
}

// A chain of roundings: each via format stores its pattern, which the next
// rounds again.
TEST(ViaChain, RoundsThroughEachFormatInTurn) {
    std::vector<FloatFormat> via;
    std::string message;
    ASSERT_TRUE(ParseFormatList("binary32", via, message));

    // 1 + 2^-8 + 2^-30: above the midpoint of bfloat16's 1 and 1 + 2^-7, but
    // binary32 keeps only 1 + 2^-8, the midpoint, which ties to 1.
    const ExactNumber x = ReadFormatValue(u"0x1.01000004p+0").number;
    const FloatFormat bfloat16 = Named("bfloat16");
    ViaResult r = RoundVia(x, via, bfloat16);
    ASSERT_EQ(r.steps.size(), 2u);
    EXPECT_EQ(r.steps[0].bits, (Bits128{0, 0x3f808000}));
    EXPECT_EQ(r.stored.bits, (Bits128{0, 0x3f80}));
    EXPECT_EQ(r.once.bits, (Bits128{0, 0x3f81}));
    EXPECT_TRUE(r.differs);

    // 1000 overflows float8_e4m3fn to its NaN, which binary16 keeps as its
    // quiet NaN, and float4_e2m1fn cannot hold at all.
    ASSERT_TRUE(ParseFormatList("float8_e4m3fn", via, message));
    r = RoundVia(ReadFormatValue(u"-1000").number, via, Named("binary16"));
    EXPECT_EQ(r.steps[0].bits, (Bits128{0, 0xff}));
    EXPECT_EQ(r.stored.bits, (Bits128{0, 0xfe00}));
    EXPECT_EQ(r.once.bits, (Bits128{0, 0xe3d0}));
    r = RoundVia(ReadFormatValue(u"1000").number, via, Named("float4_e2m1fn"));
    EXPECT_FALSE(r.stored.hasPattern);
    EXPECT_EQ(r.once.bits, (Bits128{0, 0x7}));
    EXPECT_TRUE(r.differs);

    // A chain that changes nothing.
    ASSERT_TRUE(ParseFormatList("binary64,binary32", via, message));
    r = RoundVia(ReadFormatValue(u"0.1").number, via, Named("binary16"));
    EXPECT_EQ(r.steps.size(), 3u);
    EXPECT_FALSE(r.differs);

    EXPECT_FALSE(ParseFormatList("binary32,fp8", via, message));
    EXPECT_EQ(message, "unknown format 'fp8'");
    EXPECT_FALSE(ParseFormatList("binary32,", via, message));
    EXPECT_EQ(message, "unknown format ''");
}

TEST(RoundingNames, ModesAndPoliciesAreFoundByName) {
    for (const RoundingMode mode : {RoundingMode::NearestEven, RoundingMode::NearestAway,
                                    RoundingMode::TowardZero, RoundingMode::Up, RoundingMode::Down})
        EXPECT_EQ(FindRoundingMode(RoundingModeName(mode)), mode);
    EXPECT_EQ(std::string(RoundingModeName(RoundingMode::TowardZero)), "toward-zero");
    EXPECT_FALSE(FindRoundingMode("nearest").has_value());
    EXPECT_EQ(FindOverflowPolicy("saturate"), OverflowPolicy::Saturate);
    EXPECT_EQ(FindOverflowPolicy("ieee"), OverflowPolicy::Ieee);
    EXPECT_FALSE(FindOverflowPolicy("clamp").has_value());
}

}  // namespace
}  // namespace zelquin::explain
