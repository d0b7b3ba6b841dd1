// The subtraction of exact decimals in big integers: the reference that the
// explanation's subtraction digit by digit (Subtract, exact_decimal.h) is
// checked against.
#pragma once

#include <cassert>
#include <cstdint>

#include "big_unsigned.h"
#include "exact_decimal.h"

namespace zelquin::explain {

// a - b, exactly, under Subtract's conditions: the scales within
// kMaxScaleDistance of each other unless one of the numbers is zero; a zero
// difference is +0.
inline Decimal SubtractReference(const Decimal& a, const Decimal& b) {
    using exact::BigUnsigned;
    if (b.digits.empty()) return a.digits.empty() ? Decimal{} : a;
    Decimal minusB = b;
    minusB.negative = !b.negative;
    if (a.digits.empty()) return minusB;

    // Both on the smaller scale.
    assert(a.scale - b.scale <= kMaxScaleDistance && b.scale - a.scale <= kMaxScaleDistance);
    const std::int64_t scale = a.scale < b.scale ? a.scale : b.scale;
    BigUnsigned x = BigUnsigned::FromDecimal(a.digits);
    BigUnsigned y = BigUnsigned::FromDecimal(b.digits);
    const auto timesPowerOfTen = [](BigUnsigned& z, std::int64_t n) {
        for (; n >= 9; n -= 9) z *= 1000000000u;
        for (; n > 0; --n) z *= 10u;
    };
    timesPowerOfTen(x, a.scale - scale);
    timesPowerOfTen(y, b.scale - scale);

    // The difference of the magnitudes with its sign, trailing zeros moved
    // into the scale.
    bool negative = a.negative;
    BigUnsigned magnitude;
    if (a.negative != b.negative) {
        magnitude = x + y;
    } else if (x >= y) {
        magnitude = x - y;
    } else {
        magnitude = y - x;
        negative = !a.negative;
    }
    Decimal result;
    if (magnitude.IsZero()) return result;
    result.negative = negative;
    result.digits = magnitude.ToDecimal();
    std::size_t end = result.digits.size();
    while (result.digits[end - 1] == '0') --end;
    result.scale = scale + static_cast<std::int64_t>(result.digits.size() - end);
    result.digits.resize(end);
    return result;
}

}  // namespace zelquin::explain
