// The typed number from the reader's spans, keeping the digits it drops.
#include "typed_number.h"

#include <cstdlib>

#include "big_unsigned.h"

namespace zelquin::explain {
namespace {

constexpr std::size_t kMaxSmallExponentDigits = 15;

}  // namespace

TypedDecimal TypedNumberOf(std::u16string_view text, const DecimalReading& number) {
    TypedDecimal typed;
    if (!number.digitSeen) return typed;
    typed.value.negative = number.negative;  // a zero keeps the sign typed, as the reader's does

    // The significand's digits and point, and the exponent part's digits, all
    // ASCII where the reader found them.
    std::string digits;
    std::size_t decimals = 0;
    bool afterPoint = false;
    for (std::size_t i = number.significandStart; i < number.significandEnd; ++i) {
        if (text[i] == u'.') {
            afterPoint = true;
            continue;
        }
        digits += static_cast<char>(text[i]);
        if (afterPoint) ++decimals;
    }
    const std::string exponentDigits(
        text.begin() + static_cast<std::ptrdiff_t>(number.exponentStart),
        text.begin() + static_cast<std::ptrdiff_t>(number.numberEnd));
    const bool exponentNegative = number.exponentNegative;

    // Significant digits: no leading zeros, trailing zeros moved to the scale.
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return typed;  // zero, whatever the exponent
    const std::size_t last = digits.find_last_not_of('0');
    typed.value.digits = digits.substr(first, last + 1 - first);
    // value = digits * 10^(exponent + shift)
    const std::int64_t shift =
        static_cast<std::int64_t>(digits.size() - 1 - last) - static_cast<std::int64_t>(decimals);

    const std::size_t exponentStart = exponentDigits.find_first_not_of('0');
    const std::string exponent =
        exponentStart == std::string::npos ? std::string() : exponentDigits.substr(exponentStart);
    if (exponent.size() <= kMaxSmallExponentDigits) {
        const std::int64_t magnitude =
            exponent.empty() ? 0 : std::strtoll(exponent.c_str(), nullptr, 10);
        typed.value.scale = (exponentNegative ? -magnitude : magnitude) + shift;
        return typed;
    }

    // The exponent of d.ddd * 10^x: x = +-exponent + k, with |k| far below
    // the exponent, so x keeps the exponent's sign.
    typed.hugeExponent = true;
    typed.scientificExponentNegative = exponentNegative;
    exact::BigUnsigned scientific = exact::BigUnsigned::FromDecimal(exponent);
    const std::int64_t k = shift + static_cast<std::int64_t>(typed.value.digits.size()) - 1;
    const std::int64_t towardZero = exponentNegative ? k : -k;  // taken off the magnitude
    const exact::BigUnsigned amount(
        static_cast<std::uint64_t>(towardZero < 0 ? -towardZero : towardZero));
    if (towardZero >= 0) {
        scientific -= amount;
    } else {
        scientific += amount;
    }
    typed.scientificExponent = scientific.ToDecimal();
    return typed;
}

std::string FormatTyped(const TypedDecimal& typed, bool explicitPlus) {
    if (!typed.hugeExponent) return FormatDecimal(typed.value, explicitPlus);
    return ScientificText(typed.value.negative, typed.value.digits,
                          typed.scientificExponentNegative, typed.scientificExponent, explicitPlus);
}

}  // namespace zelquin::explain
