// The fixed rendering with six decimals, from the seventeen significant digits.
#include <array>
#include <cstring>

#include "conversion.h"
#include "decimal_integers.h"
#include "digit_generation.h"
#include "wide_arithmetic.h"

namespace zelquin {
namespace {

constexpr std::uint64_t kMillion = kPowersOfTen[6];

// Division by 10^j (j = 1 to 17) of a number below 2^58 as a multiplication:
// floor(x / d) = floor(x * M / 2^s) with M = ceil(2^s / d), exactly, when
// M * d - 2^s, which is below d, is at most 2^(s - 58): so s = 58 +
// ceil(log2 d), or 64 where that is less, and M stays below 2^64. A 64-bit
// division by a divisor only known at run time takes tens of cycles (and a
// library call on a 32-bit processor); the product takes a few.
struct Reciprocal {
    std::uint64_t multiplier;
    int shift;  // s - 64, 0 to 51
};

constexpr int kDividendBits = 58;

constexpr std::array<Reciprocal, 18> kReciprocals = [] {
    std::array<Reciprocal, 18> table{};
    for (int j = 1; j < 18; ++j) {
        const std::uint64_t d = kPowersOfTen[j];
        int log2d = 0;
        while ((std::uint64_t{1} << log2d) < d) ++log2d;
        const int s = kDividendBits + log2d > 64 ? kDividendBits + log2d : 64;
        // 2^s = q * d + r, one doubling at a time.
        std::uint64_t q = 0, r = 1;
        for (int i = 0; i < s; ++i) {
            q *= 2;
            r *= 2;
            if (r >= d) {
                r -= d;
                ++q;
            }
        }
        table[static_cast<std::size_t>(j)] = Reciprocal{q + (r != 0 ? 1 : 0), s - 64};
    }
    return table;
}();

// floor(x / 10^j) for x below 2^58.
inline std::uint64_t DivideByPowerOfTen(std::uint64_t x, int j) {
    const Reciprocal& r = kReciprocals[static_cast<std::size_t>(j)];
    return Multiply64(x, r.multiplier).high >> r.shift;
}

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

// Copies the last `count` (1 to 11) of the eleven units before `end`, with a
// few copies of fixed size that overlap where there are fewer.
inline void CopyLast(const char16_t* end, int count, char16_t* out) {
    const auto copy = [](char16_t* to, const char16_t* from, std::size_t units) {
        std::memcpy(to, from, units * sizeof(char16_t));
    };
    if (count >= 8) {
        copy(out, end - count, 8);
        copy(out + count - 8, end - 8, 8);
    } else if (count >= 4) {
        copy(out, end - count, 4);
        copy(out + count - 4, end - 4, 4);
    } else if (count >= 2) {
        copy(out, end - count, 2);
        copy(out + count - 2, end - 2, 2);
    } else {
        out[0] = end[-1];
    }
}

// The text of V millionths for -6 <= K <= 10, where V lies below 10^(K + 6)
// for K >= 1 (or 10^6), or reaches it by a carry: the integer part has
// max(K, 1) digits, one more after a carry. V's seventeen digits are written
// at fixed places, two halves of eight digits and one more, and the text
// copied from them: no loop and no branch on the digits themselves.
char16_t* MillionthsText(std::uint64_t millionths, int k, char16_t* out) {
    const int least = k > 1 ? k : 1;
    const int integerLength =
        least + (millionths >= kPowersOfTen[least] * kMillion ? 1 : 0);  // 1 to 11
    const std::uint64_t upper = DivideByPowerOfTen(millionths, 8);       // below 10^9
    const std::uint32_t top = static_cast<std::uint32_t>(upper) / 100000000u;
    char16_t digits[17];
    digits[0] = static_cast<char16_t>(u'0' + top);
    WriteEightDigits(static_cast<std::uint32_t>(upper - top * std::uint64_t{100000000}),
                     digits + 1);
    WriteEightDigits(static_cast<std::uint32_t>(millionths - upper * 100000000u), digits + 9);
    CopyLast(digits + 11, integerLength, out);
    out[integerLength] = u'.';
    std::memcpy(out + integerLength + 1, digits + 11, 6 * sizeof(char16_t));
    return out + integerLength + 7;
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
        const std::uint64_t upper = DivideByPowerOfTen(d.digits, 17 - k);
        WriteDigits(upper, k, out);
        out[k] = u'.';
        WriteDigits((d.digits - upper * kPowersOfTen[17 - k]) * kPowersOfTen[k - 11], 6,
                    out + k + 1);
        return out + k + 7;
    }
    std::uint64_t millionths = 0;
    if (k >= -6) millionths = DivideByPowerOfTen(d.digits + 5 * kPowersOfTen[10 - k], 11 - k);
    return MillionthsText(millionths, k, out);
}

}  // namespace zelquin
