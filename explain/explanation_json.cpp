// The explanation as one JSON object. Every object of a converted text has the
// same members in the same order; a member that does not apply to the command
// or the number is null (or false for a note).
//
// Written directly into the caller's string: the members are fixed, so the
// object needs no tree. The strings are escaped as a JSON serializer does with
// UTF-8 output: the quotation mark, the reverse solidus and the control
// characters below U+0020 (the short forms \b \t \n \f \r where JSON has them,
// \u00xx in lower case otherwise), every other character as it is. Every
// string here is valid UTF-8 (Utf8FromUtf16 makes it so); only the text typed
// can hold a character to escape. tests/explain_test.cpp compares the objects
// with those of a JSON library.
#include <cassert>
#include <charconv>

#include "explanation.h"
#include "text_writer.h"

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

// The characters of a string between its quotation marks, escaped: at most
// six for each byte.
char* PutEscaped(char* p, std::string_view text) {
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        switch (u) {
            case '"':
                p = Put(p, "\\\"");
                break;
            case '\\':
                p = Put(p, "\\\\");
                break;
            case '\b':
                p = Put(p, "\\b");
                break;
            case '\t':
                p = Put(p, "\\t");
                break;
            case '\n':
                p = Put(p, "\\n");
                break;
            case '\f':
                p = Put(p, "\\f");
                break;
            case '\r':
                p = Put(p, "\\r");
                break;
            default:
                if (u < 0x20) {
                    p = Put(p, "\\u00");
                    p = Put(p, "0123456789abcdef"[u >> 4]);
                    p = Put(p, "0123456789abcdef"[u & 0xF]);
                } else {
                    p = Put(p, c);
                }
        }
    }
    return p;
}

constexpr std::size_t kEscapedRoom = 6;

char* PutString(char* p, std::string_view text) {
    p = Put(p, '"');
    p = NeedsEscape(text) ? PutEscaped(p, text) : Put(p, text);
    return Put(p, '"');
}

// A string that this library wrote and that holds only characters JSON
// writes as they are (digits, signs, points, letters, spaces): the numbers,
// the shortest text, the result, the reasons. The checked build verifies it.
char* PutPlain(char* p, std::string_view text) {
    assert(!NeedsEscape(text));
    p = Put(p, '"');
    p = Put(p, text);
    return Put(p, '"');
}

char* PutInteger(char* p, std::int64_t value) { return std::to_chars(p, p + 24, value).ptr; }

char* PutBool(char* p, bool value) { return Put(p, value ? std::string_view("true") : "false"); }

char* PutPlainOrNull(char* p, bool present, std::string_view text) {
    return present ? PutPlain(p, text) : Put(p, "null");
}

char* PutHex(char* p, std::uint64_t bits, int bitCount) {
    p = Put(p, '"');
    p = PutFullHex(p, bits, bitCount);
    return Put(p, '"');
}

char* PutHexOrNull(char* p, const std::optional<std::uint64_t>& bits, int bitCount) {
    return bits ? PutHex(p, *bits, bitCount) : Put(p, "null");
}

// The text as UTF-8, at most three bytes for each unit, then escaped where it
// needs it: rarely, so it is first written as it is.
char* PutText(char* p, std::u16string_view units, std::string& scratch) {
    p = Put(p, '"');
    char* const start = p;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (unit >= 0x80) {
            // Everything from the first unit outside ASCII by the general form.
            scratch.clear();
            AppendUtf8FromUtf16(units.substr(i), scratch);
            p = Put(p, scratch);
            break;
        }
        *p++ = static_cast<char>(unit);
    }
    const std::string_view written(start, static_cast<std::size_t>(p - start));
    if (NeedsEscape(written)) {
        scratch.assign(written);
        p = PutEscaped(start, scratch);
    }
    return Put(p, '"');
}

