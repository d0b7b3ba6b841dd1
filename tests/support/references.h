// The plain forms that the tests, the fuzz targets and the benchmarks check
// the conversion core's fast forms against: the reading and the digit
// generation by the chains of extended multiplications alone, and the scan
// with its stored digits taken out of the text.
#pragma once

#include <cstdint>
#include <string_view>

#include "decimal_reading.h"
#include "digit_generation.h"

namespace zelquin {

// The value text as a binary64 by the chain alone, never the fast path.
std::uint64_t TextToDoubleReference(std::u16string_view text);

// DoubleToDigits by the chain alone, never the fast path.
DecimalDigits DoubleToDigitsReference(std::uint64_t binary64Bits);

// What the scanner found, with the stored significant digits as values: the
// power of ten that makes them the number before its exponent part, and the
// exponent part (0 to 5201, capped) with its sign.
struct ScanResult {
    bool negative;
    bool digitSeen;
    int digitCount;  // 0 to 25
    std::uint8_t digits[kMaxStoredDigits];
    // The first min(digitCount, 19) stored digits read as an integer.
    std::uint64_t significand;
    int exponentAdjustment;
    int exponentValue;
    bool exponentNegative;
};

// The scan of the text from its start (the reader skips white space first).
ScanResult ScanDecimal(std::u16string_view text);

}  // namespace zelquin
