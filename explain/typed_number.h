// What a field's text stands for as typed, before the core's readers round or
// cut it: the decimal with every digit typed and its exponent as typed, and the
// integer with what its reader drops or wraps. Each follows its reader's
// grammar; the tests run one table of texts through both readers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "exact_decimal.h"

namespace zelquin::explain {

// The number a value field text stands for: the longest prefix that the decimal
// reader takes as a number (white space first, then a sign, digits with at
// most one point, and an exponent part with "e", "E", "d" or "D" when digits
// follow it).
struct TypedDecimal {
    bool numberFound = false;  // false: no number at the start, it reads as 0
    bool textAfter = false;    // the text goes on after the number
    Decimal value;             // value.scale is not held when hugeExponent is set
    // The exponent part has more than fifteen digits: the number is then shown
    // in scientific notation with this exponent (decimal digits).
    bool hugeExponent = false;
    bool scientificExponentNegative = false;
    std::string scientificExponent;
};

TypedDecimal ReadTypedDecimal(std::u16string_view text);

// The typed number as FormatDecimal writes it, also for a huge exponent.
std::string FormatTyped(const TypedDecimal& typed, bool explicitPlus = false);

// The integer a pattern field text stands for: white space, a sign, the base
// from the text ("0x" after any zero digit: 16; another leading zero: 8;
// otherwise 10) and the digits of that base up to the first unit that is not
// one.
struct TypedInteger {
    bool numberFound = false;     // a digit counted; otherwise the text reads as 0
    bool textAfter = false;       // the text goes on after the number
    bool negative = false;        // a "-" sign, which negates modulo 2^64
    bool overflowed = false;      // the digits' value exceeds 2^64 - 1: all ones
    std::uint64_t magnitude = 0;  // the digits' value, unless overflowed
};

TypedInteger ReadTypedInteger(std::u16string_view text);

// The unsigned 64-bit integer the reader makes of it.
std::uint64_t IntegerRead(const TypedInteger& typed);

}  // namespace zelquin::explain
