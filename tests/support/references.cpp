#include "references.h"

#include "pattern_reading.h"

namespace zelquin {

std::uint64_t TextToDoubleReference(std::u16string_view text) {
    return ChainToDouble(text, ScanDecimalText(text, WhiteSpaceLength(text)));
}

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
    const DecimalReading r = ScanDecimalText(text, 0);
    ScanResult s{r.negative,    r.digitSeen,          r.storedDigits,  {},
                 r.significand, r.exponentAdjustment, r.exponentValue, r.exponentNegative};
    StoredDigits(text, r, s.digits);
    return s;
}

}  // namespace zelquin
