// The value reader's two paths from a text to its binary64, declared
// together: the chain (see conversion.h), which defines the result, and the
// fast path, which finds the chain's binary64 from one 128-bit product
// wherever it can prove it and leaves every other number to the chain.
// TextToDouble and ReadValueText scan the text once and take the fast path,
// falling back to the chain, through the inline forms that these two share
// with them (decimal_reading.cpp); these two scan the text themselves, as the
// reader does, for the differential tests that hold each path against the
// other.
#pragma once

#include <cstdint>
#include <string_view>

namespace zelquin {

// The fast path alone: true with the chain's binary64 where it can prove it,
// false where it leaves the number to the chain (its fallback band, and the
// numbers it does not cover) or where the text holds no number.
bool FastDecimalToDouble(std::u16string_view text, std::uint64_t& bits);

// The chain alone: the value text as a binary64 by the extended
// multiplications, never the fast path.
std::uint64_t ChainToDouble(std::u16string_view text);

}  // namespace zelquin
