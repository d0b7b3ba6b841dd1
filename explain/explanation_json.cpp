// The explanation as one JSON object. Every object of a converted text has the
// same members in the same order; a member that does not apply to the command
// or the number is null (or false for a note).
#include <nlohmann/json.hpp>

#include "explanation.h"

namespace zelquin::explain {
namespace {

using Json = nlohmann::ordered_json;

Json StringOrNull(bool present, const std::string& text) {
    return present ? Json(text) : Json(nullptr);
}

Json StringOrNull(const std::optional<std::string>& text) {
    return text ? Json(*text) : Json(nullptr);
}

Json HexOrNull(const std::optional<std::uint64_t>& bits, int bitCount) {
    return bits ? Json(FullHex(*bits, bitCount)) : Json(nullptr);
}

std::string Dump(const Json& object) {
    // Every string is UTF-8 already; replacing is only a guard, so that no
    // text can make the writer fail.
    return object.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

std::string ExplanationJson(const Explanation& e) {
    const bool pattern = e.command == Command::Pattern;
    const bool value = !pattern;
    Json j;
    j["command"] = CommandName(e.command);
    j["text"] = Utf8FromUtf16(e.text);
    j["textUnits"] = e.textUnits;
    j["result"] = e.result;
    j["format"] = e.format->name;
    j["hex"] = FullHex(e.bits, e.format->TotalBits());
    j["sign"] = e.negative ? 1 : 0;
    j["exponentField"] = e.exponentField;
    j["fraction"] = FullHex(e.fraction, e.format->fractionBits);
    j["class"] = ClassName(e.numberClass);
    j["exponent"] = e.hasExponent ? Json(e.exponent) : Json(nullptr);
    j["exact"] = StringOrNull(e.finite, e.exact);
    j["integer"] = StringOrNull(pattern, IntegerHex(e.integer));
    j["typed"] = StringOrNull(value, e.typed);
    j["difference"] = StringOrNull(e.hasDifference, e.difference);
    j["truncated"] = e.truncated;
    j["noNumber"] = e.noNumber;
    j["textAfterIgnored"] = e.textAfterIgnored;
    j["overflowed"] = e.overflowed;
    j["wrapped"] = e.wrapped;
    j["quietedFrom"] = StringOrNull(e.quieted, FullHex(e.signallingBits, e.format->TotalBits()));
    j["narrowedFrom"] = StringOrNull(e.narrowed, FullHex(e.binary64Bits, 64));
    const int bitCount = e.format->TotalBits();
    j["shortest"] = e.shortest;
    j["nearest"] = HexOrNull(e.nearest, bitCount);
    j["nearestDiffers"] = value ? Json(e.nearestDiffers) : Json(nullptr);
    j["differsBecause"] = StringOrNull(e.nearestDiffers, e.differsBecause);
    j["ulps"] = StringOrNull(e.ulps);
    j["nextUp"] = HexOrNull(e.nextUp, bitCount);
    j["nextDown"] = HexOrNull(e.nextDown, bitCount);
    j["significand"] = StringOrNull(e.significand);
    return Dump(j);
}

std::string NotConvertedJson(Command command, std::string_view reason) {
    Json j;
    j["command"] = CommandName(command);
    j["error"] = std::string(reason);
    return Dump(j);
}

}  // namespace zelquin::explain
