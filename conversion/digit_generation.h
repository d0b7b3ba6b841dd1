// Seventeen significant decimal digits of a binary64, as the fixed rendering
// uses them: the chain of extended multiplications that decides them, and a
// fast path that finds the chain's result from one 128-bit product whenever it
// can prove it (declared together in digit_generation_paths.h).
#pragma once

#include <cstdint>

namespace zelquin {

// value = 0.d1d2...dn * 10^exponent. For infinities and NaNs the digit text is
// "1#INF", "1#IND", "1#QNAN" or "1#SNAN" and the exponent is 1. Zero has the
// digit text "0", exponent 0 and the negative flag clear.
struct DecimalDigits {
    bool negative;
    int exponent;
    char digits[17];  // not NUL-terminated
    int length;       // 1 to 17
};

// The digits, found by the fast path where it holds and by the chain
// otherwise.
DecimalDigits DoubleToDigits(std::uint64_t binary64Bits);

// The digits of DoubleToDigits for a finite non-zero binary64 as one integer,
// trailing zeros kept: the value is digits * 10^(exponent - 17), with digits
// from 10^16 to 10^17 - 1.
struct SeventeenDigits {
    bool negative;
    int exponent;
    std::uint64_t digits;
};
SeventeenDigits FiniteToSeventeenDigits(std::uint64_t binary64Bits);

// The digit text of DoubleToDigits: the seventeen digits without their
// trailing zeros.
DecimalDigits DigitTextOf(const SeventeenDigits& digits);

}  // namespace zelquin
