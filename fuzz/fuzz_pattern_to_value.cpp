// Fuzz target: any pattern field text, with either option, through
// PatternToValueText. Checks the form and length of the value text, that it
// is the same on a second call and with the text cut at its first NUL, the
// integer reading of plain ASCII texts against the C library's reader, the
// special texts of infinities and NaNs, and that the value text reads back
// within six decimals and seventeen digits of the number the pattern holds.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "binary_format.h"
#include "conversion.h"
#include "decimal_distance.h"
#include "fuzz_input.h"
#include "pattern_reading.h"
#include "references.h"
#include "text_forms.h"

namespace {

using zelquin::check::Fail;
using zelquin::check::FuzzInput;

// The binary64 the pattern's integer stands for, before any NaN is made quiet.
std::uint64_t PatternNumber(std::uint64_t integer, bool treatAsDouble) {
    if (treatAsDouble) return integer << 32;
    if (integer > 0xFFFFFFFFu) return integer;
    const float single = std::bit_cast<float>(static_cast<std::uint32_t>(integer));
    // Same sign and fraction, on the bits; the quiet bit is set below.
    if (std::isnan(single)) return zelquin::SingleToDouble(static_cast<std::uint32_t>(integer));
    return std::bit_cast<std::uint64_t>(static_cast<double>(single));  // exact
}

bool IsNan(std::uint64_t bits) { return zelquin::IsNaN(bits, zelquin::kBinary64); }

// The integer reader against strtoull with base 0, for a text of ASCII
// characters only. A "0b" prefix is left out: newer C libraries read it as
// binary, which the pattern field never does.
void CheckAsciiInteger(const FuzzInput& input, std::uint64_t integer) {
    const std::u16string_view text = input.TextBeforeNul();
    std::string narrow;
    for (char16_t c : text) {
        if (c >= 0x80) return;
        narrow.push_back(static_cast<char>(c));
    }
    std::size_t i = narrow.find_first_not_of(" \t\n\v\f\r");
    if (i != std::string::npos && (narrow[i] == '+' || narrow[i] == '-')) ++i;
    if (i != std::string::npos && i + 1 < narrow.size() && narrow[i] == '0' &&
        (narrow[i + 1] == 'b' || narrow[i + 1] == 'B')) {
        return;
    }
    const unsigned long long expected = std::strtoull(narrow.c_str(), nullptr, 0);
    if (integer != expected) {
        const std::u16string got = zelquin::UInt64ToHexText(integer);
        const std::u16string want = zelquin::UInt64ToHexText(expected);
        Fail(input, "integer differs from strtoull's", got, want);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const FuzzInput input(data, size);
    const std::u16string_view text = input.Text();
    const bool option = input.Option();

    const std::u16string value = ConvertChecked(input, zelquin::PatternToValueText);

    const std::uint64_t integer = zelquin::TextToUInt64(text);
    const bool single = !option && integer <= 0xFFFFFFFFu;
    const std::size_t limit =
        single ? zelquin::kLongestSingleValueText : zelquin::kLongestValueText;
    if (const char* fault = zelquin::check::ValueTextFault(value, limit)) Fail(input, fault, value);
    if (value == u"1.#SNAN0" || value == u"-1.#SNAN0") Fail(input, "signalling NaN text", value);
    if (value == u"1.#IND00") Fail(input, "\"1.#IND00\" without its sign", value);

    CheckAsciiInteger(input, integer);

    std::uint64_t number = PatternNumber(integer, option);
    if (IsNan(number)) number |= std::uint64_t{1} << 51;
    if (const char16_t* special = zelquin::check::SpecialText(number)) {
        if (value != special) Fail(input, "wrong special text", value, special);
        return 0;
    }
    const std::u16string rendered = zelquin::DoubleToFixedText(number);
    if (value != rendered)
        Fail(input, "value text is not the rendering of the pattern's number", value, rendered);

    const double x = std::bit_cast<double>(number);
    const double read = std::bit_cast<double>(zelquin::TextToDouble(value));
    if (!(zelquin::check::DistanceRatio(x, read) <= zelquin::check::kRatioAllowance)) {
        Fail(input, "value text reads back too far from the pattern's number", value);
    }
    return 0;
}
