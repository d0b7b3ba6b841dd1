// The page's C interface (zelquin_web.h) over the conversion core.
#include "zelquin_web.h"

#include <emscripten.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "conversion.h"
#include "explanation.h"

namespace {

char16_t fieldBuffer[zelquin::kFieldUnitsConverted];
char16_t resultBuffer[zelquin::kLongestValueText];
zelquin::explain::Explanation record;  // the number explained last
std::string json;

// The part of a field's text that is converted.
std::u16string_view ConvertedText(const char16_t* text, std::size_t units) {
    return std::u16string_view(
        text, units < zelquin::kFieldUnitsConverted ? units : zelquin::kFieldUnitsConverted);
}

// The check box: set is the window's "Treat as 'double'".
zelquin::FormatOption Option(int treatAsDouble) {
    return zelquin::CheckBoxOption(treatAsDouble != 0);
}

// Explains a field's text into the record kept for zelquin_entries and
// returns its JSON object.
const char* Explained(zelquin::explain::Command command, const char16_t* text, std::size_t units,
                      std::size_t textUnits, int treatAsDouble) {
    const std::u16string_view converted = ConvertedText(text, units);
    zelquin::explain::Explain(command, converted,
                              textUnits > converted.size() ? textUnits : converted.size(),
                              Option(treatAsDouble), record);
    json.clear();
    zelquin::explain::AppendExplanationJson(record, json);
    return json.c_str();
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
    return Explained(zelquin::explain::Command::Pattern, text, units, textUnits, treatAsDouble);
}

EMSCRIPTEN_KEEPALIVE const char* zelquin_explain_value(const char16_t* text, std::size_t units,
                                                       std::size_t textUnits, int treatAsDouble) {
    return Explained(zelquin::explain::Command::Value, text, units, textUnits, treatAsDouble);
}

EMSCRIPTEN_KEEPALIVE const char* zelquin_entries(int treatAsDouble) {
    zelquin::explain::SetEntries(record, treatAsDouble != 0);
    json = zelquin::explain::EntriesJson(record);
    return json.c_str();
}

}  // extern "C"
