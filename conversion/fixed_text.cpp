// The fixed rendering with six decimals, from the seventeen significant digits.
#include "fixed_text.h"

#include <array>
#include <cstring>

#include "conversion.h"
#include "decimal_integers.h"
#include "digit_generation.h"
#include "wide_arithmetic.h"
#include "wide_powers.h"

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

// The number of digits of a binary32 widened to binary64 from 2^56 to below
// 2^128, from its octave and its significand: for 2^L <= x < 2^(L+1), with
// x = M * 2^(L-23) and M from 2^23 to below 2^24, it is K, the number of
// digits of 2^L, or K + 1 where x reaches 10^K, which happens in the octave
// when 10^K < 2^(L+1), from M = ceil(10^K / 2^(L-23)) on.
struct OctaveDigits {
    std::uint32_t threshold;  // that M, or 2^24 where 10^K lies above the octave
    int digits;               // K
};

constexpr int kFirstWholeOctave = 56;
constexpr int kLastWholeOctave = 127;

constexpr std::array<OctaveDigits, kLastWholeOctave - kFirstWholeOctave + 1> kOctaveDigits = [] {
    // 5^k (below 2^91 here) and powers of two below 2^128, as two halves:
    // 10^k < 2^n exactly when 5^k < 2^(n-k).
    struct Halves {
        std::uint64_t high, low;
    };
    const auto timesFive = [](Halves v) {
        const std::uint64_t low = (v.low << 2) + v.low;
        return Halves{v.high * 5 + (v.low >> 62) + (low < v.low ? 1 : 0), low};
    };
    const auto powerOfTwo = [](int n) {
        return n >= 64 ? Halves{std::uint64_t{1} << (n - 64), 0} : Halves{0, std::uint64_t{1} << n};
    };
    const auto less = [](Halves a, Halves b) {
        return a.high < b.high || (a.high == b.high && a.low < b.low);
    };
    std::array<OctaveDigits, kLastWholeOctave - kFirstWholeOctave + 1> table{};
    for (int octave = kFirstWholeOctave; octave <= kLastWholeOctave; ++octave) {
        int k = 0;
        Halves five{0, 1};                             // 5^k
        while (!less(powerOfTwo(octave - k), five)) {  // 10^k <= 2^L
            five = timesFive(five);
            ++k;
        }
        std::uint32_t threshold = std::uint32_t{1} << 24;
        if (less(five, powerOfTwo(octave + 1 - k))) {
            // ceil(5^k / 2^shift) = ceil(10^k / 2^(L-23)), the shift 16 to 65.
            const int shift = octave - 23 - k;
            const std::uint64_t quotient = shift >= 64
                                               ? five.high >> (shift - 64)
                                               : (five.high << (64 - shift)) | (five.low >> shift);
            const bool rest =
                shift >= 64
                    ? five.low != 0 || (five.high & ((std::uint64_t{1} << (shift - 64)) - 1)) != 0
                    : (five.low << (64 - shift)) != 0;
            threshold = static_cast<std::uint32_t>(quotient + (rest ? 1 : 0));
        }
        table[static_cast<std::size_t>(octave - kFirstWholeOctave)] = OctaveDigits{threshold, k};
    }
    return table;
}();

// Fills count units with '0' and returns their end.
char16_t* Zeros(char16_t* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = u'0';
    return out + count;
}

