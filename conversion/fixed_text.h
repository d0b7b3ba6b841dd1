// The fixed rendering's fast path, apart so that its fallback band can be
// tested: DoubleToFixedText (conversion.h) takes it first.
#pragma once

#include <cstdint>

namespace zelquin {

// The fixed text of a finite non-zero binary64 where one exact product, or
// none, proves it equal to rounding the seventeen digits: below 2^-21 in
// magnitude (no millionths); from 2^-11 to below 2^33, and from 2^-21 where
// the significand's lowest bits are zero (binary32s), outside the band around
// each half millionth or in whole millionths; integers from 2^33 to below
// 2^56; and integers from 2^56 to below 2^128 with 24 significant bits
// (binary32s) outside the band around each half unit of the seventeenth
// digit. Writes it at out, which holds kLongestValueText (a few units after
// the text may be overwritten), and returns its end; returns nullptr, having
// written nothing, elsewhere, where DoubleToFixedText goes through the
// seventeen digits.
char16_t* FastFixedText(std::uint64_t binary64Bits, char16_t* out);

// What DoubleToFixedText writes without the fast path: the text rounded from
// the seventeen digits. Its reference, for the differential tests.
char16_t* DoubleToFixedTextThroughDigits(std::uint64_t binary64Bits, char16_t* out);

}  // namespace zelquin
