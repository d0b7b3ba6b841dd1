// Reading decimal text back, checked with exact arithmetic: seventeen
// correctly rounded digits read back to the same binary64 or a neighbour, the
// fixed rendering reads back within the distance its six decimals and
// seventeen digits allow, the narrowing to binary32 picks the nearest value,
// and the explanation's correctly rounding reader and shortest writer agree
// with the exact oracle.

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "binary_format.h"
#include "conversion.h"
#include "correct_rounding.h"
#include "decimal_reading.h"
#include "exact_binary64.h"
#include "explanation.h"
#include "hard_inputs.h"
#include "test_text.h"

namespace zelquin {
namespace {

using exact::BigUnsigned;
using exact::Binary64Sampler;
using exact::Digits17;
using exact::ScaledValue;
using test_text::Hex;
using test_text::Printable;

// "d.dddddddddddddddde<exponent>", from the correctly rounded digits.
std::u16string SeventeenDigitText(std::uint64_t bits) {
    Digits17 d = exact::CorrectlyRounded17(bits);
    std::string digits = std::to_string(d.digits);
    std::string text;
    if (d.negative) text += '-';
    text += digits[0];
    text += '.';
    text.append(digits, 1);
    text += 'e';
    text += std::to_string(d.exponent - 1);
    return std::u16string(text.begin(), text.end());
}

TEST(TextToDoubleCrossCheckTest, SeventeenDigitTextReadsBackWithinOneUnitInTheLastPlace) {
    constexpr int kSampleSize = 50000;
    Binary64Sampler sampler(0x5eed7e47u);
    int neighbours = 0;
    int faults = 0;
    for (int i = 0; i < kSampleSize && faults < 20; ++i) {
        std::uint64_t bits = sampler.Next();
        std::u16string text = SeventeenDigitText(bits);
        std::uint64_t read = TextToDouble(text);
        bool sameSign = exact::IsNegative(read) == exact::IsNegative(bits);
        std::uint64_t a = read & ~exact::kSignBit;
        std::uint64_t b = bits & ~exact::kSignBit;
        std::uint64_t apart = a > b ? a - b : b - a;
        if (!sameSign || !exact::IsFinite(read) || apart > 1) {
            ++faults;
            ADD_FAILURE() << Printable(text) << " (from " << Hex(bits) << ") read as " << Hex(read);
            continue;
        }
        if (apart == 1) ++neighbours;
    }
    std::cout << "[ counts   ] TextToDouble gives a neighbour instead of the value for "
              << neighbours << " of " << kSampleSize << " seventeen-digit texts\n";
    ::testing::Test::RecordProperty("neighbours", neighbours);
    ::testing::Test::RecordProperty("sampled", kSampleSize);
}

// Integers from 2^53 to 2^79 have at most 24 digits and are exact in 80 bits,
// so an integer text halfway between two binary64 values is an exact half and
// goes toward zero, and one more or one less goes to the nearer value.
TEST(TextToDoubleCrossCheckTest, IntegerHalfwayTextsRoundTowardZero) {
    constexpr int kSampleSize = 4000;
    std::mt19937_64 random(0x5eed0005u);
    int faults = 0;
    for (int i = 0; i < kSampleSize && faults < 20; ++i) {
        // x = m * 2^k, spacing 2^k, k from 1 to 26.
        int k = 1 + static_cast<int>(random() % 26);
        std::uint64_t m = exact::kImplicitBit | (random() & exact::kFractionMask);
        std::uint64_t sign = random() & exact::kSignBit;
        std::uint64_t lower = sign | exact::ComposeTruncated(m, k);
        std::uint64_t upper = lower + 1;
        BigUnsigned halfway = BigUnsigned(2 * m + 1) << (k - 1);
        struct Probe {
            BigUnsigned integer;
            std::uint64_t expected;
        };
        const Probe probes[] = {
            {halfway, lower}, {halfway - BigUnsigned(1), lower}, {halfway + BigUnsigned(1), upper}};
        for (const Probe& probe : probes) {
            std::string digits = probe.integer.ToDecimal();
            if (sign != 0) digits.insert(digits.begin(), '-');
            std::uint64_t read = TextToDouble(std::u16string(digits.begin(), digits.end()));
            if (read != probe.expected) {
                ++faults;
                ADD_FAILURE() << digits << " read as " << Hex(read) << ", expected "
                              << Hex(probe.expected);
            }
        }
    }
}

// The fixed text as an exact value: "-"? digits "." six digits, nothing else.
std::optional<ScaledValue> ParseFixedText(const std::u16string& text) {
    std::size_t i = 0;
    bool negative = i < text.size() && text[i] == u'-';
    if (negative) ++i;
    BigUnsigned value;
    int integerDigits = 0, decimals = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        char16_t unit = text[i];
        if (unit == u'.' && !point) {
            point = true;
        } else if (unit >= u'0' && unit <= u'9') {
            value = value * 10u + BigUnsigned(static_cast<std::uint64_t>(unit - u'0'));
            (point ? decimals : integerDigits) += 1;
        } else {
            return std::nullopt;
        }
    }
    if (!point || integerDigits == 0 || decimals != 6) return std::nullopt;
    return ScaledValue{negative, value, 0, -6};
}

// Checks x -> DoubleToFixedText -> TextToDouble for a finite binary64 x. The
// text is within half a unit of the sixth decimal of the seventeen digits,
// which are within one unit of their last place of x; reading it back adds at
// most one unit in the last place of the result. Returns the fault, or "".
std::string FixedTextRoundTripFault(std::uint64_t bits) {
    std::u16string text = DoubleToFixedText(bits);
    std::optional<ScaledValue> shown = ParseFixedText(text);
    if (!shown) return "not a fixed text with six decimals: " + Printable(text);
    ScaledValue x = exact::ScaledFromBits(bits);
    std::vector<ScaledValue> bounds{ScaledValue{false, BigUnsigned(5), 0, -7}};
    if (!x.magnitude.IsZero()) {
        bounds.push_back(ScaledValue{false, BigUnsigned(1), 0, exact::DecimalExponent(bits) - 17});
    }
    if (!exact::WithinDistance(*shown, x, bounds)) return "text too far: " + Printable(text);
    std::uint64_t read = TextToDouble(text);
    if (!exact::IsFinite(read)) return "read as non-finite " + Hex(read) + ": " + Printable(text);
    bounds.push_back(ScaledValue{false, BigUnsigned(1), exact::UlpExponent(read), 0});
    if (!exact::WithinDistance(exact::ScaledFromBits(read), x, bounds)) {
        return "read back too far, as " + Hex(read) + ": " + Printable(text);
    }
    return "";
}

TEST(FixedTextRoundTripTest, Binary32ValuesReadBackWithinSixDecimalsAndSeventeenDigits) {
    constexpr int kSampleSize = 10000;
    std::mt19937_64 random(0x5eed0032u);
    int faults = 0;
    for (int i = 0; i < kSampleSize && faults < 20; ++i) {
        std::uint32_t single = static_cast<std::uint32_t>(random());
        if (((single >> 23) & 0xff) == 0xff) continue;
        std::uint64_t bits = SingleToDouble(single);
        std::string fault = FixedTextRoundTripFault(bits);
        if (!fault.empty()) {
            ++faults;
            ADD_FAILURE() << "binary32 " << Hex(single) << " (binary64 " << Hex(bits)
                          << "): " << fault;
        }
    }
}

// Moderate magnitudes, 2^-40 to 2^70, so the text has up to 22 integer digits,
// and values within a few units in the last place of a halfway point between
// two six-decimal texts.
TEST(FixedTextRoundTripTest, Binary64ValuesReadBackWithinSixDecimalsAndSeventeenDigits) {
    constexpr int kSampleSize = 10000;
    std::mt19937_64 random(0x5eed0064u);
    int faults = 0;
    for (int i = 0; i < kSampleSize && faults < 20; ++i) {
        std::uint64_t sign = random() & exact::kSignBit;
        std::uint64_t bits;
        if (i % 2 == 0) {
            std::uint64_t biased = 1023 - 40 + random() % 111;
            bits = (biased << 52) | (random() & exact::kFractionMask);
        } else {
            // (integer + (2j + 1) / 2e6), integer below 2^(1..40), nudged.
            int length = 1 + static_cast<int>(random() % 40);
            BigUnsigned integer(random() >> (64 - length));
            BigUnsigned halfway =
                (integer * 1000000u + BigUnsigned(random() % 1000000)) * 2u + BigUnsigned(1);
            bits = exact::NearestBinary64(halfway, BigUnsigned(2000000));
            bits += random() % 7;
            bits -= 3;
        }
        bits |= sign;
        std::string fault = FixedTextRoundTripFault(bits);
        if (!fault.empty()) {
            ++faults;
            ADD_FAILURE() << Hex(bits) << ": " << fault;
        }
    }
}

// The value of binary32 bits, exponent 255 taken as the next binade (so
// 0x7f800000 stands for 2^128), as an integer count of 2^-1075.
BigUnsigned SingleInUnits(std::uint32_t magnitude) {
    int biased = static_cast<int>(magnitude >> 23);
    std::uint64_t fraction = magnitude & 0x7fffffu;
    if (biased == 0) return BigUnsigned(fraction) << (1075 - 149);
    return BigUnsigned(fraction | 0x800000u) << (biased - 150 + 1075);
}

BigUnsigned DoubleInUnits(std::uint64_t bits) {
    exact::Binary64Parts parts = exact::Decompose(bits);
    return BigUnsigned(parts.significand) << (parts.exponent + 1075);
}

// Checks that `single` is the binary32 nearest to the finite binary64, halves
// to even, infinity from the halfway point above the largest finite value.
std::string NarrowingFault(std::uint64_t bits, std::uint32_t single) {
    if ((single >> 31) != (bits >> 63)) return "sign";
    std::uint32_t magnitude = single & 0x7fffffffu;
    if (magnitude > 0x7f800000u) return "NaN";
    BigUnsigned twice = DoubleInUnits(bits) << 1;
    // Halfway points between the result and its neighbours, doubled.
    BigUnsigned value = SingleInUnits(magnitude);
    if (magnitude == 0x7f800000u) {
        return twice >= value + SingleInUnits(0x7f7fffffu) ? "" : "overflowed";
    }
    BigUnsigned lowerHalfway =
        magnitude == 0 ? BigUnsigned() : value + SingleInUnits(magnitude - 1);
    BigUnsigned upperHalfway = value + SingleInUnits(magnitude + 1);
    bool even = (magnitude & 1) == 0;
    if (twice < lowerHalfway || (twice == lowerHalfway && !even && magnitude != 0))
        return "too large";
    if (twice > upperHalfway || (twice == upperHalfway && !even)) return "too small";
    return "";
}

TEST(DoubleToSingleCrossCheckTest, NarrowingGivesTheNearestBinary32WithHalvesToEven) {
    constexpr int kSampleSize = 20000;
    std::mt19937_64 random(0x5eed0320u);
    int faults = 0;
    for (int i = 0; i < kSampleSize && faults < 20; ++i) {
        std::uint64_t bits;
        switch (i % 4) {
            case 0: {  // binary32 range and beyond: subnormals, underflow, overflow
                std::uint64_t biased = 1023 - 160 + random() % 291;
                bits = (biased << 52) | (random() & exact::kFractionMask);
                break;
            }
            case 1:
            case 2: {  // a binary32 value, or a halfway point, a unit off either way
                std::uint32_t single = static_cast<std::uint32_t>(random()) & 0x7fffffffu;
                if (single >= 0x7f800000u) single = 0x7f7fffffu;
                bits = SingleToDouble(single);
                if (single < 0x00800000u) {
                    // Subnormal: (2f + 1) * 2^-150 is exact in binary64.
                    std::uint64_t odd = 2 * static_cast<std::uint64_t>(single) + 1;
                    int length = BigUnsigned(odd).BitLength();
                    bits = exact::ComposeTruncated(odd << (53 - length), length - 53 - 150);
                } else {
                    bits += std::uint64_t{1} << 28;
                }
                if (i % 4 == 2) {
                    bits += random() % 3;
                    bits -= 1;
                }
                break;
            }
            default:  // any finite pattern
                bits = random() & 0x7fefffffffffffffu;
                break;
        }
        bits |= random() & exact::kSignBit;
        std::uint32_t single = DoubleToSingle(bits);
        std::string fault = NarrowingFault(bits, single);
        if (!fault.empty()) {
            ++faults;
            ADD_FAILURE() << Hex(bits) << " narrowed to " << Hex(single) << ": " << fault;
        }
    }
    EXPECT_EQ(DoubleToSingle(0x7ff0000000000000u), 0x7f800000u);
    EXPECT_EQ(DoubleToSingle(0xfff0000000000000u), 0xff800000u);
}

// The explanation's shortest text and nearest pattern against the exact
// oracle, which finds them by other means: every length tried in turn for the
// shortest, one long division for the nearest.

// The digits (without trailing zeros) and the exponent of their last digit, of
// a decimal text: an optional sign, digits with at most one point, and an
// exponent part; every digit counts.
struct TextDigits {
    std::string digits;  // "" for zero
    int exponent;
};
TextDigits DigitsOfText(const std::string& text, bool& negative) {
    std::size_t i = 0;
    negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++i;
    std::string digits;
    int exponent = 0;
    bool point = false;
    for (; i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.');
         ++i) {
        if (text[i] == '.') {
            point = true;
        } else {
            digits += text[i];
            if (point) --exponent;
        }
    }
    if (i < text.size()) exponent += std::stoi(text.substr(i + 1));
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
        ++exponent;
    }
    const std::size_t first = digits.find_first_not_of('0');
    digits = first == std::string::npos ? "" : digits.substr(first);
    return {digits, exponent};
}

