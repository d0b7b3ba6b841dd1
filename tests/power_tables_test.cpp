// The tabulated powers of ten, checked against the exact powers: each entry
// must be the 80-bit value nearest to its power, and sit at its index.

#include "power_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "big_unsigned.h"
#include "extended.h"
#include "wide_powers.h"

namespace zelquin {
namespace {

using exact::BigUnsigned;
using exact::CompareScaled;

// The power of ten at index 7*j + d - 1 is d * 8^j (j = 4 has d = 1 only).
// Each entry is checked against the power its index stands for, so a
// misplaced entry fails like a wrong one.
int PowerAtIndex(std::size_t index) {
    int j = static_cast<int>(index / 7);
    int d = static_cast<int>(index % 7) + 1;
    int power = d;
    for (int i = 0; i < j; ++i) power *= 8;
    return power;
}

BigUnsigned Significand(const ExtendedValue& value) {
    return (BigUnsigned(value.significandHigh) << 16) + BigUnsigned(value.significandLow);
}

// True if S * 2^q, S in [2^79, 2^80), is the 80-bit value nearest to 10^k
// (or to 10^-k when `reciprocal` is set). The neighbours are S+1 above and
// S-1 below, except that below 2^79 the spacing halves, so with everything
// scaled by 4 the value must lie strictly inside (4S - 1 or 2, 4S + 2) * 2^(q-2).
bool IsNearestEightyBitValue(const BigUnsigned& s, int q, int k, bool reciprocal) {
    const BigUnsigned lowest = (BigUnsigned(1) << 79);
    if (s < lowest || s >= (BigUnsigned(1) << 80)) return false;
    BigUnsigned four = s << 2;
    BigUnsigned below = four - BigUnsigned(s == lowest ? 1 : 2);
    BigUnsigned above = four + BigUnsigned(2);
    BigUnsigned power = BigUnsigned::Power(10, k);
    if (!reciprocal) {
        return CompareScaled(below, q - 2, power, 0) < 0 &&
               CompareScaled(power, 0, above, q - 2) < 0;
    }
    // below * 2^(q-2) < 10^-k < above * 2^(q-2), multiplied through by 10^k.
    BigUnsigned one(1);
    return CompareScaled(below * power, q - 2, one, 0) < 0 &&
           CompareScaled(one, 0, above * power, q - 2) < 0;
}

std::string Describe(std::size_t index, const ExtendedValue& entry) {
    std::ostringstream text;
    text << "index " << index << " (power " << PowerAtIndex(index) << "): significand 0x"
         << std::hex << entry.significandHigh << "'" << entry.significandLow << std::dec
         << ", exponent " << entry.exponent << (entry.negative ? ", negative" : "");
    return text.str();
}

void ExpectNearestPowers(const ExtendedValue (&table)[kPowerTableSize], bool reciprocal) {
    for (std::size_t index = 0; index < kPowerTableSize; ++index) {
        const ExtendedValue& entry = table[index];
        EXPECT_FALSE(entry.negative) << Describe(index, entry);
        int q = static_cast<int>(entry.exponent) - kExtendedBias - 79;
        EXPECT_TRUE(IsNearestEightyBitValue(Significand(entry), q, PowerAtIndex(index), reciprocal))
            << Describe(index, entry);
    }
}

TEST(PowerTablesTest, EveryPositiveEntryIsTheNearestEightyBitValueOfItsPower) {
    ExpectNearestPowers(PositivePowersOfTen, false);
}

TEST(PowerTablesTest, EveryNegativeEntryIsTheNearestEightyBitValueOfItsPower) {
    ExpectNearestPowers(NegativePowersOfTen, true);
}

// The check itself must reject the neighbours of each entry, or it proves
// nothing: one unit up or down, and the same significand one binade off.
TEST(PowerTablesTest, NeighbouringEightyBitValuesAreNotNearest) {
    for (bool reciprocal : {false, true}) {
        const ExtendedValue(&table)[kPowerTableSize] =
            reciprocal ? NegativePowersOfTen : PositivePowersOfTen;
        for (std::size_t index = 0; index < kPowerTableSize; ++index) {
            BigUnsigned s = Significand(table[index]);
            int q = static_cast<int>(table[index].exponent) - kExtendedBias - 79;
            int k = PowerAtIndex(index);
            EXPECT_FALSE(IsNearestEightyBitValue(s + BigUnsigned(1), q, k, reciprocal))
                << Describe(index, table[index]);
            if (s > (BigUnsigned(1) << 79)) {
                EXPECT_FALSE(IsNearestEightyBitValue(s - BigUnsigned(1), q, k, reciprocal))
                    << Describe(index, table[index]);
            }
            EXPECT_FALSE(IsNearestEightyBitValue(s, q + 1, k, reciprocal))
                << Describe(index, table[index]);
            EXPECT_FALSE(IsNearestEightyBitValue(s, q - 1, k, reciprocal))
                << Describe(index, table[index]);
        }
    }
}

// The fast paths' error bounds rest on these: every 80-bit entry lies within
// 0.4967 units of its last place of its power, that is
// (S - 0.4967) * 2^q <= 10^k <= (S + 0.4967) * 2^q, scaled by 10000.
TEST(PowerTablesTest, EveryEightyBitEntryIsWithin0Point4967UnitsOfItsPower) {
    for (bool reciprocal : {false, true}) {
        const ExtendedValue(&table)[kPowerTableSize] =
            reciprocal ? NegativePowersOfTen : PositivePowersOfTen;
        for (std::size_t index = 0; index < kPowerTableSize; ++index) {
            const BigUnsigned scaled = Significand(table[index]) * 10000u;
            const int q = static_cast<int>(table[index].exponent) - kExtendedBias - 79;
            const BigUnsigned power = BigUnsigned::Power(10, PowerAtIndex(index));
            const BigUnsigned below = scaled - BigUnsigned(4967),
                              above = scaled + BigUnsigned(4967);
            const BigUnsigned tenThousand(10000);
            if (!reciprocal) {
                EXPECT_LE(CompareScaled(below, q, power * 10000u, 0), 0)
                    << Describe(index, table[index]);
                EXPECT_GE(CompareScaled(above, q, power * 10000u, 0), 0)
                    << Describe(index, table[index]);
            } else {
                EXPECT_LE(CompareScaled(below * power, q, tenThousand, 0), 0)
                    << Describe(index, table[index]);
                EXPECT_GE(CompareScaled(above * power, q, tenThousand, 0), 0)
                    << Describe(index, table[index]);
            }
        }
    }
}

// Each 128-bit entry is its power truncated, with the top bit set, at the
// binary exponent the table's function gives:
// P * 2^(b - 127) <= 10^q < (P + 1) * 2^(b - 127), 2^127 <= P < 2^128.
TEST(PowerTablesTest, EveryWideEntryIsItsPowerTruncatedTo128Bits) {
    for (int q = kWidePowerMin; q <= kWidePowerMax; ++q) {
        const WidePower& entry = WidePowerOfTen(q);
        const BigUnsigned p = (BigUnsigned(entry.high) << 64) + BigUnsigned(entry.low);
        const BigUnsigned next = p + BigUnsigned(1);
        const int shift = BinaryExponentOfPowerOfTen(q) - 127;
        EXPECT_EQ(entry.high >> 63, 1u) << "10^" << q;
        const BigUnsigned power = BigUnsigned::Power(10, q < 0 ? -q : q);
        const BigUnsigned one(1);
        if (q >= 0) {
            EXPECT_LE(CompareScaled(p, shift, power, 0), 0) << "10^" << q;
            EXPECT_GT(CompareScaled(next, shift, power, 0), 0) << "10^" << q;
        } else {
            EXPECT_LE(CompareScaled(p * power, shift, one, 0), 0) << "10^" << q;
            EXPECT_GT(CompareScaled(next * power, shift, one, 0), 0) << "10^" << q;
        }
    }
}

// An extended multiplication leaves out the partial products of limbs whose
// indices add up to less than 4. Even with every limb 0xFFFF they add up to
// less than 2^82, 2^-76 of the smallest product of two normalised significands
// (2^158): the bound the fast paths' arguments take.
TEST(PowerTablesTest, LeftOutPartialProductsAreBelow2ToTheMinus76OfTheProduct) {
    BigUnsigned leftOut;
    const BigUnsigned largestLimbProduct = BigUnsigned(0xFFFF) * 0xFFFFu;
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) {
            if (i + j < 4) leftOut = leftOut + (largestLimbProduct << (16 * (i + j)));
        }
    }
    EXPECT_LT(CompareScaled(leftOut, 76, BigUnsigned(1), 158), 0);
}

}  // namespace
}  // namespace zelquin
