// The fixed text built character by character from the digit text, as its
// rule reads: keep K + 6 characters, round on the next one, carry through
// nines, then place the point. The reference that the rendering, which works
// on the digits as one integer, is checked against.
#pragma once

#include <cstdint>
#include <string>

#include "digit_generation.h"

namespace zelquin::reference {

inline std::u16string FixedText(DecimalDigits d) {
    std::u16string text;
    int k = d.exponent;

    // Keep n = K + 6 characters of the digit text (zeros beyond its end) and
    // round them up when the character after them is a digit 5 to 9. A carry
    // out of the first character, or a round-up of nothing (n = 0), leaves
    // "1" and raises K.
    const int n = k + 6;
    int kept = 0;
    if (n >= 0) {
        kept = n < d.length ? n : d.length;
        if (n < d.length && d.digits[n] >= '5' && d.digits[n] <= '9') {
            int i = n - 1;
            while (i >= 0 && d.digits[i] == '9') --i;
            if (i >= 0) {
                ++d.digits[i];
                kept = i + 1;  // the nines after it became zeros
            } else {
                d.digits[0] = '1';
                kept = 1;
                ++k;
            }
        }
    }
    // The characters in order: the kept ones, then zeros.
    if (d.negative) text += u'-';
    const auto put = [&](int from, int to) {  // characters from..to-1
        int i = from;
        for (; i < to && i < kept; ++i) text += static_cast<char16_t>(d.digits[i]);
        for (; i < to; ++i) text += u'0';
    };
    if (k > 0) {
        put(0, k);
        text += u'.';
        put(k, k + 6);
    } else {
        // K <= 0: "0.", then -K zeros (six at most), then the kept characters.
        text += u"0.";
        const int zeros = -k < 6 ? -k : 6;
        text.append(static_cast<std::size_t>(zeros), u'0');
        put(0, 6 - zeros);
    }
    return text;
}

}  // namespace zelquin::reference
