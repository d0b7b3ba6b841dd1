// The std::u16string forms of every conversion over their buffer forms.
#include "conversion.h"

namespace zelquin {
namespace {

// Runs a buffer form on a local buffer and returns its text as a string.
template <std::size_t Capacity, typename Write>
std::u16string TextOf(Write&& write) {
    char16_t buffer[Capacity];
    const char16_t* const end = write(buffer);
    return std::u16string(buffer, static_cast<std::size_t>(end - buffer));
}

}  // namespace

std::u16string PatternToValueText(std::u16string_view patternText, FormatOption option) {
    return TextOf<kLongestValueText>(
        [&](char16_t* out) { return PatternToValueText(patternText, option, out); });
}

std::u16string ValueToPatternText(std::u16string_view valueText, FormatOption option) {
    return TextOf<kLongestPatternText>(
        [&](char16_t* out) { return ValueToPatternText(valueText, option, out); });
}

std::u16string UInt32ToHexText(std::uint32_t pattern) {
    return TextOf<kLongestPatternText>(
        [&](char16_t* out) { return UInt32ToHexText(pattern, out); });
}

std::u16string UInt64ToHexText(std::uint64_t pattern) {
    return TextOf<kLongestPatternText>(
        [&](char16_t* out) { return UInt64ToHexText(pattern, out); });
}

std::u16string DoubleToFixedText(std::uint64_t binary64Bits) {
    return TextOf<kLongestValueText>(
        [&](char16_t* out) { return DoubleToFixedText(binary64Bits, out); });
}

}  // namespace zelquin
