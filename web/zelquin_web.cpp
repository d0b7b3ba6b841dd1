// The page's C interface (zelquin_web.h) over the conversion core.
#include "zelquin_web.h"

#include <emscripten.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "conversion.h"
#include "explanation.h"

namespace {

char16_t fieldBuffer[zelquin::kFieldUnitsConverted];
char16_t resultBuffer[zelquin::kLongestValueText];
char choiceBuffer[256];
zelquin::explain::Explanation record;  // the number explained last
std::string json;

// The part of a field's text that is converted.
std::u16string_view ConvertedText(const char16_t* text, std::size_t units) {
    return std::u16string_view(
        text, units < zelquin::kFieldUnitsConverted ? units : zelquin::kFieldUnitsConverted);
}

// 0 binary32, 1 "Treat as 'double'", 2 binary64 both ways.
zelquin::FormatOption Option(int option) {
    return option == 2   ? zelquin::FormatOption::Binary64
           : option == 1 ? zelquin::FormatOption::TreatAsDouble
                         : zelquin::FormatOption::Binary32;
}

// The choice buffer's "name|mode|policy|via"; false where a name is unknown.
bool ChoiceOf(zelquin::explain::FormatChoice& choice, std::string& message) {
    std::string_view rest(choiceBuffer, strnlen(choiceBuffer, sizeof choiceBuffer));
    std::string_view parts[4];
    for (std::string_view& part : parts) {
        const std::size_t bar = rest.find('|');
        part = rest.substr(0, bar);
        rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
    }
    const auto format = zelquin::explain::FindFormat(parts[0]);
    const auto mode = zelquin::explain::FindRoundingMode(parts[1]);
    const auto policy = zelquin::explain::FindOverflowPolicy(parts[2]);
    if (!format || !mode || !policy) {
        message = "unknown format, rounding mode or overflow policy";
        return false;
    }
    choice.format = *format;
    choice.rounding = *mode;
    choice.overflow = *policy;
    choice.via.clear();
    return parts[3].empty() || zelquin::explain::ParseFormatList(parts[3], choice.via, message);
}

// Explains a field's text into the record kept for zelquin_entries and
// returns its JSON object.
const char* Explained(zelquin::explain::Command command, const char16_t* text, std::size_t units,
                      std::size_t textUnits, int option) {
    const std::u16string_view converted = ConvertedText(text, units);
    zelquin::explain::Explain(command, converted,
                              textUnits > converted.size() ? textUnits : converted.size(),
                              Option(option), record);
    json.clear();
    zelquin::explain::AppendExplanationJson(record, json);
    return json.c_str();
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE char16_t* zelquin_field_buffer(void) { return fieldBuffer; }
EMSCRIPTEN_KEEPALIVE char16_t* zelquin_result_buffer(void) { return resultBuffer; }
EMSCRIPTEN_KEEPALIVE char* zelquin_choice_buffer(void) { return choiceBuffer; }
EMSCRIPTEN_KEEPALIVE std::size_t zelquin_choice_bytes(void) { return sizeof choiceBuffer; }
EMSCRIPTEN_KEEPALIVE std::size_t zelquin_field_units(void) { return zelquin::kFieldUnitsConverted; }

EMSCRIPTEN_KEEPALIVE std::size_t zelquin_pattern_to_value(const char16_t* text, std::size_t units,
                                                          int option, char16_t* out) {
    return zelquin::PatternToValueText(ConvertedText(text, units), Option(option), out) - out;
}

EMSCRIPTEN_KEEPALIVE std::size_t zelquin_value_to_pattern(const char16_t* text, std::size_t units,
                                                          int option, char16_t* out) {
    return zelquin::ValueToPatternText(ConvertedText(text, units), Option(option), out) - out;
}

EMSCRIPTEN_KEEPALIVE const char* zelquin_explain_pattern(const char16_t* text, std::size_t units,
                                                         std::size_t textUnits, int option) {
    return Explained(zelquin::explain::Command::Pattern, text, units, textUnits, option);
}

EMSCRIPTEN_KEEPALIVE const char* zelquin_explain_value(const char16_t* text, std::size_t units,
                                                       std::size_t textUnits, int option) {
    return Explained(zelquin::explain::Command::Value, text, units, textUnits, option);
}

EMSCRIPTEN_KEEPALIVE const char* zelquin_explain_in_format(int command, const char16_t* text,
                                                           std::size_t units,
                                                           std::size_t textUnits) {
    const auto which =
        command == 0 ? zelquin::explain::Command::Pattern : zelquin::explain::Command::Value;
    zelquin::explain::FormatChoice choice;
    std::string message;
    if (!ChoiceOf(choice, message)) {
        json = zelquin::explain::NotConvertedJson(which, message);
        return json.c_str();
    }
    const std::u16string_view converted = ConvertedText(text, units);
    zelquin::explain::ExplainInFormat(which, converted,
                                      textUnits > converted.size() ? textUnits : converted.size(),
                                      choice, record);
    json.clear();
    if (record.refused) {
        json = zelquin::explain::NotConvertedJson(which, record.notes[0]);
    } else {
        zelquin::explain::AppendExplanationJson(record, json);
    }
    return json.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* zelquin_formats(void) {
    json = "[";
    for (const zelquin::explain::FloatFormat& format : zelquin::explain::RegisteredFormats()) {
        if (json.size() > 1) json += ',';
        json += "{\"name\":\"";
        json += format.name;
        json += "\",\"aliases\":\"";
        json += format.aliases;
        json += "\",\"holds\":\"";
        json += zelquin::explain::SpecialsText(format.specials);
        json += "\"}";
    }
    json += ']';
    return json.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* zelquin_entries(int treatAsDouble) {
    zelquin::explain::SetEntries(record, treatAsDouble != 0);
    json = zelquin::explain::EntriesJson(record);
    return json.c_str();
}

}  // extern "C"
