// Classification, widening and narrowing of the binary formats, on the bits.
#include "binary_format.h"

#include <bit>

namespace zelquin {
namespace {

// Where a binary32 fraction sits in a binary64 fraction: its top 23 bits.
constexpr int kFractionWidening = kBinary64.fractionBits - kBinary32.fractionBits;  // 29
// A biased binary32 exponent plus this is the biased binary64 exponent.
constexpr int kBiasDifference = kBinary64.Bias() - kBinary32.Bias();  // 896

}  // namespace

NumberClass Classify(std::uint64_t bits, const BinaryFormat& format) {
    const BinaryFields f = SplitFields(bits, format);
    if (f.exponentField == 0) return f.fraction == 0 ? NumberClass::Zero : NumberClass::Subnormal;
    if (f.exponentField != format.MaxExponentField()) return NumberClass::Normal;
    if (f.fraction == 0) return NumberClass::Infinity;
    if ((f.fraction & format.QuietBit()) == 0) return NumberClass::SignallingNaN;
    if (f.negative && f.fraction == format.QuietBit()) return NumberClass::IndefiniteNaN;
    return NumberClass::QuietNaN;
}

std::uint64_t ShiftRightNearestEven(std::uint64_t m, int shift, bool lowerBitsSet) {
    if (shift > 64) return 0;  // below half of one unit
    const std::uint64_t q = shift == 64 ? 0 : m >> shift;
    const std::uint64_t remainder = shift == 64 ? m : m & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (remainder > half || (remainder == half && (lowerBitsSet || (q & 1) != 0))) return q + 1;
    return q;
}

std::uint64_t SingleToDouble(std::uint32_t binary32Bits) {
    const BinaryFields f = SplitFields(binary32Bits, kBinary32);
    const std::uint64_t sign = f.negative ? kBinary64.SignBit() : 0;
    const std::uint64_t fraction = f.fraction << kFractionWidening;
    if (f.exponentField == kBinary32.MaxExponentField())
        return sign | kBinary64.Infinity() | fraction;
    if (f.exponentField != 0) {
        return sign |
               (static_cast<std::uint64_t>(f.exponentField + kBiasDifference)
                << kBinary64.fractionBits) |
               fraction;
    }
    if (f.fraction == 0) return sign;
    // A binary32 subnormal is a normal binary64: move its leading bit up to
    // the implicit bit, lowering the exponent of 2^-126 once per place.
    const int shift = std::countl_zero(fraction) - (64 - kBinary64.fractionBits - 1);
    const int biased = 1 + kBiasDifference - shift;
    return sign | (static_cast<std::uint64_t>(biased) << kBinary64.fractionBits) |
           ((fraction << shift) & kBinary64.FractionMask());
}

std::uint32_t DoubleToSingle(std::uint64_t binary64Bits) {
    const BinaryFields f = SplitFields(binary64Bits, kBinary64);
    const std::uint32_t sign = f.negative ? static_cast<std::uint32_t>(kBinary32.SignBit()) : 0u;
    const std::uint32_t infinity = static_cast<std::uint32_t>(kBinary32.Infinity());
    if (f.exponentField == kBinary64.MaxExponentField()) {
        if (f.fraction == 0) return sign | infinity;
        return sign | infinity | static_cast<std::uint32_t>(kBinary32.QuietBit()) |
               static_cast<std::uint32_t>(f.fraction >> kFractionWidening);
    }
    // Zeros, and binary64 subnormals, which lie far below half of 2^-149.
    if (f.exponentField == 0) return sign;

    // value = m * 2^(exponentField - 1075) with m of 53 bits.
    const std::uint64_t m = f.fraction | kBinary64.ImplicitBit();
    const int singleBiased = f.exponentField - kBiasDifference;
    if (singleBiased >= kBinary32.MaxExponentField()) return sign | infinity;
    if (singleBiased >= 1) {
        // The rounded 24-bit significand's leading bit lands on the exponent
        // field, so a carry out of the significand raises the exponent (and
        // reaches the infinity pattern exactly when it should).
        const std::uint32_t rounded =
            static_cast<std::uint32_t>(ShiftRightNearestEven(m, kFractionWidening));
        return sign + (static_cast<std::uint32_t>(singleBiased - 1) << kBinary32.fractionBits) +
               rounded;
    }
    const int shift = kFractionWidening + 1 - singleBiased;
    return sign | static_cast<std::uint32_t>(ShiftRightNearestEven(m, shift));
}

}  // namespace zelquin
