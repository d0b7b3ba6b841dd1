// The extended multiplication written out step by step on 16-bit limbs and a
// 96-bit accumulator of six limbs, one bit shift at a time: slow and plain, as
// the reference the fast multiplication must match bit for bit.
#pragma once

#include <cstdint>

#include "extended.h"
#include "power_tables.h"

namespace zelquin::reference {

inline ExtendedValue Multiply(const ExtendedValue& a, const ExtendedValue& b) {
    const bool negative = a.negative != b.negative;
    const ExtendedValue infinity{0x8000000000000000u, 0, 32767, negative};
    const ExtendedValue zero{0, 0, 0, false};
    int xa = a.exponent, xb = b.exponent;
    if (xa == 32767 || xb == 32767 || xa + xb > 49149) return infinity;
    if (xa + xb <= 16319) return zero;
    std::uint32_t la[5], lb[5];
    for (int i = 0; i < 5; ++i) {
        la[i] = Limb(a, i);
        lb[i] = Limb(b, i);
    }
    const auto isZero = [](const std::uint32_t* l) {
        return (l[0] | l[1] | l[2] | l[3] | l[4]) == 0;
    };
    if (xa == 0) {
        if (isZero(la)) return zero;
        xa = 1;
    }
    if (xb == 0) {
        if (isZero(lb)) return zero;
        xb = 1;
    }
    // P in six 16-bit limbs; each partial product is added into a 32-bit
    // window with its carry sent into the limb above.
    std::uint32_t p[7] = {};
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) {
            if (i + j < 4) continue;
            const int k = i + j - 4;
            std::uint32_t product = la[i] * lb[j];
            std::uint32_t low = p[k] + (product & 0xFFFF);
            p[k] = low & 0xFFFF;
            std::uint32_t carry = (low >> 16) + (product >> 16);
            for (int m = k + 1; carry != 0 && m < 7; ++m) {
                const std::uint32_t sum = p[m] + carry;
                p[m] = sum & 0xFFFF;
                carry = sum >> 16;
            }
        }
    }
    const auto bit = [&](int n) { return (p[n / 16] >> (n % 16)) & 1; };
    const auto shiftLeft = [&] {
        for (int m = 5; m > 0; --m) p[m] = ((p[m] << 1) | (p[m - 1] >> 15)) & 0xFFFF;
        p[0] = (p[0] << 1) & 0xFFFF;
    };
    int e = xa + xb - 16382;
    while (bit(95) == 0 && e > 0) {
        shiftLeft();
        --e;
    }
    if (e <= 0) {
        std::uint32_t lost = 0;
        for (int s = 0; s < 1 - e; ++s) {
            lost |= p[0] & 1;
            for (int m = 0; m < 5; ++m) p[m] = (p[m] >> 1) | ((p[m + 1] & 1) << 15);
            p[5] >>= 1;
        }
        p[0] |= lost;
        e = 0;
    }
    const std::uint32_t r = p[0];
    std::uint32_t t[5] = {p[1], p[2], p[3], p[4], p[5]};
    if (r > 0x8000 || (r == 0x8000 && (t[0] & 1) != 0)) {
        std::uint32_t carry = 1;
        for (int m = 0; m < 5 && carry != 0; ++m) {
            t[m] += carry;
            carry = t[m] >> 16;
            t[m] &= 0xFFFF;
        }
        if (carry != 0) {
            t[4] = 0x8000;
            ++e;
        }
    }
    if (e >= 32767) return infinity;
    const std::uint64_t high = (std::uint64_t{t[4]} << 48) | (std::uint64_t{t[3]} << 32) |
                               (std::uint64_t{t[2]} << 16) | t[1];
    return ExtendedValue{high, static_cast<std::uint16_t>(t[0]), static_cast<std::uint16_t>(e),
                         negative};
}

}  // namespace zelquin::reference
