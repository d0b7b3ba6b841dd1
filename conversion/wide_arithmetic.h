// Unsigned integer products wider than 64 bits, computed the same way on
// every target: with the compiler's 128-bit integers where they exist, and
// from four 32-bit products elsewhere (32-bit x86). Defining
// ZELQUIN_PORTABLE_WIDE_PRODUCTS selects the 32-bit products everywhere, so
// that a native build can test the path the 32-bit build takes.
#pragma once

#include <cstdint>

namespace zelquin {

struct Wide128 {
    std::uint64_t high;
    std::uint64_t low;
};

inline Wide128 Multiply64(std::uint64_t a, std::uint64_t b) {
#if defined(__SIZEOF_INT128__) && !defined(ZELQUIN_PORTABLE_WIDE_PRODUCTS)
    __extension__ typedef unsigned __int128 Unsigned128;
    const Unsigned128 product = static_cast<Unsigned128>(a) * b;
    return Wide128{static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
#else
    const std::uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32;
    const std::uint64_t bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
    const std::uint64_t lowLow = aLow * bLow;
    const std::uint64_t highLow = aHigh * bLow;
    const std::uint64_t lowHigh = aLow * bHigh;
    const std::uint64_t highHigh = aHigh * bHigh;
    const std::uint64_t middle = (lowLow >> 32) + (highLow & 0xFFFFFFFFu) + (lowHigh & 0xFFFFFFFFu);
    return Wide128{highHigh + (highLow >> 32) + (lowHigh >> 32) + (middle >> 32),
                   (middle << 32) | (lowLow & 0xFFFFFFFFu)};
#endif
}

// floor(m * (high * 2^64 + low) / 2^64): the top 128 bits of the 192-bit
// product, exactly.
inline Wide128 Multiply64By128High(std::uint64_t m, std::uint64_t high, std::uint64_t low) {
    const Wide128 upper = Multiply64(m, high);
    const std::uint64_t carried = Multiply64(m, low).high;
    const std::uint64_t sum = upper.low + carried;
    return Wide128{upper.high + (sum < carried ? 1 : 0), sum};
}

}  // namespace zelquin
