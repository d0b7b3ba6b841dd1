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

#if defined(__SIZEOF_INT128__) && !defined(ZELQUIN_PORTABLE_WIDE_PRODUCTS)
#define ZELQUIN_WIDE_PRODUCTS_NATIVE 1
#else
#define ZELQUIN_WIDE_PRODUCTS_NATIVE 0
#endif

#if !ZELQUIN_WIDE_PRODUCTS_NATIVE
// The product of two 32-bit limbs: one multiplication on a 32-bit processor.
inline std::uint64_t MultiplyLimbs(std::uint32_t a, std::uint32_t b) {
    return static_cast<std::uint64_t>(a) * b;
}

inline std::uint32_t Low32(std::uint64_t x) { return static_cast<std::uint32_t>(x); }
inline std::uint32_t High32(std::uint64_t x) { return static_cast<std::uint32_t>(x >> 32); }
#endif

inline Wide128 Multiply64(std::uint64_t a, std::uint64_t b) {
#if ZELQUIN_WIDE_PRODUCTS_NATIVE
    __extension__ typedef unsigned __int128 Unsigned128;
    const Unsigned128 product = static_cast<Unsigned128>(a) * b;
    return Wide128{static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
#else
    const std::uint32_t a0 = Low32(a), a1 = High32(a), b0 = Low32(b), b1 = High32(b);
    const std::uint64_t lowLow = MultiplyLimbs(a0, b0);
    const std::uint64_t highLow = MultiplyLimbs(a1, b0);
    const std::uint64_t lowHigh = MultiplyLimbs(a0, b1);
    const std::uint64_t highHigh = MultiplyLimbs(a1, b1);
    const std::uint64_t middle = std::uint64_t{High32(lowLow)} + Low32(highLow) + Low32(lowHigh);
    return Wide128{highHigh + High32(highLow) + High32(lowHigh) + High32(middle),
                   (middle << 32) | Low32(lowLow)};
#endif
}

// floor(m * (high * 2^64 + low) / 2^64): the top 128 bits of the 192-bit
// product, exactly.
inline Wide128 Multiply64By128High(std::uint64_t m, std::uint64_t high, std::uint64_t low) {
#if ZELQUIN_WIDE_PRODUCTS_NATIVE
    const Wide128 upper = Multiply64(m, high);
    const std::uint64_t carried = Multiply64(m, low).high;
    const std::uint64_t sum = upper.low + carried;
    return Wide128{upper.high + (sum < carried ? 1 : 0), sum};
#else
    // Two limbs times four, column by column (32 bits each): the eight
    // products, the columns' low halves added up with the carry from the
    // column below, their high halves carried into the column above. Only
    // columns 2 to 5 are kept; the sums stay below 2^35.
    const std::uint32_t a0 = Low32(m), a1 = High32(m);
    const std::uint32_t b0 = Low32(low), b1 = High32(low), b2 = Low32(high), b3 = High32(high);
    if (a0 == 0) {
        // One limb times four, as a number of at most 32 significant bits
        // shifted to the top is: the four products, each column's sum below
        // 2^64, the same columns kept.
        std::uint64_t t = MultiplyLimbs(a1, b0) >> 32;
        t += MultiplyLimbs(a1, b1);
        const std::uint32_t c2 = Low32(t);
        t = (t >> 32) + MultiplyLimbs(a1, b2);
        const std::uint32_t c3 = Low32(t);
        t = (t >> 32) + MultiplyLimbs(a1, b3);
        return Wide128{t, (std::uint64_t{c3} << 32) | c2};
    }
    std::uint64_t p = MultiplyLimbs(a0, b0), q = 0;
    std::uint64_t column = High32(p);
    p = MultiplyLimbs(a0, b1);
    q = MultiplyLimbs(a1, b0);
    column += std::uint64_t{Low32(p)} + Low32(q);
    column = (column >> 32) + High32(p) + High32(q);
    p = MultiplyLimbs(a0, b2);
    q = MultiplyLimbs(a1, b1);
    column += std::uint64_t{Low32(p)} + Low32(q);
    const std::uint32_t r0 = Low32(column);
    column = (column >> 32) + High32(p) + High32(q);
    p = MultiplyLimbs(a0, b3);
    q = MultiplyLimbs(a1, b2);
    column += std::uint64_t{Low32(p)} + Low32(q);
    const std::uint32_t r1 = Low32(column);
    column = (column >> 32) + High32(p) + High32(q);
    p = MultiplyLimbs(a1, b3);
    column += Low32(p);
    const std::uint32_t r2 = Low32(column);
    const std::uint32_t r3 = Low32((column >> 32) + High32(p));
    return Wide128{(std::uint64_t{r3} << 32) | r2, (std::uint64_t{r1} << 32) | r0};
#endif
}

// a * (high * 2^32 + low), below 2^128 exactly: a 32-bit factor times the top
// 96 bits of a 128-bit power of ten, three 32-bit products where the 64-bit
// ones are emulated.
inline Wide128 Multiply32By96(std::uint32_t a, std::uint64_t high, std::uint32_t low) {
#if ZELQUIN_WIDE_PRODUCTS_NATIVE
    const Wide128 upper = Multiply64(a, high);           // below 2^96
    const std::uint64_t lower = std::uint64_t{a} * low;  // below 2^64
    const std::uint64_t sum = (upper.low << 32) + lower;
    return Wide128{((upper.high << 32) | (upper.low >> 32)) + (sum < lower ? 1 : 0), sum};
#else
    // Columns of 32 bits; each sum stays below 2^34.
    const std::uint64_t p0 = MultiplyLimbs(a, low);
    const std::uint64_t p1 = MultiplyLimbs(a, Low32(high));
    const std::uint64_t p2 = MultiplyLimbs(a, High32(high));
    const std::uint64_t column1 = std::uint64_t{High32(p0)} + Low32(p1);
    const std::uint64_t column2 = (column1 >> 32) + High32(p1) + Low32(p2);
    const std::uint32_t r3 = Low32((column2 >> 32) + High32(p2));
    return Wide128{(std::uint64_t{r3} << 32) | Low32(column2), (column1 << 32) | Low32(p0)};
#endif
}

// floor(x / 10) and floor(x / 100) for any 64-bit x, and floor(x / 10^8):
// where 64-bit products are native the compiler turns the division by a
// constant into a product itself; elsewhere it would call a library routine
// for it, so the product by the reciprocal is written out: floor(x * M / 2^s)
// with M = ceil(2^s / d) is exact when M * d - 2^s <= 2^(s - bits of x).
inline std::uint64_t DivideBy10(std::uint64_t x) {
#if ZELQUIN_WIDE_PRODUCTS_NATIVE
    return x / 10;
#else
    return Multiply64(x, 0xCCCCCCCCCCCCCCCDu).high >> 3;  // M = ceil(2^67 / 10)
#endif
}

inline std::uint64_t DivideBy100(std::uint64_t x) {
#if ZELQUIN_WIDE_PRODUCTS_NATIVE
    return x / 100;
#else
    // x / 100 = (x / 4) / 25, x / 4 below 2^62: M = ceil(2^67 / 25).
    return Multiply64(x >> 2, 0x51EB851EB851EB86u).high >> 3;
#endif
}

inline std::uint64_t DivideBy100000000(std::uint64_t x) {
#if ZELQUIN_WIDE_PRODUCTS_NATIVE
    return x / 100000000u;
#else
    // x / 10^8 = (x / 2^8) / 5^8, x / 2^8 below 2^56: M = ceil(2^75 / 5^8).
    return Multiply64(x >> 8, 0x015798EE2308C39Eu).high >> 11;
#endif
}

}  // namespace zelquin
