// Seventeen significant digits and the fixed rendering with six decimals.
#include <bit>

#include "conversion.h"
#include "extended.h"
#include "rendering.h"
#include "wide_arithmetic.h"

namespace zelquin {
namespace {

// One tenth truncated to 80 bits: one unit below the 10^-1 table entry.
constexpr ExtendedValue kTruncatedOneTenth{0xCCCCCCCCCCCCCCCCu, 0xCCCCu, 16379, false};

constexpr std::uint64_t kQuietBit64 = std::uint64_t{1} << 51;
constexpr std::uint64_t kFractionMask64 = (std::uint64_t{1} << 52) - 1;
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

DecimalDigits DoubleToDigits(std::uint64_t bits) {
    const bool negative = (bits >> 63) != 0;
    const int biasedExponent = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & kFractionMask64;

    if (biasedExponent == 0 && fraction == 0) return DecimalDigits{false, 0, {'0'}, 1};
    if (biasedExponent == 0x7FF) {
        if (fraction == 0) return SpecialDigits(negative, "1#INF");
        if (fraction == kQuietBit64) return SpecialDigits(negative, negative ? "1#IND" : "1#QNAN");
        if ((fraction & kQuietBit64) != 0) return SpecialDigits(negative, "1#QNAN");
        return SpecialDigits(negative, "1#SNAN");
    }

    // Unpack into an extended value with its leading bit at bit 79.
    ExtendedValue x{0, 0, 0, false};
    if (biasedExponent != 0) {
        x.exponent = static_cast<std::uint16_t>(biasedExponent + 15360);
        x.significandHigh = ((std::uint64_t{1} << 52) | fraction) << 11;
    } else {
        const int shift = std::countl_zero(fraction << 11);
        x.exponent = static_cast<std::uint16_t>(15361 - shift);
        x.significandHigh = (fraction << 11) << shift;
    }

    // Estimate of the decimal exponent: exact or one short.
    const std::int64_t top8 = static_cast<std::int64_t>(x.significandHigh >> 56);
    const std::int64_t X = x.exponent;
    const std::int64_t sum = 154 * top8 + 77 * (X / 256) + 19728 * X - 323162868;
    int k = static_cast<int>(sum >> 16);  // arithmetic shift: rounds toward minus infinity

    ExtendedValue y = ScaleByPowerOfTen(x, -k, false);
    if (y.exponent >= kExtendedBias) {
        y = ExtendedMultiply(y, kTruncatedOneTenth);
        ++k;
    }

    // The first eighteen digits after the point of y, truncated, are
    // floor(y * 10^18) = floor(F * 10^18 / 2^88) with F = y * 2^88, an integer
    // below 2^88 (S shifted left by 5 to 8 bits).
    const int shift = y.exponent - 16374;  // 5 to 8
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

    DecimalDigits result{negative, k, {}, 17};
    WriteSeventeenDigits(seventeen, result.digits);
    while (result.digits[result.length - 1] == '0') --result.length;
    return result;
}

std::u16string DoubleToFixedText(std::uint64_t binary64Bits) {
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
    char16_t text[kLongestValueText + 2];
    int length = 0;
    if (d.negative) text[length++] = u'-';
    const auto put = [&](int from, int to) {  // characters from..to-1
        int i = from;
        for (; i < to && i < kept; ++i) text[length++] = static_cast<char16_t>(d.digits[i]);
        for (; i < to; ++i) text[length++] = u'0';
    };
    if (k > 0) {
        put(0, k);
        text[length++] = u'.';
        put(k, k + 6);
    } else {
        // K <= 0: "0.", then -K zeros (six at most), then the kept characters.
        text[length++] = u'0';
        text[length++] = u'.';
        const int zeros = -k < 6 ? -k : 6;
        for (int i = 0; i < zeros; ++i) text[length++] = u'0';
        put(0, 6 - zeros);
    }
    return std::u16string(text, static_cast<std::size_t>(length));
}

}  // namespace zelquin
