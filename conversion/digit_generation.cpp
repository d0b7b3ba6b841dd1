// Seventeen significant digits of a binary64: the chain and the fast path.
#include "digit_generation.h"

#include <bit>

#include "binary_format.h"
#include "decimal_integers.h"
#include "digit_generation_paths.h"
#include "extended.h"
#include "wide_arithmetic.h"
#include "wide_powers.h"

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

constexpr std::uint64_t kTenToThe17 = kPowersOfTen[17];
constexpr std::uint64_t kTenToThe18 = kPowersOfTen[18];

DecimalDigits SpecialDigits(bool negative, const char* text) {
    DecimalDigits result{negative, 1, {}, 0};
    while (*text != '\0') result.digits[result.length++] = *text++;
    return result;
}

// The digit text of an infinity or a NaN, or null for a number.
const char* SpecialDigitText(NumberClass numberClass) {
    switch (numberClass) {
        case NumberClass::Infinity:
            return "1#INF";
        case NumberClass::IndefiniteNaN:
            return "1#IND";
        case NumberClass::QuietNaN:
            return "1#QNAN";
        case NumberClass::SignallingNaN:
            return "1#SNAN";
        default:
            return nullptr;
    }
}

// The digits of zeros, infinities and NaNs; false for every other number.
bool ZeroInfinityOrNaNDigits(std::uint64_t bits, DecimalDigits& result) {
    const NumberClass numberClass = Classify(bits, kBinary64);
    if (numberClass == NumberClass::Zero) {
        result = DecimalDigits{false, 0, {'0'}, 1};
        return true;
    }
    const char* const special = SpecialDigitText(numberClass);
    if (special == nullptr) return false;
    result = SpecialDigits((bits & kBinary64.SignBit()) != 0, special);
    return true;
}

// The number as a normalised extended value (sign clear, lowest limb zero),
// for a finite non-zero binary64.
ExtendedValue Binary64ToExtended(const BinaryFields& f) {
    // The 53 significant bits move to the top of the 64 high bits of the
    // significand; the lowest limb stays zero.
    constexpr int kToTop = 64 - (kBinary64.fractionBits + 1);  // 11
    if (f.exponentField != 0) {
        return ExtendedValue{(kBinary64.ImplicitBit() | f.fraction) << kToTop, 0,
                             static_cast<std::uint16_t>(f.exponentField + kExtendedFromBinary64),
                             false};
    }
    // A subnormal is normalised: its leading bit moves up to bit 79, the
    // exponent of 2^-1022 falling by one per place.
    const int shift = std::countl_zero(f.fraction << kToTop);
    return ExtendedValue{(f.fraction << kToTop) << shift, 0,
                         static_cast<std::uint16_t>(1 + kExtendedFromBinary64 - shift), false};
}

// The estimate of the decimal exponent K of a positive normalised x, which
// both paths start from: K or K - 1 (EstimateDecimalExponent, conversion.h).
int EstimateDecimalExponentOf(const ExtendedValue& x) {
    return EstimateDecimalExponent(x.exponent - kExtendedBias,
                                   static_cast<int>(x.significandHigh >> 56));
}

