// The extended arithmetic: limits, zero operands, rounding of the truncated
// product, the subnormal path and the scaling by powers of ten.
#include "extended.h"

#include <gtest/gtest.h>

#include "power_tables.h"

namespace zelquin {
namespace {

constexpr ExtendedValue kOne{0x8000000000000000u, 0, 16383, false};
constexpr ExtendedValue kZero{0, 0, 0, false};
constexpr ExtendedValue kNegativeZero{0, 0, 0, true};

bool Same(const ExtendedValue& a, const ExtendedValue& b) {
    return a.significandHigh == b.significandHigh && a.significandLow == b.significandLow &&
           a.exponent == b.exponent && a.negative == b.negative;
}

::testing::AssertionResult IsExactly(const ExtendedValue& got, const ExtendedValue& want) {
    if (Same(got, want)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << std::hex << "got {" << got.significandHigh << ", " << got.significandLow << ", "
           << std::dec << got.exponent << ", " << got.negative << "} want {" << std::hex
           << want.significandHigh << ", " << want.significandLow << ", " << std::dec
           << want.exponent << ", " << want.negative << "}";
}

constexpr ExtendedValue Infinity(bool negative) {
    return ExtendedValue{0x8000000000000000u, 0, 32767, negative};
}

TEST(ExtendedMultiply, ByOneLeavesFiniteOperandsUnchanged) {
    const ExtendedValue operands[] = {
        {0xA000000000000000u, 0x0000, 16386, false}, {0xFFFFFFFFFFFFFFFFu, 0xFFFF, 16383, true},
        {0x8000000000000000u, 0x0001, 100, false},   {0xC46052028A20979Au, 0xC94C, 29989, true},
        {0x0000000000000001u, 0x2345, 0, false},  // extended subnormal
        {0x7FFFFFFFFFFFFFFFu, 0xFFFF, 0, true},   // extended subnormal
    };
    for (const ExtendedValue& x : operands) {
        EXPECT_TRUE(IsExactly(ExtendedMultiply(x, kOne), x));
        EXPECT_TRUE(IsExactly(ExtendedMultiply(kOne, x), x));
    }
}

TEST(ExtendedMultiply, ZeroOperandGivesZeroWithSignClear) {
    const ExtendedValue minusTen{0xA000000000000000u, 0, 16386, true};
    EXPECT_TRUE(IsExactly(ExtendedMultiply(kZero, kOne), kZero));
    EXPECT_TRUE(IsExactly(ExtendedMultiply(kNegativeZero, kOne), kZero));
    EXPECT_TRUE(IsExactly(ExtendedMultiply(minusTen, kNegativeZero), kZero));
    EXPECT_TRUE(IsExactly(ExtendedMultiply(kNegativeZero, kNegativeZero), kZero));
}

TEST(ExtendedMultiply, LimitsComeBeforeZeroOperands) {
    EXPECT_TRUE(IsExactly(ExtendedMultiply(Infinity(false), kZero), Infinity(false)));
    EXPECT_TRUE(IsExactly(ExtendedMultiply(kNegativeZero, Infinity(false)), Infinity(true)));
    EXPECT_TRUE(IsExactly(ExtendedMultiply(Infinity(true), Infinity(true)), Infinity(false)));
    // Any exponent of 32767 counts as infinite, whatever the significand.
    const ExtendedValue oddInfinity{0x1234, 0, 32767, false};
    EXPECT_TRUE(IsExactly(ExtendedMultiply(oddInfinity, kOne), Infinity(false)));
}

TEST(ExtendedMultiply, ExponentSumLimits) {
    const ExtendedValue big{0x8000000000000000u, 0, 32766, false};
    const ExtendedValue x16383{0x8000000000000000u, 0, 16383, true};
    const ExtendedValue x16384{0x8000000000000000u, 0, 16384, false};
    // 32766 + 16383 = 49149 is not above the limit; +16384 is.
    EXPECT_FALSE(ExtendedMultiply(big, x16383).exponent == 32767 &&
                 ExtendedMultiply(big, x16383).significandHigh == 0);
    EXPECT_TRUE(IsExactly(ExtendedMultiply(big, x16384), Infinity(false)));
    EXPECT_TRUE(IsExactly(ExtendedMultiply(x16384, big), Infinity(false)));
    // A sum of 16319 or less gives zero with the sign clear.
    const ExtendedValue small{0x8000000000000000u, 0, 16319, true};
    const ExtendedValue one1{0x8000000000000000u, 0, 1, false};
    EXPECT_TRUE(
        IsExactly(ExtendedMultiply(small, ExtendedValue{0x8000000000000000u, 0, 0, false}), kZero));
    EXPECT_TRUE(IsExactly(
        ExtendedMultiply(ExtendedValue{0x8000000000000000u, 0, 16318, true}, one1), kZero));
    // A sum of 16320 is not cut off: 2^94 shifted right by 63 bits leaves an
    // extended subnormal with significand 2^15.
    EXPECT_TRUE(
        IsExactly(ExtendedMultiply(ExtendedValue{0x8000000000000000u, 0, 16319, true}, one1),
                  ExtendedValue{0, 0x8000, 0, true}));
}

TEST(ExtendedMultiply, ProductOverflowAfterRoundingIsInfinity) {
    const ExtendedValue maxFinite{0xFFFFFFFFFFFFFFFFu, 0xFFFF, 32766, false};
    const ExtendedValue two{0x8000000000000000u, 0, 16384, true};
    EXPECT_TRUE(IsExactly(ExtendedMultiply(maxFinite, two), Infinity(true)));
    // 1.5 * (2^16383 * 1.5) = 2.25 * 2^16383, exponent 32767: infinity.
    const ExtendedValue oneAndHalf{0xC000000000000000u, 0, 16383, false};
    const ExtendedValue huge{0xC000000000000000u, 0, 32766, false};
    EXPECT_TRUE(IsExactly(ExtendedMultiply(oneAndHalf, huge), Infinity(false)));
}

TEST(ExtendedMultiply, TieInLowSixteenBitsRoundsToEven) {
    // (2^79 + 2^15) * 2^79 / 2^64 = 2^94 + 2^30: P = (2^94 + 2^30), normalised
    // to 2^95 + 2^31; r = 0x8000 and T = 2^79 is even: stays.
    const ExtendedValue a{0x8000000000000000u, 0x8000, 16383, false};
    EXPECT_TRUE(IsExactly(ExtendedMultiply(a, kOne), a));  // exact: r = 0

    // Multiplying by 1.5 makes the low 16 bits of P a tie.
    const ExtendedValue oneAndHalf{0xC000000000000000u, 0, 16383, false};
    // S = 2^79 + 1: S * 1.5 = 1.5 * 2^79 + 1.5 -> T = 0xC000..0001, r = 0x8000,
    // T odd: rounds up to 0xC000..0002.
    const ExtendedValue odd{0x8000000000000000u, 0x0001, 16383, false};
    EXPECT_TRUE(IsExactly(ExtendedMultiply(odd, oneAndHalf),
                          ExtendedValue{0xC000000000000000u, 0x0002, 16383, false}));
    // S = 2^79 + 3: S * 1.5 = 1.5 * 2^79 + 4.5 -> T = ...0004, r = 0x8000,
    // T even: stays.
    const ExtendedValue three{0x8000000000000000u, 0x0003, 16383, false};
    EXPECT_TRUE(IsExactly(ExtendedMultiply(three, oneAndHalf),
                          ExtendedValue{0xC000000000000000u, 0x0004, 16383, false}));
}

TEST(ExtendedMultiply, MissingLowPartialProductsTruncate) {
    // (2^80 - 1)^2 has the top 80 bits 0xFFFF...FFFE; without the carries of
    // the pairs with i + j < 4 the product falls four units short of them.
    const ExtendedValue ones{0xFFFFFFFFFFFFFFFFu, 0xFFFF, 16383, false};
    const ExtendedValue p = ExtendedMultiply(ones, ones);
    EXPECT_EQ(p.significandHigh, 0xFFFFFFFFFFFFFFFFu);
    EXPECT_EQ(p.significandLow, 0xFFFA);
    EXPECT_EQ(p.exponent, 16384);  // (2 - 2^-79)^2 is just below 4
}

TEST(ExtendedMultiply, SubnormalResultsShiftWithStickyBit) {
    // 2^-16382 * 2^-1 -> e = 0 after the normalisation: an extended subnormal
    // holding 2^-16383 as 2^78 * 2^(1 - 16383 - 79).
    const ExtendedValue tiny{0x8000000000000000u, 0, 1, false};
    const ExtendedValue half{0x8000000000000000u, 0, 16382, true};
    EXPECT_TRUE(
        IsExactly(ExtendedMultiply(tiny, half), ExtendedValue{0x4000000000000000u, 0, 0, true}));
    // Bits shifted out set the lowest bit of P, which then rounds.
    const ExtendedValue quarter{0x8000000000000000u, 0, 16381, false};
    const ExtendedValue tinyOdd{0x8000000000000000u, 0x0001, 1, false};
    EXPECT_TRUE(IsExactly(ExtendedMultiply(tinyOdd, quarter),
                          ExtendedValue{0x2000000000000000u, 0, 0, false}));
    // A subnormal that rounds up to 2^79 keeps exponent 0.
    const ExtendedValue justBelow{0xFFFFFFFFFFFFFFFFu, 0xFFFF, 1, false};
    EXPECT_TRUE(IsExactly(ExtendedMultiply(justBelow, half),
                          ExtendedValue{0x8000000000000000u, 0, 0, true}));
}

TEST(ScaleByPowerOfTen, ZeroExponentReturnsTheValueUnchanged) {
    const ExtendedValue x{0x8000000000000000u, 0xBEEF, 16390, true};
    EXPECT_TRUE(IsExactly(ScaleByPowerOfTen(x, 0, true), x));
    EXPECT_TRUE(IsExactly(ScaleByPowerOfTen(x, 0, false), x));
}

TEST(ScaleByPowerOfTen, ClearingFlagClearsTheLowestLimbFirst) {
    const ExtendedValue x{0x8000000000000000u, 0xBEEF, 16383, false};
    const ExtendedValue cleared{0x8000000000000000u, 0, 16383, false};
    EXPECT_TRUE(IsExactly(ScaleByPowerOfTen(x, 1, true), ScaleByPowerOfTen(cleared, 1, false)));
    EXPECT_FALSE(Same(ScaleByPowerOfTen(x, 1, true), ScaleByPowerOfTen(x, 1, false)));
}

TEST(ScaleByPowerOfTen, MultipliesByOneEntryPerOctalDigitLowestFirst) {
    // 8191 = octal 17777: entries 7, 7*8, 7*64, 7*512 and 4096, in that order.
    for (const bool negative : {false, true}) {
        const ExtendedValue* table = negative ? NegativePowersOfTen : PositivePowersOfTen;
        const ExtendedValue x{0x8000000000000000u, 0,
                              static_cast<std::uint16_t>(negative ? 30000 : 2000), false};
        ExtendedValue expected = x;
        for (int index : {6, 13, 20, 27, 28}) expected = ExtendedMultiply(expected, table[index]);
        EXPECT_TRUE(IsExactly(ScaleByPowerOfTen(x, negative ? -8191 : 8191, false), expected));
    }
    // 324 = octal 504: 10^4 then 10^320 (entry (2, 5)).
    const ExtendedValue x{0x9000000000000000u, 0x1234, 16400, false};
    EXPECT_TRUE(IsExactly(
        ScaleByPowerOfTen(x, -324, false),
        ExtendedMultiply(ExtendedMultiply(x, NegativePowersOfTen[3]), NegativePowersOfTen[18])));
}

TEST(ScaleByPowerOfTen, SmallPowersOfTenAreExact) {
    ExtendedValue x = kOne;
    for (int n = 1; n <= 27; ++n) {
        // 10^n below 2^80 * 2^... is exact as long as it fits in 80 bits.
        const ExtendedValue y = ScaleByPowerOfTen(kOne, n, false);
        x = ExtendedMultiply(x, PositivePowersOfTen[0]);
        EXPECT_TRUE(IsExactly(y, x)) << n;
    }
}

}  // namespace
}  // namespace zelquin
