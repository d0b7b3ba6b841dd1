// The two conversions between the fields, and the std::u16string forms of
// every conversion over their buffer forms.
#include "conversion.h"

#include "binary_format.h"
#include "decimal_reading.h"
#include "pattern_reading.h"

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

char16_t* PatternToValueText(std::u16string_view patternText, FormatOption option, char16_t* out) {
    const PatternNumber number = ChoosePatternNumber(TextToUInt64(patternText), option);
    // A binary32 is made quiet as a binary32 and then widened exactly.
    const std::uint64_t binary64 =
        number.isDouble
            ? MakeQuiet(number.bits, kBinary64)
            : SingleToDouble(static_cast<std::uint32_t>(MakeQuiet(number.bits, kBinary32)));
    return DoubleToFixedText(binary64, out);
}

char16_t* ValueToPatternText(std::u16string_view valueText, FormatOption option, char16_t* out) {
    const std::uint64_t binary64 = TextToDouble(valueText);
    if (option != FormatOption::Binary32) return UInt64ToHexText(binary64, out);
    return UInt32ToHexText(DoubleToSingle(binary64), out);
}

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
