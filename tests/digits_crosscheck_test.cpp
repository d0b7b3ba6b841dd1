// DoubleToDigits against the correctly rounded seventeen digits worked out
// with exact integer arithmetic. Its 80-bit arithmetic may land one unit away
// in the seventeenth digit, never further.

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>

#include "digit_generation.h"
#include "exact_binary64.h"
#include "test_text.h"

namespace zelquin {
namespace {

using exact::Binary64Sampler;
using exact::CorrectlyRounded17;
using exact::Digits17;
using exact::kTenToThe16;

using test_text::Hex;

constexpr int kSampleSize = 100000;
constexpr std::uint64_t kSeed = 0x5eed0d16u;

std::string Describe(const DecimalDigits& d) {
    std::string digits(d.digits, d.digits + (d.length >= 0 && d.length <= 17 ? d.length : 0));
    std::ostringstream text;
    text << (d.negative ? "-" : "") << "0." << digits << "e" << d.exponent;
    return text.str();
}

// Checks the form of the digit text; returns an empty string or the fault.
std::string FormFault(const DecimalDigits& d) {
    if (d.length < 1 || d.length > 17) return "length out of 1..17";
    for (int i = 0; i < d.length; ++i) {
        if (d.digits[i] < '0' || d.digits[i] > '9') return "not a decimal digit";
    }
    if (d.digits[0] == '0') return "leading zero";
    if (d.digits[d.length - 1] == '0') return "trailing zero";
    return "";
}

// The digits padded to seventeen: the value is that times 10^(exponent - 17).
std::uint64_t SeventeenDigitInteger(const DecimalDigits& d) {
    std::uint64_t value = 0;
    for (int i = 0; i < 17; ++i) value = value * 10 + (i < d.length ? d.digits[i] - '0' : 0);
    return value;
}

// Distance in units of the finer of the two last places, when the exponents
// differ by at most one (a carry across a power of ten); -1 otherwise.
long long UnitsApart(std::uint64_t a, int aExponent, std::uint64_t b, int bExponent) {
    if (aExponent == bExponent + 1) {
        a *= 10;  // below 10^18: fits
    } else if (bExponent == aExponent + 1) {
        b *= 10;
    } else if (aExponent != bExponent) {
        return -1;
    }
    return static_cast<long long>(a > b ? a - b : b - a);
}

TEST(DoubleToDigitsCrossCheckTest, SeventeenDigitsWithinOneUnitOfTheCorrectlyRoundedDigits) {
    Binary64Sampler sampler(kSeed);
    int differing = 0;
    int faults = 0;
    for (int i = 0; i < kSampleSize && faults < 20; ++i) {
        std::uint64_t bits = sampler.Next();
        DecimalDigits got = DoubleToDigits(bits);
        Digits17 want = CorrectlyRounded17(bits);
        std::string fault = FormFault(got);
        long long apart = -1;
        if (fault.empty()) {
            apart =
                UnitsApart(SeventeenDigitInteger(got), got.exponent, want.digits, want.exponent);
            if (got.negative != want.negative) {
                fault = "sign";
            } else if (apart < 0 || apart > 1) {
                fault = "more than one unit from the correctly rounded digits";
            }
        }
        if (!fault.empty()) {
            ++faults;
            ADD_FAILURE() << Hex(bits) << ": " << fault << ": got " << Describe(got)
                          << ", correctly rounded 0." << want.digits << "e" << want.exponent;
            continue;
        }
        if (apart != 0) ++differing;
    }
    std::cout << "[ counts   ] DoubleToDigits differs from the correctly rounded 17 digits for "
              << differing << " of " << kSampleSize << " sampled values\n";
    ::testing::Test::RecordProperty("differing", differing);
    ::testing::Test::RecordProperty("sampled", kSampleSize);
}

// Values with few significant digits whose scaling to seventeen digits is
// exact in 80 bits (a power of ten up to 10^20 and a product that fits) have
// nothing to round, so they come out as exactly their digits; a slip would show
// as a run of nines or a stray last digit.
TEST(DoubleToDigitsCrossCheckTest, ShortExactValuesKeepTheirDigits) {
    struct Case {
        std::uint64_t bits;
        const char* digits;
        int exponent;
    };
    const Case cases[] = {
        {0x3ff0000000000000u, "1", 1},                  // 1
        {0xbff0000000000000u, "1", 1},                  // -1
        {0x3fe0000000000000u, "5", 0},                  // 0.5
        {0x4024000000000000u, "1", 2},                  // 10
        {0x3fd0000000000000u, "25", 0},                 // 0.25
        {0x3f50000000000000u, "9765625", -3},           // 2^-10
        {0x4059000000000000u, "1", 3},                  // 100
        {0x4341c37937e08000u, "1", 17},                 // 1e16
        {0x433fffffffffffffu, "9007199254740991", 16},  // 2^53 - 1
        {0x4340000000000000u, "9007199254740992", 16},  // 2^53
        {0xc0fe240000000000u, "123456", 6},             // -123456
    };
    for (const Case& c : cases) {
        DecimalDigits got = DoubleToDigits(c.bits);
        EXPECT_EQ(std::string(got.digits, got.digits + got.length), c.digits) << Hex(c.bits);
        EXPECT_EQ(got.exponent, c.exponent) << Hex(c.bits);
        EXPECT_EQ(got.negative, (c.bits >> 63) != 0) << Hex(c.bits);
    }
}

TEST(DoubleToDigitsCrossCheckTest, ZeroOfEitherSignIsDigitZeroWithExponentZero) {
    for (std::uint64_t bits : {std::uint64_t{0}, std::uint64_t{0x8000000000000000u}}) {
        DecimalDigits got = DoubleToDigits(bits);
        ASSERT_EQ(got.length, 1) << Hex(bits);
        EXPECT_EQ(got.digits[0], '0') << Hex(bits);
        EXPECT_EQ(got.exponent, 0) << Hex(bits);
        EXPECT_FALSE(got.negative) << Hex(bits);
    }
}

}  // namespace
}  // namespace zelquin
