// Seventeen significant digits and the fixed rendering with six decimals.
#include <bit>

#include "conversion.h"
#include "extended.h"
#include "rendering.h"

namespace zelquin {
namespace {

// One tenth truncated to 80 bits: one unit below the 10^-1 table entry.
constexpr ExtendedValue kTruncatedOneTenth{0xCCCCCCCCCCCCCCCCu, 0xCCCCu, 16379, false};

constexpr std::uint64_t kQuietBit64 = std::uint64_t{1} << 51;
constexpr std::uint64_t kFractionMask64 = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t kTenToThe17 = 100000000000000000u;

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

    // F = y * 2^88 as an integer below 2^88, held as fHigh * 2^32 + fLow with
    // fHigh below 2^56. Each step multiplies by ten and takes the integer part.
    const int shift = y.exponent - 16374;  // 5 to 8
    const std::uint64_t sHigh = y.significandHigh;
    const std::uint64_t sLow = y.significandLow;
    // S * 2^shift: S = sHigh * 2^16 + sLow, 80 bits.
    std::uint64_t fHigh = (sHigh >> (32 - 16 - shift));                  // bits 32.. of F
    std::uint64_t fLow = ((sHigh << (16 + shift)) | (sLow << shift)) & 0xFFFFFFFFu;
    constexpr std::uint64_t kFractionMask56 = (std::uint64_t{1} << 56) - 1;

    std::uint64_t seventeen = 0;
    for (int i = 0; i < 17; ++i) {
        fLow *= 10;
        fHigh = fHigh * 10 + (fLow >> 32);
        fLow &= 0xFFFFFFFFu;
        seventeen = seventeen * 10 + (fHigh >> 56);
        fHigh &= kFractionMask56;
    }
    fLow *= 10;
    fHigh = fHigh * 10 + (fLow >> 32);
    const unsigned eighteenth = static_cast<unsigned>(fHigh >> 56);

    // Round to seventeen digits on the eighteenth digit alone.
    if (eighteenth >= 5) {
        ++seventeen;
        if (seventeen == kTenToThe17) {
            seventeen = 1;
            ++k;
        }
    }
    while (seventeen % 10 == 0) seventeen /= 10;

    DecimalDigits result{negative, k, {}, 0};
    char reversed[17];
    int count = 0;
    while (seventeen != 0) {
        reversed[count++] = static_cast<char>('0' + seventeen % 10);
        seventeen /= 10;
    }
    for (int i = 0; i < count; ++i) result.digits[i] = reversed[count - 1 - i];
    result.length = count;
    return result;
}

std::u16string DoubleToFixedText(std::uint64_t binary64Bits) {
    const DecimalDigits d = DoubleToDigits(binary64Bits);
    int k = d.exponent;

    // The integer digits and six decimals, before the point is placed. One
    // extra place in front takes a carry out of the first character.
    char taken[kLongestValueText + 2];
    int takenCount = 0;
    const int n = k + 6;
    if (n >= 0) {
        taken[takenCount++] = '0';  // carry place, dropped below unless used
        for (int i = 0; i < n; ++i) taken[takenCount++] = i < d.length ? d.digits[i] : '0';
        const char next = n < d.length ? d.digits[n] : '\0';
        bool carried = false;
        if (next >= '5' && next <= '9') {
            int i = takenCount - 1;
            while (i > 0 && taken[i] == '9') taken[i--] = '0';
            if (i > 0) {
                ++taken[i];
            } else {
                taken[0] = '1';
                carried = true;
                ++k;
            }
        }
        if (!carried) {
            // Drop the unused carry place.
            for (int i = 1; i < takenCount; ++i) taken[i - 1] = taken[i];
            --takenCount;
        }
    }

    char16_t text[kLongestValueText + 8];
    int length = 0;
    if (d.negative) text[length++] = u'-';
    if (k > 0) {
        for (int i = 0; i < k; ++i) text[length++] = static_cast<char16_t>(taken[i]);
        text[length++] = u'.';
        for (int i = k; i < takenCount; ++i) text[length++] = static_cast<char16_t>(taken[i]);
    } else {
        text[length++] = u'0';
        text[length++] = u'.';
        const int zeros = -k < 6 ? -k : 6;
        for (int i = 0; i < zeros; ++i) text[length++] = u'0';
        for (int i = 0; i < takenCount; ++i) text[length++] = static_cast<char16_t>(taken[i]);
    }
    return std::u16string(text, static_cast<std::size_t>(length));
}

}  // namespace zelquin
