// The readers' grammars over UTF-16 units, keeping what the readers drop.
#include "typed_number.h"

#include <cstdlib>

#include "big_unsigned.h"
#include "pattern_reading.h"

namespace zelquin::explain {
namespace {

constexpr std::size_t kMaxSmallExponentDigits = 15;

bool IsAsciiDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// Appends the ASCII digits from text[i] on and returns the index after them.
std::size_t TakeDigits(std::u16string_view text, std::size_t i, std::string& digits) {
    while (i < text.size() && IsAsciiDigit(text[i])) digits += static_cast<char>(text[i++]);
    return i;
}

// The text up to its first NUL, which ends it for both readers.
std::u16string_view UpToNul(std::u16string_view text) {
    const std::size_t nul = text.find(u'\0');
    return nul == std::u16string_view::npos ? text : text.substr(0, nul);
}

}  // namespace

TypedDecimal ReadTypedDecimal(std::u16string_view text) {
    const std::u16string_view read = UpToNul(text);
    TypedDecimal typed;
    std::size_t i = WhiteSpaceLength(read);
    bool negative = false;
    if (i < read.size() && (read[i] == u'+' || read[i] == u'-')) negative = read[i++] == u'-';

    std::string digits;
    i = TakeDigits(read, i, digits);
    std::size_t decimals = 0;
    if (i < read.size() && read[i] == u'.') {
        const std::size_t before = digits.size();
        const std::size_t after = TakeDigits(read, i + 1, digits);
        decimals = digits.size() - before;
        if (!digits.empty()) i = after;  // "." alone is no number
    }
    if (digits.empty()) return typed;
    typed.numberFound = true;
    typed.value.negative = negative;  // a zero keeps the sign typed, as the reader's does

    // The exponent part counts only with at least one digit.
    std::string exponentDigits;
    bool exponentNegative = false;
    if (i < read.size() &&
        (read[i] == u'e' || read[i] == u'E' || read[i] == u'd' || read[i] == u'D')) {
        std::size_t j = i + 1;
        if (j < read.size() && (read[j] == u'+' || read[j] == u'-'))
            exponentNegative = read[j++] == u'-';
        const std::size_t end = TakeDigits(read, j, exponentDigits);
        if (!exponentDigits.empty()) i = end;
    }
    typed.textAfter = i < text.size();

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

TypedInteger ReadTypedInteger(std::u16string_view text) {
    const std::u16string_view read = UpToNul(text);
    TypedInteger typed;
    std::size_t i = WhiteSpaceLength(read);
    if (i < read.size() && (read[i] == u'+' || read[i] == u'-')) typed.negative = read[i++] == u'-';

    unsigned base = 10;
    if (i < read.size() && DigitValue(read[i]) == 0) {
        base = 8;
        if (i + 1 < read.size() && (read[i + 1] == u'x' || read[i + 1] == u'X')) {
            base = 16;
            i += 2;
        }
    }
    constexpr std::uint64_t kAllOnes = ~std::uint64_t{0};
    for (; i < read.size(); ++i) {
        const unsigned digit = IntegerDigitValue(read[i]);
        if (digit >= base) break;
        typed.numberFound = true;
        if (typed.magnitude > (kAllOnes - digit) / base) typed.overflowed = true;
        if (!typed.overflowed) typed.magnitude = typed.magnitude * base + digit;
    }
    typed.textAfter = typed.numberFound && i < text.size();
    return typed;
}

std::uint64_t IntegerRead(const TypedInteger& typed) {
    if (!typed.numberFound) return 0;
    if (typed.overflowed) return ~std::uint64_t{0};
    return typed.negative ? 0 - typed.magnitude : typed.magnitude;
}

}  // namespace zelquin::explain
