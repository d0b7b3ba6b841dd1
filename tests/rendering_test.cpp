// Renderings: hexadecimal pattern texts, the seventeen-digit generation and
// the fixed text with six decimals.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "conversion.h"
#include "decimal_integers.h"
#include "digit_generation.h"
#include "exact_binary64.h"
#include "test_names.h"

namespace zelquin {
namespace {

TEST(HexText, ThirtyTwoBitPatterns) {
    EXPECT_EQ(UInt32ToHexText(0x00000000u), u"0");
    EXPECT_EQ(UInt32ToHexText(0x3F800000u), u"0x3f800000");
    EXPECT_EQ(UInt32ToHexText(0x0000ABCDu), u"0xabcd");
    EXPECT_EQ(UInt32ToHexText(0x80000000u), u"0x80000000");
    EXPECT_EQ(UInt32ToHexText(0xFFFFFFFFu), u"0xffffffff");
    EXPECT_EQ(UInt32ToHexText(0x1u), u"0x1");
}

TEST(HexText, SixtyFourBitPatterns) {
    EXPECT_EQ(UInt64ToHexText(0x0000000000000000u), u"0");
    EXPECT_EQ(UInt64ToHexText(0x000000000000000Fu), u"0xf");
    EXPECT_EQ(UInt64ToHexText(0x0000000100000000u), u"0x100000000");
    EXPECT_EQ(UInt64ToHexText(0x3FF0000000000000u), u"0x3ff0000000000000");
    EXPECT_EQ(UInt64ToHexText(0xFFFFFFFFFFFFFFFFu), u"0xffffffffffffffff");
    EXPECT_EQ(UInt64ToHexText(0x8000000000000000u), u"0x8000000000000000");
}

// Every length, from one digit to all sixteen: the digits written with fixed
// copies give the plain digit-by-digit text and touch no unit past its end.
TEST(HexText, EveryLengthIsTheDigitsWithoutLeadingZerosAndNothingMore) {
    for (int length = 1; length <= 16; ++length) {
        for (std::uint64_t top = 1; top < 16; top += 7) {
            const std::uint64_t below = (std::uint64_t{1} << (4 * (length - 1))) - 1;
            const std::uint64_t pattern =
                (top << (4 * (length - 1))) | (0x0123456789ABCDEFu & below);
            std::u16string plain = u"0x";
            for (int i = length - 1; i >= 0; --i)
                plain += u"0123456789abcdef"[(pattern >> (4 * i)) & 0xF];
            char16_t buffer[kLongestPatternText + 2];
            std::fill(std::begin(buffer), std::end(buffer), u'#');
            const char16_t* end = UInt64ToHexText(pattern, buffer);
            EXPECT_EQ(std::u16string_view(buffer, static_cast<std::size_t>(end - buffer)), plain)
                << length;
            EXPECT_TRUE(std::all_of(end, std::cend(buffer), [](char16_t c) { return c == u'#'; }))
                << length;
            if (length <= 8) {
                std::fill(std::begin(buffer), std::end(buffer), u'#');
                end = UInt32ToHexText(static_cast<std::uint32_t>(pattern), buffer);
                EXPECT_EQ(std::u16string_view(buffer, static_cast<std::size_t>(end - buffer)),
                          plain)
                    << length;
                EXPECT_TRUE(std::all_of(end, std::cend(buffer), [](char16_t c) {
                    return c == u'#';
                })) << length;
            }
        }
    }
}

// The digit count without a loop, at every step it can take: each power of
// ten and the number below it, each power of two, 0 and the largest number.
TEST(DecimalIntegers, DecimalLengthCountsTheDigitsAtEveryPowerOfTenAndTwo) {
    std::vector<std::uint64_t> numbers = {0, ~std::uint64_t{0}};
    for (const std::uint64_t power : kPowersOfTen)
        numbers.insert(numbers.end(), {power - 1, power});
    for (int bit = 0; bit < 64; ++bit) {
        const std::uint64_t power = std::uint64_t{1} << bit;
        numbers.insert(numbers.end(), {power - 1, power});
    }
    for (const std::uint64_t number : numbers) {
        EXPECT_EQ(DecimalLength(number), static_cast<int>(std::to_string(number).size())) << number;
    }
}

struct FixedCase {
    std::uint64_t binary64;
    std::u16string text;
};

class FixedText : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedText, RendersSixDecimals) {
    EXPECT_EQ(DoubleToFixedText(GetParam().binary64), GetParam().text);
}

// Binary32 values widened exactly to binary64.
const FixedCase kSingleExamples[] = {
    {0x3FF0000000000000u, u"1.000000"},                     // 0x3F800000
    {0x8000000000000000u, u"0.000000"},                     // 0x80000000
    {0x3FB99999A0000000u, u"0.100000"},                     // 0x3DCCCCCD
    {0x3FD5555560000000u, u"0.333333"},                     // 0x3EAAAAAB
    {0x400921FB60000000u, u"3.141593"},                     // 0x40490FDB
    {0xC00921FB60000000u, u"-3.141593"},                    // 0xC0490FDB
    {0x3F80000000000000u, u"0.007813"},                     // 0x3C000000
    {0x416FFFFFE0000000u, u"16777215.000000"},              // 0x4B7FFFFF
    {0x43F0000000000000u, u"18446744073709552000.000000"},  // 0x5F800000
    {0x47EFFFFFE0000000u, u"340282346638528860000000000000000000000.000000"},
    {0xC7EFFFFFE0000000u, u"-340282346638528860000000000000000000000.000000"},
    {0x36A0000000000000u, u"0.000000"},   // 0x00000001
    {0xB6A0000000000000u, u"-0.000000"},  // 0x80000001
    {0x7FF0000000000000u, u"1.#INF00"},
    {0xFFF0000000000000u, u"-1.#INF00"},
    {0x7FF8000000000000u, u"1.#QNAN0"},
    {0xFFF8000000000000u, u"-1.#IND00"},
    {0xFFF8000020000000u, u"-1.#QNAN0"},  // 0xFFC00001
};
INSTANTIATE_TEST_SUITE_P(WidenedSingles, FixedText, ::testing::ValuesIn(kSingleExamples),
                         test_names::ByBinary64(&FixedCase::binary64));

const FixedCase kDoubleExamples[] = {
    {0x3FF0000000000000u, u"1.000000"},
    {0x0000000000000000u, u"0.000000"},
    {0x8000000000000000u, u"0.000000"},
    {0x3FB999999999999Au, u"0.100000"},
    {0x3FBF9AD85DFA871Au, u"0.123457"},
    {0x3EB92A737110E454u, u"0.000002"},
    {0xBEA421F5F40D8376u, u"-0.000001"},
    {0xBE7AD7F29ABCAF48u, u"-0.000000"},
    {0x4023FFFFFCA501ADu, u"10.000000"},
    {0x423CBE991A14587Eu, u"123456789012.345670"},
    {0x430C6BF526340002u, u"1000000000000000.200000"},
    {0x43118B54F22AEB03u, u"1234567890123456.700000"},
    {0x4340000000000000u, u"9007199254740992.000000"},
    {0x43F0000000000000u, u"18446744073709552000.000000"},
    {0x4480F0CF064DD592u, u"10000000000000000000000.000000"},
    {0x44B52D02C7E14AF6u, u"99999999999999992000000.000000"},
    {0x0000000000000001u, u"0.000000"},
    {0x7FEFFFFFFFFFFFFFu, u"17976931348623157" + std::u16string(292, u'0') + u".000000"},
    {0xFFEFFFFFFFFFFFFFu, u"-17976931348623157" + std::u16string(292, u'0') + u".000000"},
    {0x7FF0000000000000u, u"1.#INF00"},
    {0xFFF0000000000000u, u"-1.#INF00"},
    {0xFFF8000000000000u, u"-1.#IND00"},
    {0x7FF8000000000000u, u"1.#QNAN0"},
    {0xFFF8000000000001u, u"-1.#QNAN0"},
    {0x7FF0000000000001u, u"1.#SNAN0"},
    {0xFFF0000000000001u, u"-1.#SNAN0"},
    // Exact powers of ten that pass through the carry of the digit rounding.
    {0x408F400000000000u, u"1000.000000"},
    {0x4024000000000000u, u"10.000000"},
    {0x4059000000000000u, u"100.000000"},
    // A seventh decimal of 5 rounds up, ties included.
    {0x3F80000000000000u, u"0.007813"},
    {0x3FE0000000000000u, u"0.500000"},
    {0x3EB0C6F7A0B5ED8Du, u"0.000001"},  // nearest to 0.000001
    {0x3EA0C6F7A0B5ED8Du, u"0.000000"},  // half of the nearest to 0.000001: just below the tie
    {0x3E9AD7F29ABCAF48u, u"0.000000"},  // nearest to 0.0000004
    {0x3FEFFFFFFFFFFFFFu, u"1.000000"},  // largest below 1
    {0x4197D78400000000u, u"100000000.000000"},
    // Where the fixed text leaves the digits out, and its edges: 2^-21 and
    // just below, 2^-11 and just below, 2^33 and just below, the largest
    // integer below 2^56, 2^56, and a number above 2^33 with a fraction.
    {0x3EA0000000000000u, u"0.000000"},
    {0xBE9FFFFFFFFFFFFFu, u"-0.000000"},
    {0x3F40000000000000u, u"0.000488"},
    {0x3F3FFFFFFFFFFFFFu, u"0.000488"},
    {0x4200000000000000u, u"8589934592.000000"},
    {0x41FFFFFFFFFFFFFFu, u"8589934591.999999"},
    {0xC36FFFFFFFFFFFFFu, u"-72057594037927928.000000"},
    {0x4370000000000000u, u"72057594037927936.000000"},
    {0x4200000000000001u, u"8589934592.000002"},
};
INSTANTIATE_TEST_SUITE_P(Doubles, FixedText, ::testing::ValuesIn(kDoubleExamples),
                         test_names::ByBinary64(&FixedCase::binary64));

TEST(FixedText, LongestTextsHaveTheirLengths) {
    EXPECT_EQ(DoubleToFixedText(0xFFEFFFFFFFFFFFFFu).size(), 317u);
    EXPECT_EQ(DoubleToFixedText(0x7FEFFFFFFFFFFFFFu).size(), 316u);
    EXPECT_EQ(DoubleToFixedText(0xC7EFFFFFE0000000u).size(), 47u);
}

std::string DigitText(const DecimalDigits& d) { return std::string(d.digits, d.digits + d.length); }

struct DigitsCase {
    std::uint64_t binary64;
    bool negative;
    int exponent;
    const char* digits;
};

class Digits : public ::testing::TestWithParam<DigitsCase> {};

TEST_P(Digits, GivesSeventeenDigitsAndExponent) {
    const DigitsCase& c = GetParam();
    const DecimalDigits d = DoubleToDigits(c.binary64);
    EXPECT_EQ(d.negative, c.negative);
    EXPECT_EQ(d.exponent, c.exponent);
    EXPECT_EQ(DigitText(d), c.digits);
}

const DigitsCase kDigitsCases[] = {
    {0x0000000000000000u, false, 0, "0"},
    {0x8000000000000000u, false, 0, "0"},
    {0x3FF0000000000000u, false, 1, "1"},
    {0x408F400000000000u, false, 4, "1"},
    {0xBFF0000000000000u, true, 1, "1"},
    {0x43118B54F22AEB03u, false, 16, "12345678901234567"},
    {0x430C6BF526340002u, false, 16, "10000000000000002"},
    {0x43F0000000000000u, false, 20, "18446744073709552"},
    {0x3FB999999999999Au, false, 0, "10000000000000001"},  // 0.1000000000000000055...
    // The eighteenth digit alone rounds: 8 up, 4 down, 9 up with a carry.
    {0x437B69B4BA630F33u, false, 18, "12345678901234565"},  // 123456789012345648
    {0x437B69B4BA630F34u, false, 18, "12345678901234566"},  // 123456789012345664
    {0x437B69B4BA630F36u, false, 18, "1234567890123457"},   // 123456789012345696
    {0x0000000000000001u, false, -323, "49406564584124654"},
    {0x7FEFFFFFFFFFFFFFu, false, 309, "17976931348623157"},
    {0x7FF0000000000000u, false, 1, "1#INF"},
    {0xFFF0000000000000u, true, 1, "1#INF"},
    {0xFFF8000000000000u, true, 1, "1#IND"},
    {0x7FF8000000000000u, false, 1, "1#QNAN"},
    {0x7FF8000000000001u, false, 1, "1#QNAN"},
    {0xFFF4000000000000u, true, 1, "1#SNAN"},
};
INSTANTIATE_TEST_SUITE_P(Cases, Digits, ::testing::ValuesIn(kDigitsCases),
                         test_names::ByBinary64(&DigitsCase::binary64));

// The sign of 10^j - a * 2^twos, exactly.
int CompareWithPowerOfTen(int j, const exact::BigUnsigned& a, int twos) {
    using exact::CompareScaled, exact::PowerOfTen;
    return j >= 0 ? CompareScaled(PowerOfTen(j), 0, a, twos)
                  : CompareScaled(exact::BigUnsigned(1), 0, a * PowerOfTen(-j), twos);
}

// The decimal exponent estimate at every binary exponent e of its range and
// every top eight bits t: all x from t * 2^(e-7) up to (t + 1) * 2^(e-7) have
// the decimal exponent K it gives, or K + 1. With 10^j the least power of ten
// above 2^e, those x have the decimal exponent j up to 10^j and j + 1 from
// there: the lowest has j + 1 when t * 2^(e-7) >= 10^j, and the highest when
// (t + 1) * 2^(e-7) > 10^j.
TEST(DecimalExponentEstimate, IsExactOrOneShortAtEveryBinaryExponentAndTopEightBits) {
    const exact::BigUnsigned one(1);
    for (int e = kEstimatedExponentMin; e <= kEstimatedExponentMax; ++e) {
        int j = e * 3 / 10;  // at most the least power above 2^e
        while (CompareWithPowerOfTen(j - 1, one, e) > 0) --j;
        while (CompareWithPowerOfTen(j, one, e) <= 0) ++j;
        for (int t = 128; t <= 255; ++t) {
            const int lowest =
                CompareWithPowerOfTen(j, exact::BigUnsigned(t), e - 7) <= 0 ? j + 1 : j;
            const int highest =
                CompareWithPowerOfTen(j, exact::BigUnsigned(t + 1), e - 7) < 0 ? j + 1 : j;
            const int estimate = EstimateDecimalExponent(e, t);
            ASSERT_TRUE(estimate <= lowest && estimate >= highest - 1)
                << "2^" << e << ", top eight bits " << t << ": " << estimate << " for " << lowest
                << " to " << highest;
        }
    }
}

}  // namespace
}  // namespace zelquin
