// The fixed rendering with six decimals, from the seventeen significant digits.
#include "conversion.h"
#include "decimal_integers.h"
#include "digit_generation.h"

namespace zelquin {
namespace {

constexpr std::uint64_t kMillion = kPowersOfTen[6];

// Fills count units with '0' and returns their end.
char16_t* Zeros(char16_t* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = u'0';
    return out + count;
}

// "1#INF" and the other special digit texts give "1.#INF00": the first
// character, the point, and the rest filled with zeros to six decimals.
char16_t* SpecialText(const DecimalDigits& d, char16_t* out) {
    if (d.negative) *out++ = u'-';
    *out++ = static_cast<char16_t>(d.digits[0]);
    *out++ = u'.';
    for (int i = 1; i < d.length; ++i) *out++ = static_cast<char16_t>(d.digits[i]);
    return Zeros(out, 7 - d.length);
}

}  // namespace

// The text keeps n = K + 6 digits of the digit text (zeros beyond it) and
// rounds them up when the digit after them is 5 to 9; a carry out of the first
// digit, or a round-up of nothing (n = 0), leaves "1" and raises K. With the
// seventeen digits as the integer D (trailing zeros kept), that is the number
// V of millionths shown:
//   - K >= 11: every digit is kept, V = D * 10^(K - 11);
//   - -6 <= K <= 10: V = (D + 5 * 10^(10 - K)) / 10^(11 - K), integer division:
//     the 5 added carries into the kept digits exactly when the digit after
//     them is 5 or more, whatever follows it, and a carry out of the first
//     digit simply lengthens V;
//   - K < -6: nothing is kept, V = 0.
// The text is V with the point six digits from its end and at least one digit
// before it, behind "-" for a negative number (also when V is 0).
char16_t* DoubleToFixedText(std::uint64_t binary64Bits, char16_t* out) {
    switch (Classify(binary64Bits, kBinary64)) {
        case NumberClass::Zero:  // either sign: "0.000000"
            out[0] = u'0';
            out[1] = u'.';
            return Zeros(out + 2, 6);
        case NumberClass::Normal:
        case NumberClass::Subnormal:
            break;
        default:
            return SpecialText(DoubleToDigits(binary64Bits), out);
    }
    const SeventeenDigits d = FiniteToSeventeenDigits(binary64Bits);
    if (d.negative) *out++ = u'-';
    const int k = d.exponent;

    if (k >= 17) {
        // The seventeen digits, zeros to the point, and six zero decimals.
        WriteDigits(d.digits, 17, out);
        out = Zeros(out + 17, k - 17);
        *out++ = u'.';
        return Zeros(out, 6);
    }
    if (k >= 11) {
        // The point falls within the digits; the decimals after them are zeros.
        const std::uint64_t scale = kPowersOfTen[17 - k];
        WriteDigits(d.digits / scale, k, out);
        out[k] = u'.';
        WriteDigits((d.digits % scale) * kPowersOfTen[k - 11], 6, out + k + 1);
        return out + k + 7;
    }
    std::uint64_t millionths = 0;
    if (k >= -6) millionths = (d.digits + 5 * kPowersOfTen[10 - k]) / kPowersOfTen[11 - k];
    const std::uint64_t integer = millionths / kMillion;
    const int integerLength = DecimalLength(integer);
    WriteDigits(integer, integerLength, out);
    out[integerLength] = u'.';
    WriteDigits(millionths % kMillion, 6, out + integerLength + 1);
    return out + integerLength + 7;
}

}  // namespace zelquin
