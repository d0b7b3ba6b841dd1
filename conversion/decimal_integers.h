// Unsigned 64-bit integers in decimal: the powers of ten, the number of
// digits, and the digits written two at a time from a table, for the digit
// texts (narrow) and the fixed texts (UTF-16).
#pragma once

#include <bit>
#include <cstdint>

#include "wide_arithmetic.h"

namespace zelquin {

inline constexpr char kDecimalPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline constexpr std::uint64_t kPowersOfTen[] = {
    1u,
    10u,
    100u,
    1000u,
    10000u,
    100000u,
    1000000u,
    10000000u,
    100000000u,
    1000000000u,
    10000000000u,
    100000000000u,
    1000000000000u,
    10000000000000u,
    100000000000000u,
    1000000000000000u,
    10000000000000000u,
    100000000000000000u,
    1000000000000000000u,
    10000000000000000000u,
};

template <typename Char>
inline void WritePair(std::uint32_t pair, Char* out) {
    out[0] = static_cast<Char>(kDecimalPairs[2 * pair]);
    out[1] = static_cast<Char>(kDecimalPairs[2 * pair + 1]);
}

// Writes a number below 10^8 as exactly eight digits; its two halves are
// written independently of each other.
template <typename Char>
inline void WriteEightDigits(std::uint32_t number, Char* out) {
    const std::uint32_t upper = number / 10000, lower = number % 10000;
    WritePair(upper / 100, out);
    WritePair(upper % 100, out + 2);
    WritePair(lower / 100, out + 4);
    WritePair(lower % 100, out + 6);
}

// Writes a number below 10^count as exactly count digits (leading zeros
// included), count from 0 to 20: eight digits at a time from the end, the
// halves of each eight written independently, the rest in 32-bit arithmetic.
template <typename Char>
inline void WriteDigits(std::uint64_t number, int count, Char* out) {
    while (count > 8) {
        const std::uint64_t upper = DivideBy100000000(number);
        WriteEightDigits(static_cast<std::uint32_t>(number - upper * 100000000u), out + count - 8);
        number = upper;
        count -= 8;
    }
    std::uint32_t rest = static_cast<std::uint32_t>(number);
    for (; count >= 2; count -= 2) {
        WritePair(rest % 100, out + count - 2);
        rest /= 100;
    }
    if (count == 1) out[0] = static_cast<Char>('0' + rest);
}

// The number of digits of a number, 1 for 0, without a loop: with b the bit
// length of the number (of 1 for 0), t = floor(b * 1233 / 4096) is
// floor(b * log10(2)) for b up to 64 (1233 / 4096 lies 1.6e-5 below log10(2)),
// and a number of b bits has t or t + 1 digits: t + 1 exactly when it reaches
// 10^t.
inline int DecimalLength(std::uint64_t number) {
    const int t = ((64 - std::countl_zero(number | 1)) * 1233) >> 12;
    const int length = t + (number >= kPowersOfTen[t] ? 1 : 0);
    return length > 1 ? length : 1;
}

}  // namespace zelquin