// "0.000000".
char16_t* ZeroText(char16_t* out) {
    out[0] = u'0';
    out[1] = u'.';
    return Zeros(out + 2, 6);
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

// The text of V millionths for -6 <= K <= 10, where V lies below 10^(K + 6)
// for K >= 1 (or 10^6), or reaches it by a carry: the integer part has
// max(K, 1) digits, one more after a carry. V's seventeen digits are written
// at fixed places, eleven before the point and six after it, and the text, the
// last 8 to 18 units of those eighteen, copied as eighteen units from a buffer
// that has ten zeros after them: no loop and no branch on the digits
// themselves, but up to ten units after the text are overwritten with zeros.
char16_t* MillionthsText(std::uint64_t millionths, int k, char16_t* out) {
    const int least = k > 1 ? k : 1;
    const int units =
        least + 7 + (millionths >= kPowersOfTen[least] * kMillion ? 1 : 0);  // 8 to 18
    const std::uint64_t upper = DivideByPowerOfTen(millionths, 8);           // below 10^9
    const std::uint32_t top = static_cast<std::uint32_t>(upper) / 100000000u;
    const std::uint32_t lower = static_cast<std::uint32_t>(millionths - upper * 100000000u);
    const std::uint32_t pair = lower / 1000000u;  // the integer part's last two digits
    const std::uint32_t decimals = lower - pair * 1000000u;
    const std::uint32_t decimalsUpper = decimals / 10000u, decimalsLower = decimals % 10000u;
    char16_t text[28];
    text[0] = static_cast<char16_t>(u'0' + top);
    WriteEightDigits(static_cast<std::uint32_t>(upper - top * std::uint64_t{100000000}), text + 1);
    WritePair(pair, text + 9);
    text[11] = u'.';
    WritePair(decimalsUpper, text + 12);
    WritePair(decimalsLower / 100, text + 14);
    WritePair(decimalsLower % 100, text + 16);
    Zeros(text + 18, 10);
    std::memcpy(out, text + 18 - units, 18 * sizeof(char16_t));
    return out + units;
}

// The text of V millionths behind the sign, with the length of V's integer
// part found from V itself.
char16_t* MillionthsTextOf(std::uint64_t millionths, char16_t* out) {
    return MillionthsText(millionths, DecimalLength(DivideByPowerOfTen(millionths, 6)), out);
}

// An integer of 9 to 17 digits and six zero decimals. Its seventeen digits
// (leading zeros included) and ".000000" are written at fixed places, and the
// text, their last 16 to 24 units, copied by two copies of 16 units that
// overlap: no loop and no branch on the length.
char16_t* IntegerText(std::uint64_t integer, char16_t* out) {
    const int units = DecimalLength(integer) + 7;
    char16_t text[24];
    const std::uint64_t upper = DivideBy100000000(integer);  // below 10^9
    const std::uint32_t top = static_cast<std::uint32_t>(upper) / 100000000u;
    text[0] = static_cast<char16_t>(u'0' + top);
    WriteEightDigits(static_cast<std::uint32_t>(upper - top * std::uint64_t{100000000}), text + 1);
    WriteEightDigits(static_cast<std::uint32_t>(integer - upper * 100000000u), text + 9);
    text[17] = u'.';
    Zeros(text + 18, 6);
    std::memcpy(out, text + 24 - units, 16 * sizeof(char16_t));
    std::memcpy(out + units - 16, text + 8, 16 * sizeof(char16_t));
    return out + units;
}

// The text of the integer D * 10^(K - 17) for K from 17 to 39, D of
// seventeen digits or 10^17 after a carry (then K is below 39, as 2^128 is
// below 10^39), and six zero decimals. The K - 17 zeros, the point and the
// decimals are written as a block of 29 zeros, as many as K = 39 has, with
// the point put among them: no loop, but the units after a shorter text, up
// to the end of the longest, are overwritten.
char16_t* RoundedIntegerText(std::uint64_t digits, int k, char16_t* out) {
    if (digits == kPowersOfTen[17]) {
        digits = kPowersOfTen[16];
        ++k;
    }
    WriteDigits(digits, 17, out);
    Zeros(out + 17, 29);
    out[k] = u'.';
    return out + k + 7;
}

}  // namespace

