// The plain forms that the tests, the fuzz targets and the benchmarks check
// the conversion core's fast forms against: the reading and the digit
// generation by the chains of extended multiplications alone, and the scan
// with its stored digits taken out of the text. And what only the checks ask
// of the core: the decimal exponent estimate of a binary64, and the length of
// the longest binary32 text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "decimal_reading.h"
#include "decimal_reading_paths.h"
#include "digit_generation.h"
#include "digit_generation_paths.h"

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

// The reader's scan (ReadValueText's record) of a text that does not start
// with white space, which the reader would skip.
ScanResult ScanDecimal(std::u16string_view text);

// The decimal exponent estimate that both paths of the digit generation start
// from, for a finite non-zero binary64: EstimateDecimalExponent of its binary
// exponent and its top eight bits.
int DecimalExponentEstimate(std::uint64_t binary64Bits);

// The longest fixed text of a binary32, widened to binary64: -3.4e38
// (0xff7fffff), a minus sign, 39 digits and ".000000".
inline constexpr std::size_t kLongestSingleValueText = 47;

}  // namespace zelquin
