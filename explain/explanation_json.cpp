// The explanation as one JSON object. Every object of a converted text has the
// same members in the same order; a member that does not apply to the command
// or the number is null (or false for a note).
//
// Written directly into the caller's string: the members are fixed, so the
// object needs no tree. The strings are escaped as a JSON serializer does with
// UTF-8 output: the quotation mark, the reverse solidus and the control
// characters below U+0020 (the short forms \b \t \n \f \r where JSON has them,
// \u00xx in lower case otherwise), every other character as it is. Every
// string here is valid UTF-8 (Utf8FromUtf16 makes it so), and most hold only
// characters that need no escape, which one scan finds. tests/explain_test.cpp
// compares the objects with those of a JSON library.
#include <charconv>

#include "explanation.h"

namespace zelquin::explain {
namespace {

bool NeedsEscape(std::string_view text) {
    bool needs = false;
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        needs |= (u < 0x20) | (u == '"') | (u == '\\');
    }
    return needs;
}

void AppendString(std::string& out, std::string_view text) {
    out += '"';
    if (!NeedsEscape(text)) {
        out += text;
        out += '"';
        return;
    }
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        switch (u) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (u < 0x20) {
                    out += "\\u00";
                    out += "0123456789abcdef"[u >> 4];
                    out += "0123456789abcdef"[u & 0xF];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

// ,"key": before every member but the first, which the caller writes.
void Key(std::string& out, const char* key) {
    out += ",\"";
    out += key;
    out += "\":";
}

void AppendInteger(std::string& out, std::int64_t value) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void AppendBool(std::string& out, bool value) { out += value ? "true" : "false"; }

void AppendStringOrNull(std::string& out, bool present, std::string_view text) {
    if (present) {
        AppendString(out, text);
    } else {
        out += "null";
    }
}

void AppendHex(std::string& out, std::uint64_t bits, int bitCount) {
    out += '"';
    AppendFullHex(bits, bitCount, out);
    out += '"';
}

void AppendHexOrNull(std::string& out, bool present, std::uint64_t bits, int bitCount) {
    if (present) {
        AppendHex(out, bits, bitCount);
    } else {
        out += "null";
    }
}

}  // namespace

void AppendExplanationJson(const Explanation& e, std::string& out) {
    const bool pattern = e.command == Command::Pattern;
    const bool value = !pattern;
    const int bitCount = e.format->TotalBits();
    out += "{\"command\":";
    AppendString(out, CommandName(e.command));
    Key(out, "text");
    const std::size_t textStart = out.size();
    out += '"';
    AppendUtf8FromUtf16(e.text, out);
    if (NeedsEscape(std::string_view(out).substr(textStart + 1))) {
        const std::string text = out.substr(textStart + 1);
        out.resize(textStart);
        AppendString(out, text);
    } else {
        out += '"';
    }
    Key(out, "textUnits");
    AppendInteger(out, static_cast<std::int64_t>(e.textUnits));
    Key(out, "result");
    AppendString(out, e.result);
    Key(out, "format");
    AppendString(out, e.format->name);
    Key(out, "hex");
    AppendHex(out, e.bits, bitCount);
    Key(out, "sign");
    out += e.negative ? '1' : '0';
    Key(out, "exponentField");
    AppendInteger(out, e.exponentField);
    Key(out, "fraction");
    AppendHex(out, e.fraction, e.format->fractionBits);
    Key(out, "class");
    AppendString(out, ClassName(e.numberClass));
    Key(out, "exponent");
    if (e.hasExponent) {
        AppendInteger(out, e.exponent);
    } else {
        out += "null";
    }
    Key(out, "exact");
    AppendStringOrNull(out, e.finite, e.exact);
    Key(out, "integer");
    if (pattern) {
        out += '"';
        AppendIntegerHex(e.integer, out);
        out += '"';
    } else {
        out += "null";
    }
    Key(out, "typed");
    AppendStringOrNull(out, value, e.typed);
    Key(out, "difference");
    AppendStringOrNull(out, e.hasDifference, e.difference);
    Key(out, "truncated");
    AppendBool(out, e.truncated);
    Key(out, "noNumber");
    AppendBool(out, e.noNumber);
    Key(out, "textAfterIgnored");
    AppendBool(out, e.textAfterIgnored);
    Key(out, "overflowed");
    AppendBool(out, e.overflowed);
    Key(out, "wrapped");
    AppendBool(out, e.wrapped);
    Key(out, "quietedFrom");
    AppendHexOrNull(out, e.quieted, e.signallingBits, bitCount);
    Key(out, "narrowedFrom");
    AppendHexOrNull(out, e.narrowed, e.binary64Bits, 64);
    Key(out, "shortest");
    AppendString(out, e.shortest);
    Key(out, "nearest");
    AppendHexOrNull(out, e.nearest.has_value(), e.nearest.value_or(0), bitCount);
    Key(out, "nearestDiffers");
    if (value) {
        AppendBool(out, e.nearestDiffers);
    } else {
        out += "null";
    }
    Key(out, "differsBecause");
    AppendStringOrNull(out, e.nearestDiffers, e.differsBecause);
    Key(out, "ulps");
    AppendStringOrNull(out, e.hasUlps, e.ulps);
    Key(out, "nextUp");
    AppendHexOrNull(out, e.nextUp.has_value(), e.nextUp.value_or(0), bitCount);
    Key(out, "nextDown");
    AppendHexOrNull(out, e.nextDown.has_value(), e.nextDown.value_or(0), bitCount);
    Key(out, "significand");
    AppendStringOrNull(out, e.hasSignificand, e.significand);
    out += '}';
}

std::string ExplanationJson(const Explanation& e) {
    std::string out;
    AppendExplanationJson(e, out);
    return out;
}

std::string NotConvertedJson(Command command, std::string_view reason) {
    std::string out = "{\"command\":";
    AppendString(out, CommandName(command));
    Key(out, "error");
    AppendString(out, reason);
    out += '}';
    return out;
}

}  // namespace zelquin::explain
