// The fast paths against the chains of extended multiplications they stand
// for, on samples of every hard kind of input; and the scanner and the fixed
// text, which work on runs of digits and on whole integers, against the plain
// forms of their rules.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "conversion.h"
#include "decimal_reading.h"
#include "decimal_scan_reference.h"
#include "digit_generation.h"
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

TEST(FastPathDifferential, ReadingEqualsTheChainOnEveryKindOfText) {
    std::mt19937_64 rng(15);
    for (int kind = 0; kind < hard::kTextKinds; ++kind) {
        for (int i = 0; i < kSamplesPerKind; ++i) {
            const std::u16string text = hard::HardText(rng, kind);
            ASSERT_EQ(TextToDouble(text), TextToDoubleReference(text))
                << hard::kTextKindNames[kind] << ": " << Printable(text);
        }
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
        }
    }
    // Longer texts: digit runs across the 19 gathered and the 25 stored digits.
    std::mt19937_64 rng(15);
    const std::u16string longAlphabet = u"000123456789.e-";
    for (int i = 0; i < 100000; ++i) {
        text.clear();
        const std::size_t length = rng() % 60;
        for (std::size_t j = 0; j < length; ++j) text += longAlphabet[rng() % longAlphabet.size()];
        ExpectScansAlike(text);
    }
}

}  // namespace
}  // namespace zelquin
