// The page's C interface (zelquin_web.h) over the conversion core.
#include "zelquin_web.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "conversion.h"
#include "explanation.h"

namespace {

char16_t fieldBuffer[zelquin::kFieldUnitsConverted];
char16_t resultBuffer[zelquin::kLongestValueText];
std::string explanation;

// The part of a field's text that is converted.
std::u16string_view ConvertedText(const char16_t* text, std::size_t units) {
    return std::u16string_view(
        text, units < zelquin::kFieldUnitsConverted ? units : zelquin::kFieldUnitsConverted);
}

// The check box: set is the window's "Treat as 'double'".
zelquin::FormatOption Option(int treatAsDouble) {
    return zelquin::CheckBoxOption(treatAsDouble != 0);
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE char16_t* zelquin_field_buffer(void) { return fieldBuffer; }
EMSCRIPTEN_KEEPALIVE char16_t* zelquin_result_buffer(void) { return resultBuffer; }
EMSCRIPTEN_KEEPALIVE std::size_t zelquin_field_units(void) { return zelquin::kFieldUnitsConverted; }

EMSCRIPTEN_KEEPALIVE std::size_t zelquin_pattern_to_value(const char16_t* text, std::size_t units,
                                                          int treatAsDouble, char16_t* out) {
    return zelquin::PatternToValueText(ConvertedText(text, units), Option(treatAsDouble), out) -
           out;
}

EMSCRIPTEN_KEEPALIVE std::size_t zelquin_value_to_pattern(const char16_t* text, std::size_t units,
                                                          int treatAsDouble, char16_t* out) {
    return zelquin::ValueToPatternText(ConvertedText(text, units), Option(treatAsDouble), out) -
           out;
}

EMSCRIPTEN_KEEPALIVE const char* zelquin_explain_pattern(const char16_t* text, std::size_t units,
                                                         std::size_t textUnits, int treatAsDouble) {
    const std::u16string_view converted = ConvertedText(text, units);
    explanation = zelquin::explain::ExplanationJson(zelquin::explain::ExplainPattern(
        converted, textUnits > converted.size() ? textUnits : converted.size(),
        Option(treatAsDouble)));
    return explanation.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* zelquin_explain_value(const char16_t* text, std::size_t units,
                                                       std::size_t textUnits, int treatAsDouble) {
    const std::u16string_view converted = ConvertedText(text, units);
    explanation = zelquin::explain::ExplanationJson(zelquin::explain::ExplainValue(
        converted, textUnits > converted.size() ? textUnits : converted.size(),
        Option(treatAsDouble)));
    return explanation.c_str();
}

EMSCRIPTEN_KEEPALIVE std::size_t zelquin_value_text_for(std::uint32_t high, std::uint32_t low,
                                                        char16_t* out) {
    const std::u16string text =
        zelquin::explain::ValueTextFor(std::uint64_t{high} << 32 | std::uint64_t{low});
    if (text.size() > zelquin::kLongestValueText) return 0;
    std::copy(text.begin(), text.end(), out);
    return text.size();
}

}  // extern "C"
