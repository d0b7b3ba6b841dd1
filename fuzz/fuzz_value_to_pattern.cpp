// Fuzz target: any value field text, with either option, through
// ValueToPatternText. Checks the form and length of the pattern text, that
// it is the same on a second call and with the text cut at its first NUL,
// that it is the hexadecimal of the value reading (narrowed without the
// option) and reads back as that pattern, the narrowing against the
// processor's own, and short decimal numbers against one correctly rounded
// binary64 operation.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "binary_format.h"
#include "conversion.h"
#include "fuzz_input.h"
#include "pattern_reading.h"
#include "references.h"
#include "text_forms.h"

namespace {

using zelquin::check::Fail;
using zelquin::check::FuzzInput;

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
constexpr std::size_t kLongestSinglePatternText = 10;  // "0xffffffff"

bool IsNan(std::uint64_t bits) { return zelquin::IsNaN(bits, zelquin::kBinary64); }

// DoubleToSingle against the processor's conversion (round to nearest, ties
// to even). A NaN has to stay a NaN of the same sign, made quiet.
void CheckNarrowing(const FuzzInput& input, std::uint64_t bits) {
    const std::uint32_t narrowed = zelquin::DoubleToSingle(bits);
    if (IsNan(bits)) {
        const bool quietNan = (narrowed & 0x7FC00000u) == 0x7FC00000u;
        if (!quietNan || (narrowed >> 31) != (bits >> 63)) {
            Fail(input, "narrowing of a NaN", zelquin::UInt32ToHexText(narrowed),
                 zelquin::UInt64ToHexText(bits));
        }
        return;
    }
    const std::uint32_t expected =
        std::bit_cast<std::uint32_t>(static_cast<float>(std::bit_cast<double>(bits)));
    if (narrowed != expected) {
        Fail(input, "narrowing differs from the processor's", zelquin::UInt32ToHexText(narrowed),
             zelquin::UInt32ToHexText(expected));
    }
}

// For at most fifteen significant digits and a power of ten within 10^+-22,
// both the digits' integer and the power are exact binary64 numbers, and one
// multiplication or division gives the correctly rounded value. The reader's
// result must be that value or a neighbour (its exact halves go toward zero,
// and its extended arithmetic is not exact).
void CheckShortNumber(const FuzzInput& input, std::u16string_view text, std::uint64_t read) {
    std::size_t start = 0;
    while (start < text.size() && text[start] != u'\0' && zelquin::IsWhiteSpace(text[start]))
        ++start;
    const zelquin::ScanResult s = zelquin::ScanDecimal(text.substr(start));
    if (!s.digitSeen) {
        if (read != 0)
            Fail(input, "text without digits did not read as +0", zelquin::UInt64ToHexText(read));
        return;
    }
    const std::uint64_t sign = s.negative ? kSignBit : 0;
    if (s.digitCount == 0) {
        if (read != sign)
            Fail(input, "zero digits did not read as a zero of the sign",
                 zelquin::UInt64ToHexText(read));
        return;
    }
    if (s.digitCount > 15) return;
    const int n = (s.exponentNegative ? -s.exponentValue : s.exponentValue) + s.exponentAdjustment;
    if (n < -22 || n > 22) return;
    std::uint64_t integer = 0;
    for (int i = 0; i < s.digitCount; ++i) integer = integer * 10 + s.digits[i];
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const double m = static_cast<double>(integer);
    const double nearest = n >= 0 ? m * kPowers[n] : m / kPowers[-n];
    const std::uint64_t expected = std::bit_cast<std::uint64_t>(nearest);
    const std::uint64_t magnitude = read & ~kSignBit;
    const std::uint64_t step = magnitude > expected ? magnitude - expected : expected - magnitude;
    if ((read & kSignBit) != sign || step > 1) {
        Fail(input, "short number not read as the nearest binary64 or a neighbour",
             zelquin::UInt64ToHexText(read), zelquin::UInt64ToHexText(sign | expected));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const FuzzInput input(data, size);
    const std::u16string_view text = input.Text();
    const bool option = input.Option();

    const std::u16string pattern = ConvertChecked(input, zelquin::ValueToPatternText);
    const std::size_t limit = option ? zelquin::kLongestPatternText : kLongestSinglePatternText;
    if (const char* fault = zelquin::check::PatternTextFault(pattern, limit))
        Fail(input, fault, pattern);

    const std::uint64_t read = zelquin::TextToDouble(text);
    if (IsNan(read)) Fail(input, "value reading gave a NaN", zelquin::UInt64ToHexText(read));
    const std::uint64_t bits = option ? read : zelquin::DoubleToSingle(read);
    const std::u16string expected =
        option ? zelquin::UInt64ToHexText(bits)
               : zelquin::UInt32ToHexText(static_cast<std::uint32_t>(bits));
    if (pattern != expected)
        Fail(input, "pattern text is not the hexadecimal of the value read", pattern, expected);
    if (zelquin::TextToUInt64(pattern) != bits)
        Fail(input, "pattern text does not read back as its pattern", pattern);

    CheckNarrowing(input, read);
    if (size >= 9) {  // the same bytes as a binary64, for the narrowing alone
        std::uint64_t raw;
        std::memcpy(&raw, data + 1, sizeof raw);
        CheckNarrowing(input, raw);
    }
    CheckShortNumber(input, text, read);
    return 0;
}
