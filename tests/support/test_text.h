// Texts for the messages of the tests and the long checks: a bit pattern in
// hexadecimal, a UTF-16 text with every unit outside printable ASCII written
// as \uXXXX, and the comparison of two digit results.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "digit_generation.h"

namespace zelquin::test_text {

inline std::string Hex(std::uint64_t bits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(bits));
    return text;
}

inline std::string Printable(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != u'\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            out += escape;
        }
    }
    return out;
}

// The same sign, decimal exponent and digit text.
inline bool SameDigits(const DecimalDigits& a, const DecimalDigits& b) {
    return a.negative == b.negative && a.exponent == b.exponent && a.length == b.length &&
           std::memcmp(a.digits, b.digits, static_cast<std::size_t>(a.length)) == 0;
}

}  // namespace zelquin::test_text
