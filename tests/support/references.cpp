#include "references.h"

#include <bit>

namespace zelquin {

std::uint64_t TextToDoubleReference(std::u16string_view text) { return ChainToDouble(text); }

DecimalDigits DoubleToDigitsReference(std::uint64_t bits) {
    switch (Classify(bits, kBinary64)) {
        case NumberClass::Normal:
        case NumberClass::Subnormal:
            return DigitTextOf(ChainToSeventeenDigits(bits));
        default:
            return DoubleToDigits(bits);  // the digit texts of zeros, infinities and NaNs
    }
}

ScanResult ScanDecimal(std::u16string_view text) {
    const DecimalReading r = ReadValueText(text, FormatOption::Binary64).number;
    ScanResult s{r.negative,    r.digitSeen,          r.storedDigits,  {},
                 r.significand, r.exponentAdjustment, r.exponentValue, r.exponentNegative};
    // The stored digits stand from the first significant one on, a point
    // among them skipped.
    for (std::size_t i = r.firstStored, k = 0; k < static_cast<std::size_t>(r.storedDigits); ++i) {
        if (text[i] != u'.') s.digits[k++] = static_cast<std::uint8_t>(text[i] - u'0');
    }
    return s;
}

int DecimalExponentEstimate(std::uint64_t bits) {
    const BinaryFields f = SplitFields(bits, kBinary64);
    const std::uint64_t m =
        f.exponentField == 0 ? f.fraction : f.fraction | kBinary64.ImplicitBit();
    const int length = std::bit_width(m);
    // |x| = m * 2^u, u the exponent of its last place: 2^(u + length - 1) <= |x|.
    const int u =
        kBinary64.SubnormalUnitExponent() + (f.exponentField == 0 ? 0 : f.exponentField - 1);
    const int topEightBits = static_cast<int>(length >= 8 ? m >> (length - 8) : m << (8 - length));
    return EstimateDecimalExponent(u + length - 1, topEightBits);
}

}  // namespace zelquin
