// The typed number from the reader's spans, keeping the digits it drops.
#include "typed_number.h"

#include "big_unsigned.h"

namespace zelquin::explain {
namespace {

constexpr std::size_t kMaxSmallExponentDigits = 15;

}  // namespace

void TypedNumberOf(std::u16string_view text, const DecimalReading& number, TypedDecimal& typed) {
    typed.value.negative = false;
    typed.value.digits.clear();
    typed.value.scale = 0;
    typed.hugeExponent = false;
    typed.scientificExponentNegative = false;
    typed.scientificExponent.clear();
    if (!number.digitSeen) return;
    typed.value.negative = number.negative;  // a zero keeps the sign typed, as the reader's does

    // The significand's digits and point, all ASCII where the reader found
    // them: the significant digits (no leading zeros), and the number of
    // digits after the point, leading zeros included.
    std::string& digits = typed.value.digits;
    digits.resize(number.significandEnd - number.significandStart);
    char* const start = digits.data();
    char* p = start;
    std::int64_t decimals = 0;
    bool afterPoint = false;
    for (std::size_t i = number.significandStart; i < number.significandEnd; ++i) {
        const char16_t unit = text[i];
        if (unit == u'.') {
            afterPoint = true;
            continue;
        }
        if (afterPoint) ++decimals;
        if (p == start && unit == u'0') continue;
        *p++ = static_cast<char>(unit);
    }
    digits.resize(static_cast<std::size_t>(p - start));
    if (digits.empty()) return;  // zero, whatever the exponent
    // Trailing zeros moved to the scale: value = digits * 10^(exponent + shift).
    const std::size_t last = digits.find_last_not_of('0');
    const std::int64_t shift = static_cast<std::int64_t>(digits.size() - 1 - last) - decimals;
    digits.erase(last + 1);

    // The exponent part's digits without leading zeros.
    std::size_t exponentStart = number.exponentStart;
    while (exponentStart < number.numberEnd && text[exponentStart] == u'0') ++exponentStart;
    const std::size_t exponentDigits = number.numberEnd - exponentStart;
    const bool exponentNegative = number.exponentNegative;
    if (exponentDigits <= kMaxSmallExponentDigits) {
        std::int64_t magnitude = 0;
        for (std::size_t i = exponentStart; i < number.numberEnd; ++i)
            magnitude = magnitude * 10 + (text[i] - u'0');
        typed.value.scale = (exponentNegative ? -magnitude : magnitude) + shift;
        return;
    }

    // The exponent of d.ddd * 10^x: x = +-exponent + k, with |k| far below
    // the exponent, so x keeps the exponent's sign.
    typed.hugeExponent = true;
    typed.scientificExponentNegative = exponentNegative;
    const std::string exponent(text.begin() + static_cast<std::ptrdiff_t>(exponentStart),
                               text.begin() + static_cast<std::ptrdiff_t>(number.numberEnd));
    exact::BigUnsigned scientific = exact::BigUnsigned::FromDecimal(exponent);
    const std::int64_t k = shift + static_cast<std::int64_t>(digits.size()) - 1;
    const std::int64_t towardZero = exponentNegative ? k : -k;  // taken off the magnitude
    const exact::BigUnsigned amount(
        static_cast<std::uint64_t>(towardZero < 0 ? -towardZero : towardZero));
    if (towardZero >= 0) {
        scientific -= amount;
    } else {
        scientific += amount;
    }
    typed.scientificExponent = scientific.ToDecimal();
}

TypedDecimal TypedNumberOf(std::u16string_view text, const DecimalReading& number) {
    TypedDecimal typed;
    TypedNumberOf(text, number, typed);
    return typed;
}

void AppendTyped(const TypedDecimal& typed, bool explicitPlus, std::string& out) {
    if (!typed.hugeExponent) {
        AppendDecimal(typed.value, explicitPlus, out);
        return;
    }
    AppendScientificText(typed.value.negative, typed.value.digits, typed.scientificExponentNegative,
                         typed.scientificExponent, explicitPlus, out);
}

std::string FormatTyped(const TypedDecimal& typed, bool explicitPlus) {
    std::string text;
    AppendTyped(typed, explicitPlus, text);
    return text;
}

}  // namespace zelquin::explain
