// The texts of the formats of the registry: a pattern text read as an integer
// of the format's width, a value text read as the number it writes exactly
// (a decimal as the value field reads one, or a hexadecimal float), and a
// pattern written as a hexadecimal float.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "big_unsigned.h"
#include "conversion.h"
#include "format_rounding.h"
#include "formats.h"
#include "typed_number.h"

namespace zelquin::explain {

// A pattern text read as the pattern field reads one (white space, an
// optional sign, "0x"/"0X" after a zero digit for base 16, a leading zero for
// base 8, decimal otherwise; digits of the 18 Unicode digit ranges, ASCII
// letters as the digits above 9), with "0b"/"0B" after a zero digit for base
// 2 and as many digits as the format's width takes: a number wider than that
// is refused. A negative number is negated modulo 2^width.
struct FormatPatternReading {
    // Units numberStart up to numberEnd hold the sign, the prefix and the
    // digits; digitsStart is the first digit. Without a digit all three are
    // the position after the white space.
    std::size_t numberStart = 0;
    std::size_t digitsStart = 0;
    std::size_t numberEnd = 0;
    unsigned base = 10;
    bool negative = false;
    bool digitSeen = false;  // false: there is no number, the pattern is 0
    bool wrapped = false;    // a negative number other than 0, negated modulo 2^width
    bool textAfter = false;  // units follow the number
    bool refused = false;    // wider than the format: the pattern is 0
    std::string message;     // why it was refused: "0x1ff is wider than float8_e4m3fn's 8 bits"
    Bits128 bits;
};

FormatPatternReading ReadFormatPattern(std::u16string_view text, const FloatFormat& format);

// A value text read as the number it writes, exactly: after white space and
// an optional sign, a hexadecimal float ("0x" or "0X", hexadecimal digits with
// at most one point and at least one digit, then "p" or "P" with an optional
// sign and decimal digits for a power of two, which counts only when a digit
// follows), or else the value field's decimal with every digit typed and its
// exponent as typed. Text after the number is ignored. A binary exponent
// beyond 10^9 counts as 10^9, which is beyond every format's range.
struct FormatValueReading {
    bool hexFloat = false;
    std::size_t numberStart = 0;  // after the white space
    std::size_t numberEnd = 0;
    bool digitSeen = false;  // false: there is no number, it reads as +0
    bool textAfter = false;
    // The decimal: the value field reader's record and every digit typed.
    DecimalReading decimal{};
    TypedDecimal typed;
    // The number written; a hexadecimal float is (-1)^negative *
    // number.significand * 2^number.twos.
    ExactNumber number;
};

FormatValueReading ReadFormatValue(std::u16string_view text);

// C's hexadecimal form of a finite pattern: "0x1.99999ap-4" for a normal
// number (the fraction in whole hexadecimal digits, trailing zero digits
// dropped, no point without any), "0x0.8p-14" for a subnormal (with the
// smallest normal exponent), "0x0p+0" and "-0x0p+0" for the zeros; X87 writes
// its integer bit as the digit before the point (an unnormal "0x0.8p+1"). None
// for infinities and NaNs.
std::optional<std::string> HexFloatText(const FloatFormat& format, Bits128 bits);

}  // namespace zelquin::explain
