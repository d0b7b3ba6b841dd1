// The fast extended multiplication against the plain limb-by-limb reference,
// over operands that reach every path: normal, subnormal, near both limits,
// ties in the low limb and sparse or dense bit patterns.
#include <gtest/gtest.h>

#include <random>

#include "extended.h"
#include "extended_reference.h"

namespace zelquin {
namespace {

ExtendedValue RandomOperand(std::mt19937_64& rng) {
    const std::uint64_t kind = rng() % 8;
    std::uint64_t high = rng();
    std::uint16_t low = static_cast<std::uint16_t>(rng());
    switch (kind) {
        case 0: high &= 0xFFFF000000000000u; low = 0; break;   // sparse
        case 1: high |= 0xFFFFFFFFFFFF0000u; low = 0xFFFF; break;  // dense
        case 2: low &= 0x8000u; break;                          // halves
        default: break;
    }
    std::uint16_t exponent;
    switch (rng() % 6) {
        case 0: exponent = static_cast<std::uint16_t>(rng() % 64); break;             // tiny
        case 1: exponent = static_cast<std::uint16_t>(32767 - rng() % 64); break;     // huge
        case 2: exponent = static_cast<std::uint16_t>(8100 + rng() % 300); break;     // sums near 16319
        case 3: exponent = static_cast<std::uint16_t>(24500 + rng() % 300); break;    // sums near 49149
        default: exponent = static_cast<std::uint16_t>(rng() % 32768); break;
    }
    if (exponent != 0 || rng() % 2 == 0) high |= 0x8000000000000000u;  // normalised, or subnormal
    if (rng() % 50 == 0) {
        high = 0;
        low = 0;
    }
    return ExtendedValue{high, low, exponent, rng() % 2 == 0};
}

TEST(ExtendedMultiplyDifferential, MatchesTheLimbByLimbReference) {
    std::mt19937_64 rng(20261207);
    for (int i = 0; i < 400000; ++i) {
        const ExtendedValue a = RandomOperand(rng);
        const ExtendedValue b = i % 3 == 0 ? PositivePowersOfTen[rng() % kPowerTableSize]
                                           : RandomOperand(rng);
        const ExtendedValue fast = ExtendedMultiply(a, b);
        const ExtendedValue slow = reference::Multiply(a, b);
        ASSERT_TRUE(fast.significandHigh == slow.significandHigh &&
                    fast.significandLow == slow.significandLow && fast.exponent == slow.exponent &&
                    fast.negative == slow.negative)
            << std::hex << "a = {" << a.significandHigh << ", " << a.significandLow << ", "
            << std::dec << a.exponent << "} b = {" << std::hex << b.significandHigh << ", "
            << b.significandLow << ", " << std::dec << b.exponent << "}";
    }
}

}  // namespace
}  // namespace zelquin