char* PutExplanation(char* p, const Explanation& e) {
    const bool pattern = e.command == Command::Pattern;
    const bool value = !pattern;
    const int bitCount = e.format->TotalBits();
    std::string scratch;
    p = Put(p, "{\"command\":");
    p = PutPlain(p, CommandName(e.command));
    p = Put(p, ",\"text\":");
    p = PutText(p, e.text, scratch);
    p = Put(p, ",\"textUnits\":");
    p = PutInteger(p, static_cast<std::int64_t>(e.textUnits));
    p = Put(p, ",\"result\":");
    p = PutPlain(p, e.result);
    p = Put(p, ",\"format\":");
    p = PutPlain(p, e.format->name);
    p = Put(p, ",\"hex\":");
    p = PutHex(p, e.bits, bitCount);
    p = Put(p, e.negative ? std::string_view(",\"sign\":1") : ",\"sign\":0");
    p = Put(p, ",\"exponentField\":");
    p = PutInteger(p, e.exponentField);
    p = Put(p, ",\"fraction\":");
    p = PutHex(p, e.fraction, e.format->fractionBits);
    p = Put(p, ",\"class\":");
    p = PutPlain(p, ClassName(e.numberClass));
    p = Put(p, ",\"exponent\":");
    p = e.hasExponent ? PutInteger(p, e.exponent) : Put(p, "null");
    p = Put(p, ",\"exact\":");
    p = PutPlainOrNull(p, e.finite, e.exact);
    p = Put(p, ",\"integer\":");
    if (pattern) {
        char16_t hex[kLongestPatternText];
        const char16_t* end = UInt64ToHexText(e.integer, hex);
        p = Put(p, '"');
        for (const char16_t* h = hex; h != end; ++h) *p++ = static_cast<char>(*h);  // ASCII
        p = Put(p, '"');
    } else {
        p = Put(p, "null");
    }
    p = Put(p, ",\"typed\":");
    p = PutPlainOrNull(p, value, e.typed);
    p = Put(p, ",\"difference\":");
    p = PutPlainOrNull(p, e.hasDifference, e.difference);
    p = Put(p, ",\"truncated\":");
    p = PutBool(p, e.truncated);
    p = Put(p, ",\"noNumber\":");
    p = PutBool(p, e.noNumber);
    p = Put(p, ",\"textAfterIgnored\":");
    p = PutBool(p, e.textAfterIgnored);
    p = Put(p, ",\"overflowed\":");
    p = PutBool(p, e.overflowed);
    p = Put(p, ",\"wrapped\":");
    p = PutBool(p, e.wrapped);
    p = Put(p, ",\"quietedFrom\":");
    p = e.quieted ? PutHex(p, e.signallingBits, bitCount) : Put(p, "null");
    p = Put(p, ",\"narrowedFrom\":");
    p = e.narrowed ? PutHex(p, e.binary64Bits, 64) : Put(p, "null");
    p = Put(p, ",\"shortest\":");
    p = PutPlain(p, e.shortest);
    p = Put(p, ",\"nearest\":");
    p = PutHexOrNull(p, e.nearest, bitCount);
    p = Put(p, ",\"nearestDiffers\":");
    p = value ? PutBool(p, e.nearestDiffers) : Put(p, "null");
    p = Put(p, ",\"differsBecause\":");
    p = PutPlainOrNull(p, e.nearestDiffers, e.differsBecause);
    p = Put(p, ",\"ulps\":");
    p = PutPlainOrNull(p, e.hasUlps, e.ulps);
    p = Put(p, ",\"nextUp\":");
    p = PutHexOrNull(p, e.nextUp, bitCount);
    p = Put(p, ",\"nextDown\":");
    p = PutHexOrNull(p, e.nextDown, bitCount);
    p = Put(p, ",\"significand\":");
    p = PutPlainOrNull(p, e.hasSignificand, e.significand);
    return Put(p, '}');
}

}  // namespace

void AppendExplanationJson(const Explanation& e, std::string& out) {
    // The members' names and fixed values take below 1024 bytes; the text at
    // most three bytes of UTF-8 for each unit, each escaped to at most six.
    const std::size_t room = 1024 + 3 * kEscapedRoom * e.text.size() + e.result.size() +
                             e.exact.size() + e.typed.size() + e.difference.size() +
                             e.shortest.size() + e.differsBecause.size() + e.ulps.size() +
                             e.significand.size();
    AppendWritten(out, room, [&e](char* p) { return PutExplanation(p, e); });
}

std::string ExplanationJson(const Explanation& e) {
    std::string out;
    AppendExplanationJson(e, out);
    return out;
}

std::string NotConvertedJson(Command command, std::string_view reason) {
    std::string out;
    char* p = OpenRoom(out, 64 + kEscapedRoom * reason.size());
    p = Put(p, "{\"command\":");
    p = PutPlain(p, CommandName(command));
    p = Put(p, ",\"error\":");
    p = PutString(p, reason);
    p = Put(p, '}');
    CloseRoom(out, p);
    return out;
}

}  // namespace zelquin::explain