void ExpectShortestAsTheOracle(std::uint64_t bits, const BinaryFormat& format) {
    const std::string text = explain::ShortestText(bits, format);
    bool negative = false;
    const TextDigits got = DigitsOfText(text, negative);
    const exact::ShortestDecimal want = exact::ShortestReadingBack(bits, format);
    EXPECT_TRUE(got.digits == std::to_string(want.digits) && got.exponent == want.exponent &&
                negative == ((bits & format.SignBit()) != 0))
        << format.name << " " << Hex(bits) << ": " << text << ", the oracle " << want.digits << "e"
        << want.exponent;
}

TEST(CorrectRoundingCrossCheck, ShortestTextIsTheNearestOfTheShortestThatReadBack) {
    std::mt19937_64 rng(19);
    for (int kind = 0; kind < hard::kValueKinds; ++kind) {
        for (int i = 0; i < 200; ++i) {
            const std::uint64_t bits = hard::HardValue(rng, kind);
            if ((bits & ~kBinary64.SignBit()) == 0) continue;
            ExpectShortestAsTheOracle(bits, kBinary64);
            const std::uint32_t single = DoubleToSingle(bits);
            if ((single & 0x7FFFFFFFu) != 0 && (single & 0x7F800000u) != 0x7F800000u)
                ExpectShortestAsTheOracle(single, kBinary32);
        }
    }
    // Every binary32 power of two, where the gap below is half the gap above,
    // and its neighbours.
    for (int k = -149; k <= 127; ++k) {
        const std::uint32_t power =
            k < -126 ? 1u << (k + 149) : static_cast<std::uint32_t>(k + 127) << 23;
        for (const std::uint32_t bits : {power - 1, power, power + 1}) {
            if (bits != 0 && bits < 0x7F800000u) ExpectShortestAsTheOracle(bits, kBinary32);
        }
        ExpectShortestAsTheOracle(SingleToDouble(power), kBinary64);
    }
}

