// The number a value field text stands for as typed, before the reader rounds
// or cuts it: every digit typed and the exponent as typed, from the spans of
// the reader's record.
#pragma once

#include <string>
#include <string_view>

#include "conversion.h"
#include "exact_decimal.h"

namespace zelquin::explain {

struct TypedDecimal {
    Decimal value;  // value.scale is not held when hugeExponent is set
    // The exponent part has more than fifteen digits: the number is then shown
    // in scientific notation with this exponent (decimal digits).
    bool hugeExponent = false;
    bool scientificExponentNegative = false;
    std::string scientificExponent;
};

// The number the reader read from `text`, with every digit typed; 0 when it
// read none. The second form fills `typed`, keeping its storage.
TypedDecimal TypedNumberOf(std::u16string_view text, const DecimalReading& number);
void TypedNumberOf(std::u16string_view text, const DecimalReading& number, TypedDecimal& typed);

// The typed number as FormatDecimal writes it, also for a huge exponent.
std::string FormatTyped(const TypedDecimal& typed, bool explicitPlus = false);
void AppendTyped(const TypedDecimal& typed, bool explicitPlus, std::string& out);

}  // namespace zelquin::explain