// The chain: y = x * 10^-k by the tables, times the truncated tenth when the
// estimate of k was one short (y >= 1), then the first eighteen digits of y
// after the point, truncated, rounded to seventeen on the eighteenth alone.
// The result has seventeen digits with a first digit that is not 0: the
// exception of a scaled value a hair below 0.1 carries into 10^16.
std::uint64_t ChainSeventeenDigits(const ExtendedValue& x, int& k) {
    ExtendedValue y = ScaleByPowerOfTen(x, -k, false);
    if (y.exponent >= kExtendedBias) {
        y = ExtendedMultiply(y, kTruncatedOneTenth);
        ++k;
    }
    // floor(y * 10^18) = floor(F * 10^18 / 2^88) with F = y * 2^88, an integer
    // below 2^88 (S shifted left by 5 to 8 bits).
    const int shift = y.exponent - kDigitShiftBase;                 // 5 to 8
    const std::uint64_t fHigh = y.significandHigh >> (48 - shift);  // bits 64..87 of F
    const std::uint64_t fLow =
        (y.significandHigh << (16 + shift)) | (std::uint64_t{y.significandLow} << shift);
    const Wide128 lowProduct = Multiply64(fLow, kTenToThe18);
    const Wide128 highProduct = Multiply64(fHigh, kTenToThe18);
    const std::uint64_t middle = highProduct.low + lowProduct.high;
    const std::uint64_t carry = middle < highProduct.low ? 1 : 0;
    const std::uint64_t eighteen = ((highProduct.high + carry) << 40) | (middle >> 24);
    const std::uint64_t seventeen = DivideBy10(eighteen);
    return seventeen + (eighteen - 10 * seventeen >= 5 ? 1 : 0);
}

// The fast path. Why it gives the chain's seventeen digits:
//
// Let z = x * 10^(18-k) exactly, with k the estimate, and z' = y' * 10^18 where
// y' is the chain's scaled value (before the tenth). The chain's digits depend
// on z' alone: eighteen = floor(z'), and rounding on the eighteenth digit gives
// floor((floor(z') + 5) / 10) = floor((z' + 5) / 10). With the tenth taken
// (z' >= 10^18) they are floor((z'' + 5) / 10) with z'' the chain's value of
// z / 10. So the result is floor((z + 5) / 10), or floor((z + 50) / 100) with
// the tenth, unless the chain's error carries z' across a point where that
// floor steps, z = 5 (mod 10), or z = 50 (mod 100) with the tenth; and unless it
// carries z' across 10^18, where the chain decides on the tenth.
//
// The chain's error. Each extended multiplication leaves out the partial
// products of limbs i + j < 4, less than 2^-76 of the product, never above
// it, and rounds once, within 2^-80 of the result. Each table entry is within
// 0.4967 units of its last place of the power, 2^-80.009 of it, and the
// truncated tenth is 2^-80 below a tenth. |k| <= 323 has at most three octal
// digits, so the chain makes at most three table multiplications, and one more
// with the tenth:
//   without the tenth: 3 * (2^-76 + 2^-80 + 2^-80.009)                < 2^-74.24,
//   with the tenth:    4 * (2^-76 + 2^-80) + 3 * 2^-80.009 + 2^-80     < 2^-73.83,
// relative (second-order terms are below 2^-147). As z < 10^18 < 2^59.8, or
// z / 10 < 10^18 with the tenth, |z' - z| < 2^-14.45, and with the tenth
// |10 z'' - z| < 2^-10.71. (The tests check the tables' and the
// multiplication's figures.)
//
// The fast value. Here z is m * P * 2^-t, m the 64-bit significand of x, P the
// 128-bit truncated significand of 10^(18-k), of which the floor of the top 128
// bits of the 192-bit product, H, is formed exactly; H * 2^-t lies below z by
// less than 2^-t + z * 2^-127, under 2^-62 here (t >= 63). The fallback bands,
// 2^-11 around z = 5 (mod 10) and 2^-8 around z = 50 (mod 100) with the tenth,
// hold these errors more than six times over, and the chain's decision on the tenth is
// left to the chain for z within 1 of 10^18. An estimate above k (z < 10^17),
// which does not occur, falls back too.
bool FastSeventeenDigits(const ExtendedValue& x, int& k, std::uint64_t& seventeen) {
    const int q = 18 - k;
    if (q < kWidePowerMin || q > kWidePowerMax) return false;
    const WidePower& power = WidePowerOfTen(q);
    const Wide128 h = Multiply64By128High(x.significandHigh, power.high, power.low);
    // x = m * 2^(X - bias - 63) and 10^q = P * 2^(b - 127), so with
    // m * P = H * 2^64, z = H * 2^-t.
    const int t = kExtendedBias + 63 + 127 - 64 - x.exponent - BinaryExponentOfPowerOfTen(q);
    if (t < 63 || t > 127) return false;
    std::uint64_t integer, fraction;  // the integer part of z, and its fraction's top 64 bits
    if (t == 64) {
        integer = h.high;
        fraction = h.low;
    } else if (t < 64) {
        if ((h.high >> t) != 0) return false;
        integer = (h.high << (64 - t)) | (h.low >> t);
        fraction = h.low << (64 - t);
    } else {
        integer = h.high >> (t - 64);
        fraction = (h.high << (128 - t)) | (h.low >> (t - 64));
    }

    constexpr std::uint64_t kBand = std::uint64_t{1} << (64 - 11);
    constexpr std::uint64_t kTenthBand = std::uint64_t{1} << (64 - 8);
    if (integer < kTenToThe17) return false;
    if (integer < kTenToThe18 - 1) {
        const std::uint64_t lastDigit = integer - 10 * DivideBy10(integer);
        if ((lastDigit == 4 && fraction >= 0 - kBand) || (lastDigit == 5 && fraction < kBand))
            return false;
        seventeen = DivideBy10(integer + 5);  // beside the last digit, not after it
        return true;
    }
    if (integer <= kTenToThe18) return false;
    const std::uint64_t lastTwo = integer - 100 * DivideBy100(integer);
    if ((lastTwo == 49 && fraction >= 0 - kTenthBand) || (lastTwo == 50 && fraction < kTenthBand))
        return false;
    seventeen = DivideBy100(integer + 50);
    ++k;
    return true;
}

