// Hexadecimal texts of bit patterns: "0" for zero, otherwise "0x" and
// lower-case digits without leading zeros.
#include <array>
#include <bit>
#include <cstring>

#include "conversion.h"

namespace zelquin {
namespace {

constexpr char16_t kHexDigits[] = u"0123456789abcdef";

// The two hexadecimal digits of every byte, so that a byte is written by one
// copy of two units.
struct DigitPair {
    char16_t units[2];
};
constexpr std::array<DigitPair, 256> kHexPairs = [] {
    std::array<DigitPair, 256> pairs{};
    for (unsigned byte = 0; byte < 256; ++byte)
        pairs[byte] = DigitPair{{kHexDigits[byte >> 4], kHexDigits[byte & 0xF]}};
    return pairs;
}();

}  // namespace

char16_t* UInt64ToHexText(std::uint64_t pattern, char16_t* out) {
    if (pattern == 0) {
        *out = u'0';
        return out + 1;
    }
    out[0] = u'0';
    out[1] = u'x';
    char16_t* p = out + 2;
    int nibbles = (64 - std::countl_zero(pattern) + 3) / 4;
    if (nibbles % 2 != 0) {
        --nibbles;
        *p++ = kHexDigits[(pattern >> (4 * nibbles)) & 0xF];
    }
    for (int shift = 4 * nibbles - 8; shift >= 0; shift -= 8) {
        std::memcpy(p, kHexPairs[(pattern >> shift) & 0xFF].units, sizeof(DigitPair));
        p += 2;
    }
    return p;
}

char16_t* UInt32ToHexText(std::uint32_t pattern, char16_t* out) {
    return UInt64ToHexText(pattern, out);
}

}  // namespace zelquin
