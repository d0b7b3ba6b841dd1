// Hexadecimal texts of bit patterns: "0" for zero, otherwise "0x" and
// lower-case digits without leading zeros.
#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

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

// The eight digits of a 32-bit half, leading zeros included: four copies of
// two units, with shifts by constants, which a 32-bit processor does in one
// instruction each (a 64-bit value shifted by a variable count takes it
// dozens).
inline void WriteEightDigits(std::uint32_t half, char16_t* digits) {
    std::memcpy(digits, kHexPairs[half >> 24].units, sizeof(DigitPair));
    std::memcpy(digits + 2, kHexPairs[(half >> 16) & 0xFF].units, sizeof(DigitPair));
    std::memcpy(digits + 4, kHexPairs[(half >> 8) & 0xFF].units, sizeof(DigitPair));
    std::memcpy(digits + 6, kHexPairs[half & 0xFF].units, sizeof(DigitPair));
}

// All sixteen digits of a 64-bit pattern, leading zeros included. With SSE2 on
// x86-64 they are made in two registers: the bytes from the most significant,
// each split into its two nibbles, a nibble above 9 moved from '9' + 1 to
// 'a', and the bytes widened to UTF-16 units. Elsewhere, from the two 32-bit
// halves.
inline void WriteSixteenDigits(std::uint64_t pattern, char16_t* digits) {
#if defined(__SSE2__) && defined(__x86_64__)
    const __m128i bytes = _mm_cvtsi64_si128(static_cast<long long>(__builtin_bswap64(pattern)));
    const __m128i nibbleMask = _mm_set1_epi8(0x0F);
    const __m128i nibbles = _mm_unpacklo_epi8(_mm_and_si128(_mm_srli_epi16(bytes, 4), nibbleMask),
                                              _mm_and_si128(bytes, nibbleMask));
    const __m128i letters =
        _mm_and_si128(_mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9)), _mm_set1_epi8('a' - '9' - 1));
    const __m128i text = _mm_add_epi8(_mm_add_epi8(nibbles, _mm_set1_epi8('0')), letters);
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(digits), _mm_unpacklo_epi8(text, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(digits + 8), _mm_unpackhi_epi8(text, zero));
#else
    WriteEightDigits(static_cast<std::uint32_t>(pattern >> 32), digits);
    WriteEightDigits(static_cast<std::uint32_t>(pattern), digits + 8);
#endif
}

// "0x" and the last `count` (1 to 16) of the sixteen digits, written with a
// few copies of fixed size: two of eight units for eight digits or more (they
// overlap where there are fewer than sixteen), two of four for four to seven.
inline char16_t* WriteLast(const char16_t* digits, int count, char16_t* out) {
    out[0] = u'0';
    out[1] = u'x';
    char16_t* const text = out + 2;
    const char16_t* const first = digits + 16 - count;
    if (count >= 8) {
        std::memcpy(text, first, 8 * sizeof(char16_t));
        std::memcpy(text + count - 8, digits + 8, 8 * sizeof(char16_t));
    } else if (count >= 4) {
        std::memcpy(text, first, 4 * sizeof(char16_t));
        std::memcpy(text + count - 4, digits + 12, 4 * sizeof(char16_t));
    } else {
        for (int i = 0; i < count; ++i) text[i] = first[i];
    }
    return text + count;
}

}  // namespace

char16_t* UInt64ToHexText(std::uint64_t pattern, char16_t* out) {
    if (pattern == 0) {
        *out = u'0';
        return out + 1;
    }
    char16_t digits[16];
    const std::uint32_t high = static_cast<std::uint32_t>(pattern >> 32);
    const std::uint32_t low = static_cast<std::uint32_t>(pattern);
    WriteSixteenDigits(pattern, digits);
    const int count = high != 0 ? 16 - std::countl_zero(high) / 4 : 8 - std::countl_zero(low) / 4;
    return WriteLast(digits, count, out);
}

char16_t* UInt32ToHexText(std::uint32_t pattern, char16_t* out) {
    if (pattern == 0) {
        *out = u'0';
        return out + 1;
    }
    char16_t digits[16];
    WriteEightDigits(pattern, digits + 8);
    return WriteLast(digits, 8 - std::countl_zero(pattern) / 4, out);
}

}  // namespace zelquin
