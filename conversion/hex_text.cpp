// Hexadecimal texts of bit patterns: "0" for zero, otherwise "0x" and
// lower-case digits without leading zeros.
#include <bit>

#include "conversion.h"

namespace zelquin {

std::u16string UInt64ToHexText(std::uint64_t pattern) {
    if (pattern == 0) return u"0";
    constexpr char16_t kDigits[] = u"0123456789abcdef";
    const int digitCount = (64 - std::countl_zero(pattern) + 3) / 4;
    // Written from the back into a buffer, then copied once into the string.
    char16_t text[18] = {u'0', u'x'};
    for (int i = digitCount + 1; i >= 2; --i) {
        text[i] = kDigits[pattern & 0xF];
        pattern >>= 4;
    }
    return std::u16string(text, static_cast<std::size_t>(digitCount) + 2);
}

std::u16string UInt32ToHexText(std::uint32_t pattern) { return UInt64ToHexText(pattern); }

}  // namespace zelquin
