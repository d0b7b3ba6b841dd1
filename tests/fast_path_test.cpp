// The fast paths against the chains of extended multiplications they stand
// for, on samples of every hard kind of input; their fallback bands, pinned by
// inputs at each band's edge whose distances are worked out exactly here; and
// the scanner and the fixed text, which work on runs of digits and on whole
// integers, against the plain forms of their rules.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "big_unsigned.h"
#include "conversion.h"
#include "decimal_reading.h"
#include "decimal_reading_paths.h"
#include "decimal_scan_reference.h"
#include "digit_generation.h"
#include "digit_generation_paths.h"
#include "exact_binary64.h"
#include "fixed_text.h"
#include "fixed_text_reference.h"
#include "hard_inputs.h"
#include "test_text.h"

namespace zelquin {
namespace {

using test_text::Hex;
using test_text::Printable;
using test_text::SameDigits;

constexpr int kSamplesPerKind = 20000;

TEST(FastPathDifferential, DigitsAndFixedTextsEqualTheChainsOnEveryKindOfValue) {
    std::mt19937_64 rng(15);
    for (int kind = 0; kind < hard::kValueKinds; ++kind) {
        for (int i = 0; i < kSamplesPerKind; ++i) {
            const std::uint64_t bits = hard::HardValue(rng, kind);
            const DecimalDigits chain = DoubleToDigitsReference(bits);
            ASSERT_TRUE(SameDigits(DoubleToDigits(bits), chain))
                << hard::kValueKindNames[kind] << ": " << Hex(bits);
            ASSERT_EQ(DoubleToFixedText(bits), reference::FixedText(chain))
                << hard::kValueKindNames[kind] << ": " << Hex(bits);
        }
    }
}

// Where the plain path takes a text, its binary64 is the one the scan's
// record gives; returns whether it took the text.
bool ExpectPlainPathAsTheScan(std::u16string_view text) {
    std::uint64_t plain = 0;
    if (!PlainDecimalToDouble(text, plain)) return false;
    EXPECT_EQ(plain, ReadValueText(text, FormatOption::Binary64).binary64) << Printable(text);
    return true;
}

TEST(FastPathDifferential, ReadingEqualsTheChainOnEveryKindOfText) {
    std::mt19937_64 rng(15);
    for (int kind = 0; kind < hard::kTextKinds; ++kind) {
        int plain = 0;
        for (int i = 0; i < kSamplesPerKind; ++i) {
            const std::u16string text = hard::HardText(rng, kind);
            ASSERT_EQ(TextToDouble(text), TextToDoubleReference(text))
                << hard::kTextKindNames[kind] << ": " << Printable(text);
            plain += ExpectPlainPathAsTheScan(text) ? 1 : 0;
        }
        // The kinds of at most 19 digits are mostly of the common form.
        if (kind == 0 || kind == 4 || kind == hard::kShortExtremeKind) {
            EXPECT_GT(plain, kSamplesPerKind / 2) << hard::kTextKindNames[kind];
        }
    }
}

// ---------------------------------------------------------------------------
// The bands. Distances are exact rationals; a claim that a distance lies in
// the octave above 2^p leaves it clear of both ends by a factor 1 +- 2^-20,
// far more than the fast paths' own products can err (2^-62 of a unit of z,
// four units in 2^128 of a reading).

using exact::BigUnsigned;

struct Ratio {
    BigUnsigned numerator;
    BigUnsigned denominator;
};

// |x| * 10^q.
Ratio ScaledExactly(std::uint64_t bits, int q) {
    const exact::Binary64Parts parts = exact::Decompose(bits);
    Ratio r{BigUnsigned(parts.significand), BigUnsigned(1)};
    (parts.exponent >= 0 ? r.numerator : r.denominator) <<= std::abs(parts.exponent);
    BigUnsigned& scaled = q >= 0 ? r.numerator : r.denominator;
    scaled = scaled * exact::PowerOfTen(std::abs(q));
    return r;
}

// The number the reader scales for a text of the tables' form: its stored
// digits, at most 25, of which the 25th only rounds the 24th (a digit raised
// to ten is kept), without trailing zeros unless raised, as an integer N; and
// N cut to its top 64 bits when it has more and the decimal exponent is not 0.
Ratio KeptValue(std::u16string_view text) {
    const std::size_t letter = std::min(text.find(u'e'), text.size());
    std::string digits;
    int exponent = letter < text.size()
                       ? std::stoi(std::string(
                             text.begin() + static_cast<std::ptrdiff_t>(letter) + 1, text.end()))
                       : 0;
    bool point = false;
    for (char16_t unit : text.substr(0, letter)) {
        if (unit == u'.') {
            point = true;
        } else if (!digits.empty() || unit != u'0') {
            if (digits.size() < 25) {
                digits += static_cast<char>(unit);
                if (point) --exponent;
            } else if (!point) {
                ++exponent;
            }
        } else if (point) {
            --exponent;
        }
    }
    bool raised = false;
    if (digits.size() == 25) {
        raised = digits[24] >= '5';
        digits.pop_back();
        ++exponent;
    }
    BigUnsigned n = BigUnsigned::FromDecimal(digits);
    if (raised) {
        n += BigUnsigned(1);
    } else {
        while (!n.IsZero() && n.Low64() % 10 == 0) {
            n.DivideInPlace(10);
            ++exponent;
        }
    }
    if (n.BitLength() > 64 && exponent != 0) {
        const int cut = n.BitLength() - 64;
        n = (n >> cut) << cut;
    }
    Ratio r{n, BigUnsigned(1)};
    BigUnsigned& scaled = exponent >= 0 ? r.numerator : r.denominator;
    scaled = scaled * exact::PowerOfTen(std::abs(exponent));
    return r;
}

// The binary64 nearest to w > 0 (halves to even), below 2^-1022 too.
std::uint64_t Nearest(const Ratio& w) {
    const int subnormalUnit = -kBinary64.SubnormalUnitExponent();  // 1074
    if (exact::CompareScaled(w.numerator, subnormalUnit - kBinary64.fractionBits, w.denominator,
                             0) >= 0) {
        return exact::NearestBinary64(w.numerator, w.denominator);
    }
    BigUnsigned quotient, remainder;
    DivMod(w.numerator << subnormalUnit, w.denominator, quotient, remainder);
    const int order = Compare(remainder << 1, w.denominator);
    return quotient.Low64() + (order > 0 || (order == 0 && quotient.Low64() % 2 == 1) ? 1 : 0);
}

// The distance from r to the nearest number `offset` modulo `period`.
Ratio DistanceFromTie(const Ratio& r, std::uint32_t period, std::uint32_t offset) {
    BigUnsigned quotient, remainder;
    DivMod(r.numerator + r.denominator * offset, r.denominator * period, quotient, remainder);
    const BigUnsigned rest = r.denominator * period - remainder;
    return {remainder < rest ? remainder : rest, r.denominator};
}

// The distance of w > 0, in the binary64 range, from the nearest midpoint
// between two binary64 numbers, in units in the last place (2^-1074 below
// the normal range).
Ratio DistanceFromMidpoint(const Ratio& w) {
    int e = w.numerator.BitLength() - w.denominator.BitLength();  // 2^e <= w < 2^(e+1)
    if (exact::CompareScaled(w.numerator, 0, w.denominator, e) < 0) --e;
    const int unit = std::max(e - kBinary64.fractionBits, kBinary64.SubnormalUnitExponent());
    Ratio scaled = w;
    (unit < 0 ? scaled.numerator : scaled.denominator) <<= std::abs(unit);
    BigUnsigned quotient, remainder;
    DivMod(scaled.numerator, scaled.denominator, quotient, remainder);
    const BigUnsigned twice = remainder << 1;
    return {twice >= scaled.denominator ? twice - scaled.denominator : scaled.denominator - twice,
            scaled.denominator << 1};
}

// 2^p (1 + 2^-20) <= d <= 2^(p+1) (1 - 2^-20).
bool InOctaveAbove(const Ratio& d, int p) {
    const BigUnsigned scaled = d.numerator << 20;
    return exact::CompareScaled(scaled, 0, d.denominator * ((1u << 20) + 1), p) >= 0 &&
           exact::CompareScaled(scaled, 0, d.denominator * ((1u << 20) - 1), p + 1) <= 0;
}

bool Below(const Ratio& d, int p) {
    return exact::CompareScaled(d.numerator, 0, d.denominator, p) < 0;
}

// z in [low + 2^-40, low + units) for an integer low.
bool InUnitsAbove(const Ratio& z, const BigUnsigned& low, std::uint32_t units) {
    return exact::CompareScaled(z.numerator, 40, z.denominator * ((low << 40) + BigUnsigned(1)),
                                0) >= 0 &&
           z.numerator < z.denominator * (low + BigUnsigned(units));
}

// Where the digits' fast path looks at a value: z = |x| * 10^(18 - estimate),
// with the estimate the band needs (exact, or one short for the tenth).
Ratio DigitScaled(std::uint64_t bits, hard::DigitBand band) {
    const int estimate = DecimalExponentEstimate(bits);
    const int k = exact::DecimalExponent(bits);
    if (band == hard::DigitBand::Tie) {
        EXPECT_EQ(estimate, k) << Hex(bits);
    } else if (band == hard::DigitBand::TenthTie) {
        EXPECT_EQ(estimate, k - 1) << Hex(bits);
    }
    return ScaledExactly(bits, 18 - estimate);
}

Ratio TieDistance(const Ratio& z, hard::DigitBand band) {
    return band == hard::DigitBand::TenthTie ? DistanceFromTie(z, 100, 50)
                                             : DistanceFromTie(z, 10, 5);
}

int BandExponent(hard::DigitBand band) { return band == hard::DigitBand::TenthTie ? -8 : -11; }

TEST(FastPathBands, DigitsFallBackInsideEachBandAndDecideOutsideIt) {
    const BigUnsigned tenToThe18 = exact::PowerOfTen(18);
    for (const hard::DigitBandInput& input : hard::kDigitBandEdges) {
        const Ratio z = DigitScaled(input.bits, input.band);
        if (input.band == hard::DigitBand::TenToThe18) {
            const bool inside = InUnitsAbove(z, tenToThe18 - BigUnsigned(1), 2);
            const bool outside = InUnitsAbove(z, tenToThe18 - BigUnsigned(2), 1) ||
                                 InUnitsAbove(z, tenToThe18 + BigUnsigned(1), 1);
            ASSERT_TRUE(input.inside ? inside : outside) << Hex(input.bits);
        } else {
            const int edge = BandExponent(input.band);
            ASSERT_TRUE(InOctaveAbove(TieDistance(z, input.band), input.inside ? edge - 1 : edge))
                << Hex(input.bits);
        }
        SeventeenDigits fast{};
        const bool decided = FastFiniteToSeventeenDigits(input.bits, fast);
        EXPECT_EQ(decided, !input.inside) << Hex(input.bits);
        const SeventeenDigits chain = ChainToSeventeenDigits(input.bits);
        if (decided) {
            EXPECT_TRUE(fast.digits == chain.digits && fast.exponent == chain.exponent &&
                        fast.negative == chain.negative)
                << Hex(input.bits);
        }
    }
}

TEST(FastPathBands, ReadingFallsBackInsideItsBandAndDecidesOutsideIt) {
    for (const hard::ReadingBandInput& input : hard::kReadingBandEdges) {
        const std::u16string_view text = input.text;
        ASSERT_TRUE(InOctaveAbove(DistanceFromMidpoint(KeptValue(text)), input.inside ? -19 : -18))
            << Printable(text);
        std::uint64_t bits = 0;
        const bool decided = FastDecimalToDouble(text, bits);
        EXPECT_EQ(decided, !input.inside) << Printable(text);
        if (decided) {
            EXPECT_EQ(bits, TextToDoubleReference(text)) << Printable(text);
        }
    }
}

// The fixed text's band, |R - 2^(s-1)| <= floor(P / 2^51) + 1 around each
// half millionth, pinned at 2^-7, which is 7812.5 millionths exactly: a unit
// in the last place is 10^6 * 2^-59 millionths above it and half that below,
// and the band's edge, 10^6 * 2^-58, falls on the second unit above and the
// fourth below. Then the numbers, found by a search, where rounding the
// seventeen digits to six decimals differs from rounding the number itself,
// the farthest from the tie first (0.11 of the band): the band must hold them.
// From y = 2^50 on the band holds whole units of y: 2^32 and the binary32 below
// 2^33, whose millionths are whole, are decided all the same, and 2^32 plus a
// unit in the last place falls back.
//
// Then the binary32 integers from 2^56 to 2^128, whose band is 2^-13 of a
// unit of the seventeenth digit around each half. None lies on a half (x
// would be 5^j * 2^(j-1) times an odd number, with j = K - 17 at most 22, but
// 2^33 divides x), so the nearest a search found comes first, 2^-28.4 from
// one; then the two inside the band nearest its edges, below and above a
// half, and the two outside it nearest them (each within 2^-14 of the band
// from its edge); 2^56, the largest binary32, and the integer just below
// 2^56; the binary32s beside 10^18, 10^20 and 10^38, a digit apart; and
// binary64 numbers just outside the path, each with one of the low 29 bits
// set: 2^56 * (1 + 2^-24), beside the binary32 2^56 * (1 + 2^-23), 2^56 plus a
// unit in the last place, and the number halfway from the largest binary32 to
// 2^128; and 2^128 itself. Last, from 2^-21 to 2^-11, where the low s - 63
// bits of m must be zero: 2^-21 and the binary32 below 2^-11, 2^-21 with the
// lowest bit it may have set and with the one below it, and the same at
// 2^-12, where only the lowest bit must be clear.
TEST(FastPathBands, FixedTextFallsBackInsideItsBandAndDecidesOutsideIt) {
    const struct {
        std::uint64_t bits;
        bool inside;
    } inputs[] = {
        {0x3F80000000000000u, true},  {0x3F80000000000002u, true},  {0x3F80000000000003u, false},
        {0x3F7FFFFFFFFFFFFCu, true},  {0x3F7FFFFFFFFFFFFBu, false}, {0x41CDD05D503C53EFu, true},
        {0x4197E5FE10B45A81u, true},  {0x41F84FF274148D48u, true},  {0x4607FBD2C0000000u, true},
        {0x474BC70800000000u, true},  {0x45D476EAE0000000u, true},  {0x468B00D980000000u, false},
        {0x468E34AFA0000000u, false}, {0x4370000000000000u, false}, {0x47EFFFFFE0000000u, false},
        {0x436FFFFFE0000000u, false}, {0x43ABC16D60000000u, false}, {0x43ABC16D80000000u, false},
        {0x4415AF1D60000000u, false}, {0x4415AF1D80000000u, false}, {0x47D2CED320000000u, false},
        {0x47D2CED340000000u, false}, {0x4370000010000000u, true},  {0x4370000020000000u, false},
        {0x4370000000000001u, true},  {0x47EFFFFFF0000000u, true},  {0x47F0000000000000u, true},
        {0x3EA0000000000000u, false}, {0x3F3FFFFFE0000000u, false}, {0x3EA0000000000400u, false},
        {0x3EA0000000000200u, true},  {0x3F30000000000002u, false}, {0x3F30000000000001u, true},
        {0x41F0000000000000u, false}, {0x41FFFFFFE0000000u, false}, {0x41F0000000000001u, true},
    };
    for (const auto& input : inputs) {
        char16_t fast[kLongestValueText];
        char16_t digits[kLongestValueText];
        const char16_t* fastEnd = FastFixedText(input.bits, fast);
        const char16_t* digitsEnd = DoubleToFixedTextThroughDigits(input.bits, digits);
        EXPECT_EQ(fastEnd == nullptr, input.inside) << Hex(input.bits);
        if (fastEnd != nullptr) {
            EXPECT_EQ(std::u16string_view(fast, static_cast<std::size_t>(fastEnd - fast)),
                      std::u16string_view(digits, static_cast<std::size_t>(digitsEnd - digits)))
                << Hex(input.bits);
        }
        EXPECT_EQ(DoubleToFixedText(input.bits),
                  std::u16string(digits, static_cast<std::size_t>(digitsEnd - digits)))
            << Hex(input.bits);
    }
}

// Where the chain's rounding parts from the exact number's, the fast path
// cannot know the chain's result: the band must hold those inputs, even the
// farthest from the rounding step that a search found.
TEST(FastPathBands, HoldTheChainsMisroundingsFarthestFromTheRoundingStep) {
    for (const hard::DigitBandInput& input : hard::kDigitChainMisroundings) {
        const SeventeenDigits chain = ChainToSeventeenDigits(input.bits);
        const exact::Digits17 correct = exact::CorrectlyRounded17(input.bits);
        ASSERT_FALSE(chain.digits == correct.digits && chain.exponent == correct.exponent)
            << Hex(input.bits);
        ASSERT_TRUE(Below(TieDistance(DigitScaled(input.bits, input.band), input.band),
                          BandExponent(input.band)))
            << Hex(input.bits);
        SeventeenDigits fast{};
        EXPECT_FALSE(FastFiniteToSeventeenDigits(input.bits, fast)) << Hex(input.bits);
        EXPECT_TRUE(SameDigits(DoubleToDigits(input.bits), DoubleToDigitsReference(input.bits)))
            << Hex(input.bits);
    }
    for (const char16_t* input : hard::kReadingChainMisroundings) {
        const std::u16string_view text = input;
        const Ratio kept = KeptValue(text);
        const std::uint64_t chain = TextToDoubleReference(text);
        ASSERT_NE(chain, Nearest(kept)) << Printable(text);
        ASSERT_TRUE(Below(DistanceFromMidpoint(kept), -18)) << Printable(text);
        std::uint64_t bits = 0;
        EXPECT_FALSE(FastDecimalToDouble(text, bits)) << Printable(text);
        EXPECT_EQ(TextToDouble(text), chain) << Printable(text);
    }
}

// The scan as the state machine gives it, the gathered significand being the
// value of the first nineteen stored digits.
void ExpectScansAlike(std::u16string_view text) {
    const ScanResult fast = ScanDecimal(text);
    const ScanResult states = reference::ScanByStates(text.data(), text.data() + text.size());
    std::uint64_t significand = 0;
    for (int i = 0; i < states.digitCount && i < 19; ++i)
        significand = significand * 10 + states.digits[i];
    ASSERT_TRUE(
        fast.negative == states.negative && fast.digitSeen == states.digitSeen &&
        fast.digitCount == states.digitCount &&
        std::memcmp(fast.digits, states.digits, static_cast<std::size_t>(states.digitCount)) == 0 &&
        fast.significand == significand && fast.exponentAdjustment == states.exponentAdjustment &&
        fast.exponentValue == states.exponentValue &&
        fast.exponentNegative == states.exponentNegative)
        << Printable(text);
}

TEST(ScannerDifferential, EveryShortTextScansAsTheGrammarsStatesSay) {
    // Every text of up to six units from the characters that steer the scan,
    // a unit above U+00FF among them.
    const std::u16string alphabet = u"05.+-eD9\u0130";
    std::u16string text;
    for (std::size_t length = 0; length <= 6; ++length) {
        std::size_t total = 1;
        for (std::size_t i = 0; i < length; ++i) total *= alphabet.size();
        text.assign(length, u' ');
        for (std::size_t code = 0; code < total; ++code) {
            std::size_t c = code;
            for (std::size_t i = 0; i < length; ++i, c /= alphabet.size())
                text[i] = alphabet[c % alphabet.size()];
            ExpectScansAlike(text);
            ExpectPlainPathAsTheScan(text);
        }
    }
    // Longer texts: digit runs across the 19 gathered and the 25 stored digits,
    // and around the plain path's limits (19 digits, four exponent digits, and
    // its loads of eight units).
    std::mt19937_64 rng(15);
    const std::u16string longAlphabet = u"000123456789.e-";
    int plain = 0;
    for (int i = 0; i < 100000; ++i) {
        text.clear();
        const std::size_t length = rng() % 60;
        for (std::size_t j = 0; j < length; ++j) text += longAlphabet[rng() % longAlphabet.size()];
        ExpectScansAlike(text);
        plain += ExpectPlainPathAsTheScan(text) ? 1 : 0;
    }
    EXPECT_GT(plain, 5000);
}

}  // namespace
}  // namespace zelquin