// The fast path. Why it shows what the seventeen digits show:
//
// Below, x = |value| = m * 2^-s with m below 2^53 (an integer s), and
// y = x * 10^6. The text shows the seventeen digits D with decimal exponent
// K, which stand for x17 = D * 10^(K - 17): x rounded half up to seventeen
// places, moved by the chain's error, which is under 2^-10.7 of a unit of the
// eighteenth digit (the digit generation's argument). So
// |x17 - x| <= 0.51 * 10^(K - 17).
//
// Millionths, for 2^-11 <= x < 2^33 (s from 20 to 63). K is at most 10, and
// the text shows V = floor(x17 * 10^6 + 1/2) millionths (the rule below, for
// -6 <= K <= 10; for K < -6, V = 0 = floor(x17 * 10^6 + 1/2) as well, since
// x17 * 10^6 < 1/10). As x17 >= 10^(K - 1), 10^(K - 11) <= 1.0001 * 10^-16 * y,
// and |x17 * 10^6 - y| <= 0.52 * 10^-16 * y. So V = floor(y + 1/2) unless y
// lies within that distance of a half, n + 1/2. P = m * 10^6, below 2^73, is
// formed exactly: y = P / 2^s, and its fraction is R / 2^s with
// R = P mod 2^s. The band is |R - 2^(s-1)| <= floor(P / 2^51) + 1, at least
// P * 2^-51 = 4.44 * 10^-16 * y * 2^s: more than eight times the chain's
// distance, and it holds every exact half (R = 2^(s-1)). Outside it,
// V = floor(P / 2^s) + (R > 2^(s-1)). So is V where y is an integer (R = 0),
// which the band holds from y = 2^50 on (as it does every binary32 from 2^30
// to 2^33): then x = y * 10^-6 has at most sixteen significant digits
// (y < 2^33 * 10^6 < 10^16), half a unit of its seventeenth from any tie, so
// x17 = x and V = y.
//
// Below 2^-21: y < 0.477 and x17 * 10^6 < 0.477 * (1 + 10^-16), so V = 0.
//
// Integers from 2^33 to below 2^56 (s from -3 to 19, the low s bits of m
// zero): x < 10^17, so its digits fit in seventeen, and the chain's scaled
// value, x * 10^(18 - K) (or x * 10^(19 - K) with the tenth), is a multiple of
// 10 (of 100), as far as can be from the ties at 5 (mod 10) and 50 (mod 100):
// D is x's digits exactly. For K >= 11 the text is D with the point after K
// digits, and for K = 10 it is V = x * 10^6 millionths: x and six zeros
// either way.
//
// From 2^-21 to 2^-11 (s from 64 to 73) where the low s - 63 bits of m are
// zero, as a binary32's are: x = (m / 2^(s-63)) * 2^-63, and the millionths
// are found as above with that significand and s = 63 (the argument holds for
// any m below 2^53).
//
// Integers from 2^56 to below 2^128 with a binary32's 24 significant bits (s
// from -75 to -4, the low 29 bits of m zero): x = M * 2^(L-23) with
// 2^L <= x < 2^(L+1) and M = m / 2^29, from 2^23 to below 2^24. The table
// gives x's number of digits K (17 to 39) exactly, so z = x * 10^(17-K) lies
// in [10^16, 10^17) and its unit is a unit of x's seventeenth digit: the chain
// moves x by under 2^-10.7 / 10 < 2^-14 of it, and D = floor(z + 1/2), x
// rounded half up, unless z lies within 2^-14 of a half, n + 1/2. A carry
// there, D = 10^17, stands for the same number as the digits 10^16 with
// K + 1. With 10^(17-K) = (P + theta) * 2^(b-127) (wide_powers.h) and
// P = P' * 2^32 + rho (rho below 2^32), H = (M * 2^8) * P', below 2^128, is
// formed exactly, and z = (H + M * 2^8 * phi) * 2^-u with phi =
// (rho + theta) / 2^32 in [0, 1) and u = 126 - L - b. As z lies in
// [10^16, 10^17) and H in [2^126, 2^128), u is 70 to 74, and H * 2^-u lies
// below z by less than 2^32 * 2^-70 = 2^-38. F, the top 64 bits of its
// fraction, lie within 2^-64 below that. The band |F - 2^63| <= 2^51 holds
// every z within 2^-13 - 2^-37 of a half, and outside it
// D = floor(H * 2^-u) + (F > 2^63) (z's fraction may pass 1 only where F is
// above 2^63 already). The text is D followed by K - 17 zeros and six zero
// decimals, as the rule for K >= 17 below writes D's number.
//
// From 2^-21 to 2^-11 but for those, and from 2^33 on but for those integers,
// the digits decide.
char16_t* FastFixedText(std::uint64_t binary64Bits, char16_t* out) {
    const int exponentField =
        static_cast<int>((binary64Bits & kBinary64.ExponentMask()) >> kBinary64.fractionBits);
    const bool negative = (binary64Bits & kBinary64.SignBit()) != 0;
    constexpr int kUnitExponentOfOne = kBinary64.Bias() + kBinary64.fractionBits;  // 1075
    if (exponentField < kBinary64.Bias() - 21) {
        if (negative) *out++ = u'-';
        return ZeroText(out);
    }
    int s = kUnitExponentOfOne - exponentField;
    std::uint64_t m = (binary64Bits & kBinary64.FractionMask()) | kBinary64.ImplicitBit();
    if (s > 63 && (m & ((std::uint64_t{1} << (s - 63)) - 1)) == 0) {
        m >>= s - 63;
        s = 63;
    }
    if (s >= 20 && s <= 63) {
        const Wide128 p = Multiply64(m, kMillion);
        const std::uint64_t half = std::uint64_t{1} << (s - 1);
        const std::uint64_t fraction = p.low & ((half << 1) - 1);
        const std::uint64_t band = ((p.high << 13) | (p.low >> 51)) + 1;
        const std::uint64_t distance = fraction > half ? fraction - half : half - fraction;
        if (distance <= band && fraction != 0) return nullptr;
        if (negative) *out++ = u'-';
        return MillionthsTextOf(((p.high << (64 - s)) | (p.low >> s)) + (fraction > half ? 1 : 0),
                                out);
    }
    if (s >= -3 && s < 20) {
        if (s > 0 && (m & ((std::uint64_t{1} << s) - 1)) != 0) return nullptr;
        if (negative) *out++ = u'-';
        return IntegerText(s > 0 ? m >> s : m << -s, out);
    }
    constexpr int kBinary32Zeros = kBinary64.fractionBits - 23;  // 29
    if (s >= -75 && s < -3 && (m & ((std::uint64_t{1} << kBinary32Zeros) - 1)) == 0) {
        const int octave = exponentField - kBinary64.Bias();  // L
        const std::uint32_t significand = static_cast<std::uint32_t>(m >> kBinary32Zeros);
        const OctaveDigits& digits =
            kOctaveDigits[static_cast<std::size_t>(octave - kFirstWholeOctave)];
        const int k = digits.digits + (significand >= digits.threshold ? 1 : 0);
        const WidePower& power = WidePowerOfTen(17 - k);
        const Wide128 h = Multiply32By96(significand << 8, power.high,
                                         static_cast<std::uint32_t>(power.low >> 32));
        const int u = 126 - octave - BinaryExponentOfPowerOfTen(17 - k);  // 70 to 74
        const std::uint64_t fraction = (h.high << (128 - u)) | (h.low >> (u - 64));
        constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
        constexpr std::uint64_t kBand = std::uint64_t{1} << 51;
        if (fraction - (kHalf - kBand) <= 2 * kBand) return nullptr;
        if (negative) *out++ = u'-';
        return RoundedIntegerText((h.high >> (u - 64)) + (fraction > kHalf ? 1 : 0), k, out);
    }
    return nullptr;
}

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
char16_t* DoubleToFixedTextThroughDigits(std::uint64_t binary64Bits, char16_t* out) {
    switch (Classify(binary64Bits, kBinary64)) {
        case NumberClass::Zero:  // either sign
            return ZeroText(out);
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

char16_t* DoubleToFixedText(std::uint64_t binary64Bits, char16_t* out) {
    // Zeros, infinities and NaNs go through the digits: the fast path would
    // take a zero for a tiny number, and declines the others.
    if ((binary64Bits & ~kBinary64.SignBit()) != 0) {
        if (char16_t* end = FastFixedText(binary64Bits, out)) return end;
    }
    return DoubleToFixedTextThroughDigits(binary64Bits, out);
}

}  // namespace zelquin
