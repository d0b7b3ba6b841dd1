// The value reader's paths from a text to its binary64, declared together:
// the chain (see conversion.h), which defines the result; the fast path,
// which finds the chain's binary64 from one 128-bit product wherever it can
// prove it and leaves every other number to the chain; and the plain path,
// which reads a text of the common form (sign, at most 19 significant digits
// with a point, an exponent of at most four digits) without the scan's record
// and gives it to the fast path. ReadValueText scans the text once and takes
// the fast path, falling back to the chain; TextToDouble and
// ValueToPatternText, which need only the binary64, try the plain path first.
// These scan the text themselves, through the inline forms that they share
// with the reader (decimal_reading.cpp), for the differential tests that hold
// each path against the others.
#pragma once

#include <cstdint>
#include <string_view>

namespace zelquin {

// The fast path alone: true with the chain's binary64 where it can prove it,
// false where it leaves the number to the chain (its fallback band, and the
// numbers it does not cover) or where the text holds no number.
bool FastDecimalToDouble(std::u16string_view text, std::uint64_t& bits);

// The plain path alone: true with the reader's binary64 where the text is of
// the common form and the fast path decides its number, false where it leaves
// the text to the scan.
bool PlainDecimalToDouble(std::u16string_view text, std::uint64_t& bits);

// The chain alone: the value text as a binary64 by the extended
// multiplications, never the fast path.
std::uint64_t ChainToDouble(std::u16string_view text);

}  // namespace zelquin