// A carry of the rounding into 10^17 leaves 10^16 and raises k.
SeventeenDigits Normalised(bool negative, int k, std::uint64_t seventeen) {
    if (seventeen == kTenToThe17) {
        seventeen = kTenToThe17 / 10;
        ++k;
    }
    return SeventeenDigits{negative, k, seventeen};
}

// The seventeen digits of a finite non-zero binary64, by the fast path where
// it holds and by the chain otherwise.
SeventeenDigits SeventeenDigitsOf(std::uint64_t bits, bool fastPath) {
    const BinaryFields f = SplitFields(bits, kBinary64);
    const ExtendedValue x = Binary64ToExtended(f);
    int k = EstimateDecimalExponentOf(x);
    std::uint64_t seventeen;
    if (!fastPath || !FastSeventeenDigits(x, k, seventeen)) seventeen = ChainSeventeenDigits(x, k);
    return Normalised(f.negative, k, seventeen);
}

}  // namespace

bool FastFiniteToSeventeenDigits(std::uint64_t bits, SeventeenDigits& digits) {
    const BinaryFields f = SplitFields(bits, kBinary64);
    const ExtendedValue x = Binary64ToExtended(f);
    int k = EstimateDecimalExponentOf(x);
    std::uint64_t seventeen;
    if (!FastSeventeenDigits(x, k, seventeen)) return false;
    digits = Normalised(f.negative, k, seventeen);
    return true;
}

SeventeenDigits FiniteToSeventeenDigits(std::uint64_t bits) {
    return SeventeenDigitsOf(bits, true);
}

SeventeenDigits ChainToSeventeenDigits(std::uint64_t bits) {
    return SeventeenDigitsOf(bits, false);
}

DecimalDigits DigitTextOf(const SeventeenDigits& d) {
    DecimalDigits result{d.negative, d.exponent, {}, 17};
    WriteDigits(d.digits, 17, result.digits);
    while (result.digits[result.length - 1] == '0') --result.length;
    return result;
}

// The digit text: the seventeen digits without their trailing zeros, or the
// digits of zeros, infinities and NaNs.
DecimalDigits DoubleToDigits(std::uint64_t bits) {
    DecimalDigits result;
    if (ZeroInfinityOrNaNDigits(bits, result)) return result;
    return DigitTextOf(SeventeenDigitsOf(bits, true));
}

}  // namespace zelquin
