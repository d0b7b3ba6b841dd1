// Exact decimal values by integer arithmetic: a binary number m * 2^e is
// m * 5^-e * 10^e when e is negative, and a plain integer otherwise.
#include "exact_decimal.h"

#include <cassert>
#include <cstdlib>

#include "pattern_reading.h"

namespace zelquin::cli {
namespace {

constexpr std::int64_t kMaxPositionalIntegerDigits = 400;
constexpr std::int64_t kMaxPositionalDecimals = 1100;
constexpr std::size_t kMaxSmallExponentDigits = 15;

// The decimal of (-1)^negative * magnitude * 10^scale, digits normalised.
Decimal FromBig(bool negative, const BigUnsigned& magnitude, std::int64_t scale) {
    Decimal result;
    if (magnitude.IsZero()) return result;
    result.negative = negative;
    result.digits = magnitude.ToDecimal();
    std::size_t end = result.digits.size();
    while (result.digits[end - 1] == '0') --end;
    result.scale = scale + static_cast<std::int64_t>(result.digits.size() - end);
    result.digits.resize(end);
    return result;
}

std::string ScientificText(bool negative, const std::string& digits, bool exponentNegative,
                           const std::string& exponent, bool explicitPlus) {
    std::string text = negative ? "-" : (explicitPlus ? "+" : "");
    text += digits[0];
    if (digits.size() > 1) {
        text += '.';
        text.append(digits, 1);
    }
    text += exponentNegative ? "e-" : "e+";
    text += exponent;
    return text;
}

bool IsAsciiDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// Appends the ASCII digits from text[i] on and returns the index after them.
std::size_t TakeDigits(std::u16string_view text, std::size_t i, std::string& digits) {
    while (i < text.size() && IsAsciiDigit(text[i])) digits += static_cast<char>(text[i++]);
    return i;
}

}  // namespace

Decimal BinaryToDecimal(bool negative, std::uint64_t significand, int exponent) {
    BigUnsigned magnitude(significand);
    if (exponent >= 0) {
        magnitude.ShiftLeft(exponent);
    } else {
        magnitude.MultiplyByPowerOfFive(-exponent);
    }
    Decimal result = FromBig(negative, magnitude, exponent >= 0 ? 0 : exponent);
    result.negative = negative;  // -0 keeps its sign
    return result;
}

Decimal Subtract(const Decimal& a, const Decimal& b) {
    if (b.digits.empty()) return a.digits.empty() ? Decimal{} : a;
    Decimal minusB = b;
    minusB.negative = !b.negative;
    if (a.digits.empty()) return minusB;

    // Both on the smaller scale.
    assert(a.scale - b.scale <= kMaxScaleDistance && b.scale - a.scale <= kMaxScaleDistance);
    const std::int64_t scale = a.scale < b.scale ? a.scale : b.scale;
    BigUnsigned x = BigUnsigned::FromDecimal(a.digits);
    BigUnsigned y = BigUnsigned::FromDecimal(b.digits);
    x.MultiplyByPowerOfTen(static_cast<int>(a.scale - scale));
    y.MultiplyByPowerOfTen(static_cast<int>(b.scale - scale));

    if (a.negative != b.negative) {
        x.Add(y);
        return FromBig(a.negative, x, scale);
    }
    const int order = Compare(x, y);
    if (order >= 0) {
        x.Subtract(y);
        return FromBig(a.negative, x, scale);
    }
    y.Subtract(x);
    return FromBig(!a.negative, y, scale);
}

std::string FormatDecimal(const Decimal& value, bool explicitPlus) {
    if (value.digits.empty()) return value.negative ? "-0" : "0";
    const std::string& digits = value.digits;
    const std::int64_t length = static_cast<std::int64_t>(digits.size());
    const std::int64_t integerDigits = length + value.scale;
    const std::int64_t decimals = value.scale < 0 ? -value.scale : 0;

    if (integerDigits > kMaxPositionalIntegerDigits || decimals > kMaxPositionalDecimals) {
        const std::int64_t exponent = integerDigits - 1;
        return ScientificText(value.negative, digits, exponent < 0,
                              std::to_string(exponent < 0 ? -exponent : exponent), explicitPlus);
    }

    std::string text = value.negative ? "-" : (explicitPlus ? "+" : "");
    if (value.scale >= 0) {
        text += digits;
        text.append(static_cast<std::size_t>(value.scale), '0');
    } else if (integerDigits > 0) {
        text.append(digits, 0, static_cast<std::size_t>(integerDigits));
        text += '.';
        text.append(digits, static_cast<std::size_t>(integerDigits));
    } else {
        text += "0.";
        text.append(static_cast<std::size_t>(-integerDigits), '0');
        text += digits;
    }
    return text;
}

TypedDecimal ReadTypedDecimal(std::u16string_view text) {
    // A NUL ends the text, as it does for the reader.
    const std::size_t nul = text.find(u'\0');
    const std::u16string_view read = nul == std::u16string_view::npos ? text : text.substr(0, nul);

    TypedDecimal typed;
    std::size_t i = 0;
    while (i < read.size() && IsWhiteSpace(read[i])) ++i;
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

    // The exponent part counts only with at least one digit.
    std::string exponentDigits;
    bool exponentNegative = false;
    if (i < read.size() && (read[i] == u'e' || read[i] == u'E' || read[i] == u'd' || read[i] == u'D')) {
        std::size_t j = i + 1;
        if (j < read.size() && (read[j] == u'+' || read[j] == u'-')) exponentNegative = read[j++] == u'-';
        const std::size_t end = TakeDigits(read, j, exponentDigits);
        if (!exponentDigits.empty()) i = end;
    }
    typed.textAfter = i < text.size();

    // Significant digits: no leading zeros, trailing zeros moved to the scale.
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return typed;  // zero, whatever the exponent
    const std::size_t last = digits.find_last_not_of('0');
    typed.value.negative = negative;
    typed.value.digits = digits.substr(first, last + 1 - first);
    // value = digits * 10^(exponent + shift)
    const std::int64_t shift =
        static_cast<std::int64_t>(digits.size() - 1 - last) - static_cast<std::int64_t>(decimals);

    const std::size_t exponentStart = exponentDigits.find_first_not_of('0');
    const std::string exponent =
        exponentStart == std::string::npos ? std::string() : exponentDigits.substr(exponentStart);
    if (exponent.size() <= kMaxSmallExponentDigits) {
        const std::int64_t magnitude = exponent.empty() ? 0 : std::strtoll(exponent.c_str(), nullptr, 10);
        typed.value.scale = (exponentNegative ? -magnitude : magnitude) + shift;
        return typed;
    }

    // The exponent of d.ddd * 10^x: x = +-exponent + k, with |k| far below
    // the exponent, so x keeps the exponent's sign.
    typed.hugeExponent = true;
    typed.scientificExponentNegative = exponentNegative;
    typed.scientificExponent = BigUnsigned::FromDecimal(exponent);
    const std::int64_t k = shift + static_cast<std::int64_t>(typed.value.digits.size()) - 1;
    const std::int64_t towardZero = exponentNegative ? k : -k;  // taken off the magnitude
    const BigUnsigned amount(static_cast<std::uint64_t>(towardZero < 0 ? -towardZero : towardZero));
    if (towardZero >= 0) {
        typed.scientificExponent.Subtract(amount);
    } else {
        typed.scientificExponent.Add(amount);
    }
    return typed;
}

std::string FormatTyped(const TypedDecimal& typed, bool explicitPlus) {
    if (!typed.hugeExponent) return FormatDecimal(typed.value, explicitPlus);
    return ScientificText(typed.value.negative, typed.value.digits, typed.scientificExponentNegative,
                          typed.scientificExponent.ToDecimal(), explicitPlus);
}

}  // namespace zelquin::cli
