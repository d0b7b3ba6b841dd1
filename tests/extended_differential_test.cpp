// The fast extended multiplication against the plain limb-by-limb reference,
// over operands that reach every path: normal, subnormal, near both limits,
// ties in the low limb and sparse or dense bit patterns.
#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <utility>

#include "extended.h"
#include "extended_reference.h"
#include "power_tables.h"

namespace zelquin {
namespace {

ExtendedValue RandomOperand(std::mt19937_64& rng) {
    const std::uint64_t kind = rng() % 8;
    std::uint64_t high = rng();
    std::uint16_t low = static_cast<std::uint16_t>(rng());
    switch (kind) {
        case 0:
            high &= 0xFFFF000000000000u;
            low = 0;
            break;  // sparse
        case 1:
            high |= 0xFFFFFFFFFFFF0000u;
            low = 0xFFFF;
            break;  // dense
        case 2:
            low &= 0x8000u;
            break;  // halves
        default:
            break;
    }
    std::uint16_t exponent;
    switch (rng() % 6) {
        case 0:
            exponent = static_cast<std::uint16_t>(rng() % 64);
            break;  // tiny
        case 1:
            exponent = static_cast<std::uint16_t>(32767 - rng() % 64);
            break;  // huge
        case 2:
            exponent = static_cast<std::uint16_t>(8100 + rng() % 300);
            break;  // sums near 16319
        case 3:
            exponent = static_cast<std::uint16_t>(24500 + rng() % 300);
            break;  // sums near 49149
        default:
            exponent = static_cast<std::uint16_t>(rng() % 32768);
            break;
    }
    if (exponent != 0 || rng() % 2 == 0) high |= 0x8000000000000000u;  // normalised, or subnormal
    if (rng() % 50 == 0) {
        high = 0;
        low = 0;
    }
    return ExtendedValue{high, low, exponent, rng() % 2 == 0};
}

// A pair whose product is an extended subnormal with a tie in its low 16 bits
// after the shift: a is a power of two, so P is b's significand times 2^15,
// shifted right by `shift` bits; b's lowest `shift` bits are clear and the next
// one is set, so that it becomes the half bit. Half the pairs then get one bit
// among those shifted out, which the sticky bit must turn into "above half".
std::pair<ExtendedValue, ExtendedValue> SubnormalTiePair(std::mt19937_64& rng) {
    const int shift = 1 + static_cast<int>(rng() % 63);
    const int sum = kExtendedBias - shift;  // gives e = 1 - shift
    const int xa = 1 + static_cast<int>(rng() % static_cast<unsigned>(sum - 1));
    const ExtendedValue a{0x8000000000000000u, 0, static_cast<std::uint16_t>(xa), rng() % 2 == 0};
    // The 80-bit significand of b as high (bits 16..79) and low (bits 0..15).
    std::uint64_t high = rng() | 0x8000000000000000u;
    std::uint64_t low = rng() & 0xFFFFu;
    const auto setLowBits = [&](int bit) {  // clear bits 0..bit-1, set bit `bit`
        if (bit < 16) {
            low = (low & ~((std::uint64_t{2} << bit) - 1)) | (std::uint64_t{1} << bit);
        } else {
            low = 0;
            const int b = bit - 16;
            high = (high & ~((std::uint64_t{2} << b) - 1)) | (std::uint64_t{1} << b);
        }
    };
    setLowBits(shift);
    if (shift > 15 && rng() % 2 == 0) {
        const int lost = static_cast<int>(rng() % static_cast<unsigned>(shift - 15));
        if (lost < 16) {
            low |= std::uint64_t{1} << lost;
        } else {
            high |= std::uint64_t{1} << (lost - 16);
        }
    }
    const ExtendedValue b{high, static_cast<std::uint16_t>(low),
                          static_cast<std::uint16_t>(sum - xa), rng() % 2 == 0};
    return {a, b};
}

TEST(ExtendedMultiplyDifferential, MatchesTheLimbByLimbReference) {
    std::mt19937_64 rng(20261207);
    for (int i = 0; i < 400000; ++i) {
        ExtendedValue a = RandomOperand(rng);
        ExtendedValue b =
            i % 3 == 0 ? PositivePowersOfTen[rng() % kPowerTableSize] : RandomOperand(rng);
        if (i % 7 == 1) std::tie(a, b) = SubnormalTiePair(rng);
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