// The decimal a view enters into the Float field for a binary64 (the box set)
// reads back to it: it is the shortest text wherever that reads back, and
// otherwise the correctly rounded 17 digits (the oracle's) or 25 digits. Of
// 10^6 hard values about one in 1,500 needs more than the shortest, and 17
// digits served each of them.
TEST(CorrectRoundingCrossCheck, ValueTextForReadsBackAndIsTheShortestWhereThatDoes) {
    std::mt19937_64 rng(21);
    int longer = 0;
    for (int kind = 0; kind < hard::kValueKinds; ++kind) {
        for (int i = 0; i < 3000; ++i) {
            const std::uint64_t bits = hard::HardValue(rng, kind);
            const std::string ascii = explain::ValueTextFor(bits);
            const std::u16string text(ascii.begin(), ascii.end());
            const std::string shortest = explain::ShortestText(bits, kBinary64);
            const std::u16string wideShortest(shortest.begin(), shortest.end());
            const bool shortestReadsBack =
                ReadValueText(wideShortest, FormatOption::TreatAsDouble).bits == bits;
            ASSERT_FALSE(text.empty()) << Hex(bits);
            EXPECT_EQ(ReadValueText(text, FormatOption::TreatAsDouble).bits, bits) << Hex(bits);
            if (shortestReadsBack) {
                EXPECT_EQ(text, wideShortest) << Hex(bits);
                continue;
            }
            ++longer;
            bool negative = false;
            const TextDigits got = DigitsOfText(std::string(text.begin(), text.end()), negative);
            const std::u16string seventeen = SeventeenDigitText(bits);
            const TextDigits want =
                DigitsOfText(std::string(seventeen.begin(), seventeen.end()), negative);
            EXPECT_TRUE((got.digits == want.digits && got.exponent == want.exponent) ||
                        got.digits.size() > 17)
                << Hex(bits) << ": " << Printable(text) << ", 17 digits " << Printable(seventeen);
        }
    }
    EXPECT_GT(longer, 0);  // the hard values include some that the reader rounds its own way
    for (const std::uint64_t special :
         {kBinary64.Infinity(), kBinary64.SignBit() | kBinary64.Infinity(),
          std::uint64_t{0x7FF8000000000000u}}) {
        EXPECT_TRUE(explain::ValueTextFor(special).empty()) << Hex(special);
    }
    EXPECT_EQ(explain::ValueTextFor(kBinary64.SignBit()), "-0");
    EXPECT_EQ(explain::ValueTextFor(1), "5e-324");
    EXPECT_EQ(explain::ValueTextFor(0x3FB999999999999Bu), "0.10000000000000002");
}

