// The forms of the texts the conversions produce, checked character by
// character; shared by the fuzz targets and the binary32 sweep. Each check
// returns nullptr for a text of the right form, otherwise what is wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "binary_format.h"
#include "test_text.h"

namespace zelquin::check {

inline bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A value text: "-?[0-9]+\.[0-9]{6}" without a leading zero before the point
// (other than a lone "0") and with no non-zero digit after the seventeenth
// significant one, or a special text with an optional "-". At most limit
// characters.
inline const char* ValueTextFault(std::u16string_view text, std::size_t limit) {
    if (text.size() > limit) return "value text longer than its limit";
    std::u16string_view body = text;
    if (!body.empty() && body[0] == u'-') body.remove_prefix(1);
    if (body == u"1.#INF00" || body == u"1.#IND00" || body == u"1.#QNAN0" || body == u"1.#SNAN0") {
        return nullptr;
    }
    const std::size_t point = body.find(u'.');
    if (point == std::u16string_view::npos) return "value text without a point";
    if (point == 0) return "value text without a digit before the point";
    if (body.size() - point - 1 != 6) return "value text without exactly six decimals";
    if (point > 1 && body[0] == u'0') return "value text with a leading zero";
    int significant = 0;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (i == point) continue;
        const char16_t c = body[i];
        if (!IsAsciiDigit(c)) return "value text with a character that is not a digit";
        if (significant > 0 || c != u'0') ++significant;
        if (significant > 17 && c != u'0')
            return "value text with more than seventeen significant digits";
    }
    return nullptr;
}

// A pattern text: "0", or "0x" and lower-case hexadecimal digits without a
// leading zero. At most limit characters.
inline const char* PatternTextFault(std::u16string_view text, std::size_t limit) {
    if (text.size() > limit) return "pattern text longer than its limit";
    if (text == u"0") return nullptr;
    if (text.size() < 3 || text[0] != u'0' || text[1] != u'x')
        return "pattern text without \"0x\" and a digit";
    if (text[2] == u'0') return "pattern text with a leading zero";
    for (std::size_t i = 2; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (!IsAsciiDigit(c) && !(c >= u'a' && c <= u'f'))
            return "pattern text with a character that is not a hexadecimal digit";
    }
    return nullptr;
}

// The special text of a binary64 that is an infinity or a NaN, as the fixed
// rendering shows it; nullptr for a finite number.
inline const char16_t* SpecialText(std::uint64_t bits) {
    const bool negative = (bits & kBinary64.SignBit()) != 0;
    switch (Classify(bits, kBinary64)) {
        case NumberClass::Infinity:
            return negative ? u"-1.#INF00" : u"1.#INF00";
        case NumberClass::SignallingNaN:
            return negative ? u"-1.#SNAN0" : u"1.#SNAN0";
        case NumberClass::IndefiniteNaN:
            return u"-1.#IND00";
        case NumberClass::QuietNaN:
            return negative ? u"-1.#QNAN0" : u"1.#QNAN0";
        default:
            return nullptr;
    }
}

using test_text::Printable;

}  // namespace zelquin::check
