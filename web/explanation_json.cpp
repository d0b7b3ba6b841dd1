// TEMPORARY: see explanation_json.h. Each block line is two spaces, a label
// padded to twelve characters, and the text.
#include "explanation_json.h"

#include <cstdint>

namespace zelquin::web {
namespace {

constexpr std::size_t kTextColumn = 14;

std::string_view LineText(std::string_view block, std::string_view label) {
    while (!block.empty()) {
        const std::size_t end = block.find('\n');
        const std::string_view line = block.substr(0, end);
        block = end == std::string_view::npos ? std::string_view() : block.substr(end + 1);
        if (line.size() > kTextColumn && line.substr(2, label.size()) == label &&
            line[2 + label.size()] == ' ')
            return line.substr(kTextColumn);
    }
    return {};
}

std::string_view Before(std::string_view text, std::string_view end) {
    return text.substr(0, text.find(end));
}

// Appends "key": and the value; the texts are numbers, names and hexadecimal,
// with nothing to escape.
void Add(std::string& json, const char* key, std::string_view value, bool quoted) {
    json += json.size() > 1 ? ",\"" : "\"";
    json += key;
    json += quoted ? "\":\"" : "\":";
    json += value;
    if (quoted) json += '"';
}

void AddOrNull(std::string& json, const char* key, std::string_view value, bool present) {
    if (present) {
        Add(json, key, value, true);
    } else {
        Add(json, key, "null", false);
    }
}

}  // namespace

std::string ExplanationJson(std::string_view block, bool valueField) {
    // "binary": sign | exponent field | fraction field, in binary digits.
    std::string_view bits = LineText(block, "binary");
    const std::string_view sign = bits.substr(0, 1);
    bits.remove_prefix(4);
    const std::string_view exponentBits = Before(bits, " ");
    const std::string_view fractionBits = bits.substr(exponentBits.size() + 3);

    std::uint64_t exponentField = 0, fraction = 0;
    for (char c : exponentBits) exponentField = exponentField * 2 + (c - '0');
    for (char c : fractionBits) fraction = fraction * 2 + (c - '0');
    std::string fractionHex = "0x";
    for (int digit = static_cast<int>((fractionBits.size() + 3) / 4) - 1; digit >= 0; --digit)
        fractionHex += "0123456789abcdef"[(fraction >> (4 * digit)) & 0xF];

    const std::string_view exponent = LineText(block, "exponent");
    const bool finite = exponentBits.find('0') != std::string_view::npos;
    const std::string_view difference = LineText(block, "difference");

    std::string json = "{";
    Add(json, "format", Before(LineText(block, "format"), ","), true);
    Add(json, "pattern", LineText(block, "hex"), true);
    Add(json, "sign", sign, false);
    Add(json, "exponent_field", std::to_string(exponentField), false);
    Add(json, "fraction_field", fractionHex, true);
    Add(json, "class", LineText(block, "class"), true);
    Add(json, "exponent", exponent.starts_with("none") ? "null" : Before(exponent, " "), false);
    AddOrNull(json, "exact", LineText(block, "exact"), finite);
    if (valueField) {
        Add(json, "typed", Before(LineText(block, "typed"), " ("), true);
        AddOrNull(json, "difference", Before(difference, " ("), !difference.starts_with("none"));
    }
    json += '}';
    return json;
}

}  // namespace zelquin::web
