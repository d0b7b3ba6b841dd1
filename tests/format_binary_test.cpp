// binary32 and binary64 as rows of the registry, against the exact tools the
// explanation already has for them: the shortest texts, the correctly
// rounding reader (which checks a pattern against the midpoints to its
// neighbours), the narrowing of binary64 to binary32, and the core's classes;
// on the native build also against the standard library's reader.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <string>

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include <charconv>
#include <cstring>
#define ZELQUIN_NATIVE_FROM_CHARS 1
#endif

#include "big_unsigned.h"
#include "binary_format.h"
#include "conversion.h"
#include "correct_rounding.h"
#include "exact_binary64.h"
#include "exact_decimal.h"
#include "format_rounding.h"
#include "format_texts.h"
#include "formats.h"
#include "hard_inputs.h"

namespace zelquin::explain {
namespace {

struct Pair {
    const char* name;
    const BinaryFormat* binary;
};

constexpr Pair kPairs[] = {{"binary32", &kBinary32}, {"binary64", &kBinary64}};

void PrintTo(const Pair& pair, std::ostream* os) { *os << pair.name; }

FloatFormat Row(const Pair& pair) { return FindFormat(pair.name).value_or(FloatFormat{}); }

// Patterns of every kind: the hard values' kinds for binary64, and for
// binary32 random fields with the exponent drawn uniformly.
std::uint64_t SamplePattern(std::mt19937_64& rng, const BinaryFormat& format, int i) {
    if (format.fractionBits == 52) return hard::HardValue(rng, i % hard::kValueKinds);
    const std::uint64_t field = rng() % static_cast<std::uint64_t>(format.MaxExponentField() + 1);
    std::uint64_t fraction = rng() & format.FractionMask();
    if (rng() % 4 == 0) fraction &= ~(format.FractionMask() >> (rng() % format.fractionBits));
    return (rng() % 2 == 0 ? format.SignBit() : 0) | field << format.fractionBits | fraction;
}

NumberClass CoreClassOf(FormatClass c) {
    switch (c) {
        case FormatClass::Zero:
            return NumberClass::Zero;
        case FormatClass::Subnormal:
            return NumberClass::Subnormal;
        case FormatClass::Normal:
            return NumberClass::Normal;
        case FormatClass::Infinity:
            return NumberClass::Infinity;
        case FormatClass::SignallingNaN:
            return NumberClass::SignallingNaN;
        default:
            return NumberClass::QuietNaN;
    }
}

class RegistryBinaryTest : public ::testing::TestWithParam<Pair> {};

TEST_P(RegistryBinaryTest, ShortestTextsAreTheExplanationsOwn) {
    const BinaryFormat& binary = *GetParam().binary;
    const FloatFormat format = Row(GetParam());
    std::mt19937_64 rng(20240611);
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t bits = SamplePattern(rng, binary, i);
        ASSERT_EQ(ShortestOf(format, Bits128{0, bits}).value_or(""), ShortestText(bits, binary))
            << std::hex << bits;
    }
    for (const std::uint64_t bits :
         {std::uint64_t{0}, binary.SignBit(), std::uint64_t{1}, binary.ImplicitBit(),
          binary.ImplicitBit() - 1, binary.Infinity() - 1, binary.Infinity(), binary.Infinity() | 1,
          binary.SignBit() | binary.Infinity() | binary.QuietBit()})
        EXPECT_EQ(ShortestOf(format, Bits128{0, bits}).value_or(""), ShortestText(bits, binary))
            << std::hex << bits;
}

// Round checked by NearestPattern, which starts from the pattern given and
// steps to a neighbour while the number lies beyond a midpoint: it returns
// the start only when that is the nearest.
TEST_P(RegistryBinaryTest, RoundsHardTextsToTheNearestPattern) {
    const BinaryFormat& binary = *GetParam().binary;
    const FloatFormat format = Row(GetParam());
    std::mt19937_64 rng(777);
    for (int i = 0; i < 10000; ++i) {
        const std::u16string text = hard::HardText(rng, i % hard::kTextKinds);
        const FormatValueReading r = ReadFormatValue(text);
        const std::uint64_t got = Round(r.number, format).bits.low;
        const TypedDecimal& t = r.typed;
        ASSERT_EQ(
            got, NearestPattern(t.value, t.hugeExponent, t.scientificExponentNegative, binary, got))
            << std::string(text.begin(), text.end());
    }
}

// The shortest text of a binary64 rounded to binary32, against the same
// checker; and the binary64 itself narrowed.
TEST(RegistryBinary, NarrowsBinary64ToBinary32AsTheNearestPattern) {
    const FloatFormat binary32 = FindFormat("binary32").value_or(FloatFormat{});
    const FloatFormat binary64 = FindFormat("binary64").value_or(FloatFormat{});
    std::mt19937_64 rng(4242);
    for (int i = 0; i < 4000; ++i) {
        std::uint64_t bits = hard::HardValue(rng, i % hard::kValueKinds);
        // Into binary32's range, from below its subnormals to beyond its
        // largest, most of the time.
        if (i % 4 != 0) {
            const std::uint64_t field = 1023 - 160 + rng() % 300;
            bits = (bits & ~(std::uint64_t{0x7ff} << 52)) | field << 52;
        }
        if (!exact::IsFinite(bits)) continue;
        const exact::Binary64Parts p = exact::Decompose(bits);
        const std::uint64_t got =
            Round(ExactOfPattern(binary64, Bits128{0, bits}), binary32).bits.low;
        ASSERT_EQ(got, NearestPatternOfBinary(p.negative, exact::BigUnsigned(p.significand),
                                              p.exponent, kBinary32, got))
            << std::hex << bits;
    }
}

TEST_P(RegistryBinaryTest, DecodesAsTheCoreClassifies) {
    const BinaryFormat& binary = *GetParam().binary;
    const FloatFormat format = Row(GetParam());
    std::mt19937_64 rng(99);
    for (int i = 0; i < 2000; ++i) {
        const std::uint64_t bits = SamplePattern(rng, binary, i);
        const DecodedPattern d = Decode(format, Bits128{0, bits});
        ASSERT_EQ(CoreClassOf(d.numberClass), Classify(bits, binary) == NumberClass::IndefiniteNaN
                                                  ? NumberClass::QuietNaN
                                                  : Classify(bits, binary))
            << std::hex << bits;
        if (!d.finite) continue;
        const GridPoint point = PointOf(bits & ~binary.SignBit(), binary);
        ASSERT_EQ(FormatDecimal(d.exact),
                  FormatDecimal(BinaryToDecimal((bits & binary.SignBit()) != 0, point.m, point.e)))
            << std::hex << bits;
    }
}

#ifdef ZELQUIN_NATIVE_FROM_CHARS
// The shortest texts read back through the standard library's correctly
// rounding reader (the native build only).
TEST_P(RegistryBinaryTest, ShortestTextsReadBackThroughTheStandardLibrary) {
    const BinaryFormat& binary = *GetParam().binary;
    const FloatFormat format = Row(GetParam());
    std::mt19937_64 rng(31337);
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t bits = SamplePattern(rng, binary, i);
        if (Classify(bits, binary) == NumberClass::Infinity ||
            Decode(format, Bits128{0, bits}).numberClass >= FormatClass::QuietNaN)
            continue;
        const std::string text = ShortestOf(format, Bits128{0, bits}).value_or("");
        std::uint64_t read = 0;
        if (binary.fractionBits == 52) {
            double value = 0;
            std::from_chars(text.data(), text.data() + text.size(), value);
            std::memcpy(&read, &value, sizeof value);
        } else {
            float value = 0;
            std::uint32_t read32 = 0;
            std::from_chars(text.data(), text.data() + text.size(), value);
            std::memcpy(&read32, &value, sizeof value);
            read = read32;
        }
        ASSERT_EQ(read, bits) << text;
    }
}
#endif

INSTANTIATE_TEST_SUITE_P(Rows, RegistryBinaryTest, ::testing::ValuesIn(kPairs),
                         [](const ::testing::TestParamInfo<Pair>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zelquin::explain
