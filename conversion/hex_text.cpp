// Hexadecimal texts of bit patterns: "0" for zero, otherwise "0x" and
// lower-case digits without leading zeros.
#include <bit>

#include "conversion.h"

namespace zelquin {

char16_t* UInt64ToHexText(std::uint64_t pattern, char16_t* out) {
    if (pattern == 0) {
        *out = u'0';
        return out + 1;
    }
    constexpr char16_t kDigits[] = u"0123456789abcdef";
    const int digitCount = (64 - std::countl_zero(pattern) + 3) / 4;
    out[0] = u'0';
    out[1] = u'x';
    char16_t* const end = out + 2 + digitCount;
    for (char16_t* p = end - 1; p >= out + 2; --p) {
        *p = kDigits[pattern & 0xF];
        pattern >>= 4;
    }
    return end;
}

char16_t* UInt32ToHexText(std::uint32_t pattern, char16_t* out) { return UInt64ToHexText(pattern, out); }

}  // namespace zelquin