// The exact value rounded half to even to a number of significant digits.
TEST(CorrectRoundingCrossCheck, RoundedTextRoundsTheExactValueHalfToEven) {
    const struct {
        std::uint64_t bits;
        int count;
        const char* text;
    } cases[] = {
        {0x4004000000000000u, 1, "2"},   // 2.5: a half goes to even
        {0x400C000000000000u, 1, "4"},   // 3.5
        {0xC004000000000000u, 1, "-2"},  // -2.5
        {0x3FEFFFFFFFFFFFFFu, 3, "1"},   // 0.99999999999999988898: carries
        {0x3FEFFFFFFFFFFFFFu, 17, "0.99999999999999989"},
        {0x3FB999999999999Au, 16, "0.1"},                  // trailing zeros dropped
        {0x3FB999999999999Au, 17, "0.10000000000000001"},  // 0.1000000000000000055...
        {0x3FB999999999999Au, 25, "0.1000000000000000055511151"},
        {0x7FEFFFFFFFFFFFFFu, 17, "1.7976931348623157e+308"},
        {0x0000000000000001u, 25, "4.940656458412465441765688e-324"},
        {0x8000000000000000u, 17, "-0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(explain::RoundedText(c.bits, kBinary64, c.count), c.text)
            << Hex(c.bits) << " to " << c.count << " digits";
    }
}

// The oracle's pattern for a decimal text, in the format.
std::uint64_t OracleNearest(const std::string& text, const BinaryFormat& format) {
    bool negative = false;
    const TextDigits d = DigitsOfText(text, negative);
    const std::uint64_t sign = negative ? format.SignBit() : 0;
    if (d.digits.empty()) return sign;
    const int length = static_cast<int>(d.digits.size());
    if (d.exponent + length > 400) return sign | format.Infinity();
    if (d.exponent + length < -400) return sign;
    BigUnsigned numerator, denominator;
    exact::DecimalFraction(BigUnsigned::FromDecimal(d.digits), d.exponent, numerator, denominator);
    return sign | exact::NearestInFormat(numerator, denominator, format);
}

void ExpectNearestAsTheOracle(const std::string& text) {
    const std::u16string wide(text.begin(), text.end());
    for (const FormatOption option : {FormatOption::Binary32, FormatOption::TreatAsDouble}) {
        const explain::Explanation e =
            explain::Explain(explain::Command::Value, wide, wide.size(), option);
        const std::uint64_t want = OracleNearest(text, *e.format);
        EXPECT_TRUE(e.nearest && e.nearest->bits == want)
            << e.format->name << " " << text << ": " << Hex(e.nearest->bits) << ", the oracle "
            << Hex(want);
    }
}

// The decimal text of m * 2^e, every digit.
std::string ExactText(std::uint64_t m, int e) {
    const BigUnsigned scaled =
        e >= 0 ? BigUnsigned(m) << e : BigUnsigned(m) * BigUnsigned::Power(5, -e);
    return scaled.ToDecimal() + "e" + std::to_string(e >= 0 ? 0 : e);
}

TEST(CorrectRoundingCrossCheck, NearestIsTheTypedNumberRoundedOnce) {
    std::mt19937_64 rng(20);
    for (int kind = 0; kind < hard::kTextKinds; ++kind) {
        for (int i = 0; i < 150; ++i) {
            const std::u16string text = hard::HardText(rng, kind);
            ExpectNearestAsTheOracle(std::string(text.begin(), text.end()));
        }
    }
    // Every binary32 power of two, and the midpoints around it, where the
    // rounding goes to the even neighbour; those are binary64 numbers, so the
    // binary32 rounded through the binary64 meets them as halves too.
    for (int k = -149; k <= 127; ++k) {
        ExpectNearestAsTheOracle(ExactText(1, k));
        ExpectNearestAsTheOracle(ExactText(2 * 0xFFFFFF + 1, k - 25));  // below it
        ExpectNearestAsTheOracle(ExactText(2 * 0x800000 + 1, k - 24));  // above it
    }
    // A decimal of 30 digits whose 26th digit decides, and one beyond the largest
    // binary32 by just under half a unit.
    ExpectNearestAsTheOracle("1.00000000000000011102230250001");
    ExpectNearestAsTheOracle("340282356779733661637539395458142568447");
}

}  // namespace
}  // namespace zelquin
