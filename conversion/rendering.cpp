// Seventeen significant digits and the fixed rendering with six decimals.
#include <bit>

#include "binary_format.h"
#include "conversion.h"
#include "extended.h"
#include "rendering.h"
#include "wide_arithmetic.h"

namespace zelquin {
namespace {

// One tenth truncated to 80 bits: one unit below the 10^-1 table entry.
constexpr ExtendedValue kTruncatedOneTenth{0xCCCCCCCCCCCCCCCCu, 0xCCCCu, 16379, false};

// A biased binary64 exponent plus this is the biased extended exponent.
constexpr int kExtendedFromBinary64 = kExtendedBias - kBinary64.Bias();  // 15360
// The eighteen digits are read from F = y * 2^88, an integer below 2^88 for
// 0 < y < 1: F = S * 2^(X - bias - 79 + 88).
constexpr int kDigitFractionBits = 88;
constexpr int kDigitShiftBase = kExtendedBias + kExtendedLeadingBit - kDigitFractionBits;  // 16374
constexpr std::uint64_t kTenToThe17 = 100000000000000000u;

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline void WritePair(std::uint32_t pair, char* out) {
    out[0] = kDigitPairs[2 * pair];
    out[1] = kDigitPairs[2 * pair + 1];
}

// Writes a number below 10^8 as exactly eight decimal digits.
inline void WriteEightDigits(std::uint32_t number, char* out) {
    const std::uint32_t upper = number / 10000, lower = number % 10000;
    WritePair(upper / 100, out);
    WritePair(upper % 100, out + 2);
    WritePair(lower / 100, out + 4);
    WritePair(lower % 100, out + 6);
}

// Writes a number below 10^17 as exactly seventeen decimal digits.
void WriteSeventeenDigits(std::uint64_t number, char* out) {
    const std::uint64_t upper = number / 100000000u;
    out[0] = static_cast<char>('0' + upper / 100000000u);
    WriteEightDigits(static_cast<std::uint32_t>(upper % 100000000u), out + 1);
    WriteEightDigits(static_cast<std::uint32_t>(number % 100000000u), out + 9);
}

DecimalDigits SpecialDigits(bool negative, const char* text) {
    DecimalDigits result{negative, 1, {}, 0};
    while (*text != '\0') result.digits[result.length++] = *text++;
    return result;
}

}  // namespace

ExtendedValue Binary64ToExtended(const BinaryFields& f) {
    // The 53 significant bits move to the top of the 64 high bits of the
    // significand; the lowest limb stays zero.
    constexpr int kToTop = 64 - (kBinary64.fractionBits + 1);  // 11
    if (f.exponentField != 0) {
        return ExtendedValue{(kBinary64.ImplicitBit() | f.fraction) << kToTop, 0,
                             static_cast<std::uint16_t>(f.exponentField + kExtendedFromBinary64), false};
    }
    // A subnormal is normalised: its leading bit moves up to bit 79, the
    // exponent of 2^-1022 falling by one per place.
    const int shift = std::countl_zero(f.fraction << kToTop);
    return ExtendedValue{(f.fraction << kToTop) << shift, 0,
                         static_cast<std::uint16_t>(1 + kExtendedFromBinary64 - shift), false};
}

// The decimal exponent K of a positive normalised x, with x = 0.d1d2... * 10^K
// and d1 not 0, exactly or one short:
//
//     K = floor((154*t + 77*floor(X/256) + 19728*X - 323162868) / 2^16)
//
// where X is the biased exponent and t the significand's top 8 bits (128 to
// 255). The sum is 2^16 * (log10(x) + 1) in fixed point, made a little low:
//   - log10(x) = (X - 16383) * log10(2) + log10(S / 2^79), S / 2^79 in [1, 2);
//   - log10(2) = 0.30102999566 is taken as (19728 + 77/256) / 2^16 =
//     0.3010300, the 77/256 part added once per 256 of X;
//   - log10(S / 2^79) is taken as the chord 154 * (t - 128) / 2^16, which
//     never lies above the curve, with t the significand truncated to 8 bits;
//   - the constant is the value at x = 1 (X = 16383, t = 128):
//       sum = 19728*(X - 16383) + 77*(floor(X/256) - 63) + 154*(t - 128)
//             + 2^16 - 17,
//     so 1 itself gives 2^16 - 17, just below the 2^16 of its K = 1.
// Together the approximations err low by less than one, so K comes out exact
// or one short, and the digit generation's adjustment makes up the difference.
//
// Example: 1000 is 1.953125 * 2^9: X = 16392, t = 250, and the sum is
// 38500 + 4928 + 323381376 - 323162868 = 261936, which gives
// floor(261936 / 65536) = 3: one short of K = 4 (1000 = 0.1 * 10^4).
int EstimateDecimalExponent(const ExtendedValue& x) {
    const std::int64_t top8 = static_cast<std::int64_t>(x.significandHigh >> 56);
    const std::int64_t X = x.exponent;
    const std::int64_t sum = 154 * top8 + 77 * (X / 256) + 19728 * X - 323162868;
    return static_cast<int>(sum >> 16);  // arithmetic shift: rounds toward minus infinity
}

DecimalDigits DoubleToDigits(std::uint64_t bits) {
    const BinaryFields f = SplitFields(bits, kBinary64);
    switch (Classify(bits, kBinary64)) {
        case NumberClass::Zero: return DecimalDigits{false, 0, {'0'}, 1};
        case NumberClass::Infinity: return SpecialDigits(f.negative, "1#INF");
        case NumberClass::IndefiniteNaN: return SpecialDigits(f.negative, "1#IND");
        case NumberClass::QuietNaN: return SpecialDigits(f.negative, "1#QNAN");
        case NumberClass::SignallingNaN: return SpecialDigits(f.negative, "1#SNAN");
        case NumberClass::Normal:
        case NumberClass::Subnormal: break;
    }
    const ExtendedValue x = Binary64ToExtended(f);
    int k = EstimateDecimalExponent(x);

    ExtendedValue y = ScaleByPowerOfTen(x, -k, false);
    if (y.exponent >= kExtendedBias) {
        y = ExtendedMultiply(y, kTruncatedOneTenth);
        ++k;
    }

    // The first eighteen digits after the point of y, truncated, are
    // floor(y * 10^18) = floor(F * 10^18 / 2^88) with F = y * 2^88, an integer
    // below 2^88 (S shifted left by 5 to 8 bits).
    const int shift = y.exponent - kDigitShiftBase;  // 5 to 8
    const std::uint64_t fHigh = y.significandHigh >> (48 - shift);  // bits 64..87 of F
    const std::uint64_t fLow = (y.significandHigh << (16 + shift)) | (std::uint64_t{y.significandLow} << shift);
    constexpr std::uint64_t kTenToThe18 = 1000000000000000000u;
    const Wide128 lowProduct = Multiply64(fLow, kTenToThe18);
    const Wide128 highProduct = Multiply64(fHigh, kTenToThe18);
    const std::uint64_t middle = highProduct.low + lowProduct.high;
    const std::uint64_t carry = middle < highProduct.low ? 1 : 0;
    const std::uint64_t eighteen = ((highProduct.high + carry) << 40) | (middle >> 24);

    // Round to seventeen digits on the eighteenth digit alone. The result has
    // seventeen digits with a first digit that is not 0: the exception of a
    // scaled value a hair below 0.1 carries into 10^16.
    std::uint64_t seventeen = eighteen / 10;
    if (eighteen % 10 >= 5) {
        ++seventeen;
        if (seventeen == kTenToThe17) {
            seventeen = kTenToThe17 / 10;
            ++k;
        }
    }

    DecimalDigits result{f.negative, k, {}, 17};
    WriteSeventeenDigits(seventeen, result.digits);
    while (result.digits[result.length - 1] == '0') --result.length;
    return result;
}

char16_t* DoubleToFixedText(std::uint64_t binary64Bits, char16_t* out) {
    DecimalDigits d = DoubleToDigits(binary64Bits);
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
    if (d.negative) *out++ = u'-';
    const auto put = [&](int from, int to) {  // characters from..to-1
        int i = from;
        for (; i < to && i < kept; ++i) *out++ = static_cast<char16_t>(d.digits[i]);
        for (; i < to; ++i) *out++ = u'0';
    };
    if (k > 0) {
        put(0, k);
        *out++ = u'.';
        put(k, k + 6);
    } else {
        // K <= 0: "0.", then -K zeros (six at most), then the kept characters.
        *out++ = u'0';
        *out++ = u'.';
        const int zeros = -k < 6 ? -k : 6;
        for (int i = 0; i < zeros; ++i) *out++ = u'0';
        put(0, 6 - zeros);
    }
    return out;
}

}  // namespace zelquin
