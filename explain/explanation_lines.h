// The pieces the explanation's words are written with, for the record of
// binary32 and binary64 (explanation.cpp) and of the other formats
// (format_explanation.cpp): numbers and patterns as text, the lines, the
// bracketed notes after a line's text, and the notes every reading shares.
#pragma once

#include <charconv>
#include <initializer_list>
#include <string>
#include <string_view>

#include "correct_rounding.h"
#include "explanation.h"
#include "text_writer.h"

namespace zelquin::explain::lines {

using namespace std::string_view_literals;

// The check box as every view names it.
inline constexpr std::string_view kTreatAsDouble = "\"Treat as 'double'\"";
inline constexpr const char* kNoNumberNote = "no number at the start of the text";
inline constexpr const char* kTextAfterNote = "the text after the number is ignored";

// The record back to its defaults for a new text, its storage kept.
void ResetRecord(Explanation& e, Command command, std::u16string_view text, std::size_t textUnits,
                 FormatOption option);

// The value command's difference typed minus exact and its units in the last
// place of the number stored (2^unitExponent), or why there is none; with
// the difference in hundredths of a unit where those were worked out.
struct DifferenceInUlps {
    bool hundredthsKnown = false;
    Hundredths hundredths;
};
DifferenceInUlps SetDifference(Explanation& e, int unitExponent);

// The entries of the bits and the neighbours of a format other than
// Zelquin's binary32 and binary64: each pattern goes into the pattern field.
void SetFormatEntries(Explanation& e);
// The members every format has (the hexadecimal float, the interval, the
// landmarks) for binary32 and binary64, as rows of the registry; the interval
// where the caller has not set it already.
void SetRegistryMembers(Explanation& e);

inline void AppendNumber(std::string& out, std::int64_t value) {
    char text[24];
    out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

inline void AppendFullHex(std::string& out, std::uint64_t bits, int bitCount) {
    char text[kFullHexRoom];
    out.append(text, PutFullHex(text, bits, bitCount));
}

inline void AppendHex(std::string& out, const Hex& hex) {
    char text[kWideHexRoom];
    out.append(text, PutWideHex(text, hex.bits, hex.high, hex.bitCount));
}

// "0", or "0x" and the digits without leading zeros.
inline void AppendIntegerHex(std::string& out, const Integer& integer) {
    static constexpr char kDigits[] = "0123456789abcdef";
    if (integer.value == 0 && integer.high == 0) {
        out += '0';
        return;
    }
    char text[32];
    char* p = text + sizeof text;
    std::uint64_t low = integer.value;
    std::uint64_t high = integer.high;
    while (low != 0 || high != 0) {
        *--p = kDigits[low & 0xF];
        low = (low >> 4) | (high << 60);
        high >>= 4;
    }
    out += "0x"sv;
    out.append(p, text + sizeof text);
}

inline void AppendBinary(std::string& out, std::uint64_t value, int bitCount) {
    char digits[64];
    for (int i = 0; i < bitCount; ++i)
        digits[i] = ((value >> (bitCount - 1 - i)) & 1) != 0 ? '1' : '0';
    out.append(digits, static_cast<std::size_t>(bitCount));
}

// A line's text is written into the string Begin returns, then ended.
inline std::string& Begin(Lines& lines, std::string_view label) {
    lines.labels.push_back(label);
    return lines.texts.Open();
}

inline void End(Lines& lines) { lines.texts.Close(); }

inline void AddLine(Lines& lines, std::string_view label, std::string_view text) {
    Begin(lines, label) += text;
    End(lines);
}

inline void AddHexOrNone(Lines& lines, std::string_view label, const Nullable<Hex>& hex) {
    std::string& text = Begin(lines, label);
    if (hex) {
        AppendHex(text, *hex);
    } else {
        text += "none"sv;
    }
    End(lines);
}

// Notes in one bracket after a text: " (note; note)", nothing without one.
inline void AppendBracketNotes(std::string& out, std::initializer_list<const char*> notes) {
    bool first = true;
    for (const char* note : notes) {
        if (note == nullptr) continue;
        out += first ? " (" : "; ";
        out += note;
        first = false;
    }
    if (!first) out += ')';
}

// The "read" line of a text longer than what is converted.
inline void AddReadLine(Explanation& e) {
    if (!e.truncated) return;
    std::string& text = Begin(e.lines, "read");
    text += "the first "sv;
    AppendNumber(text, static_cast<std::int64_t>(e.text.size()));
    text += " of "sv;
    AppendNumber(text, static_cast<std::int64_t>(e.textUnits));
    text += " UTF-16 units of the text"sv;
    End(e.lines);
}

// The lines of the class, the exponent and the exact value.
inline void AddClassLines(Explanation& e) {
    Lines& lines = e.lines;
    AddLine(lines, "class", FormatClassName(e.numberClass));
    std::string& exponent = Begin(lines, "exponent");
    if (e.exponent) {
        AppendNumber(exponent, *e.exponent);
    } else {
        exponent += "none"sv;
    }
    exponent += " (field "sv;
    AppendNumber(exponent, e.exponentField);
    exponent += ')';
    if (e.numberClass == FormatClass::Subnormal) exponent += ", no leading 1"sv;
    End(lines);
    if (e.exact) {
        AddLine(lines, "exact", *e.exact);
    } else {
        AddLine(lines, "exact",
                e.numberClass != FormatClass::Infinity ? "not a number"
                : e.sign != 0                          ? "-infinity"
                                                       : "infinity");
    }
}

// The value command's lines of the number typed and its difference.
inline void AddTypedLines(Explanation& e) {
    Lines& lines = e.lines;
    std::string& typed = Begin(lines, "typed");
    typed += *e.typed;
    AppendBracketNotes(typed, {e.noNumber ? kNoNumberNote : nullptr,
                               e.textAfterIgnored ? kTextAfterNote : nullptr});
    End(lines);
    std::string& difference = Begin(lines, "difference");
    if (e.difference) {
        difference += *e.difference;
        difference += " (typed minus exact)"sv;
    } else {
        difference += "none: "sv;
        difference += e.noDifference;
    }
    End(lines);
}

// The value command's line of the difference in units in the last place.
inline void AddUlpsLine(Explanation& e) {
    if (e.command != Command::Value) return;
    std::string& text = Begin(e.lines, "ulps");
    if (e.ulps) {
        text += *e.ulps;
    } else {
        text += "none: "sv;
        text += e.noDifference;
    }
    End(e.lines);
}

// The neighbours' lines and the significand's, with the number as sign x
// significand x 2^exponent (a subnormal or a zero has the smallest normal
// number's exponent, `minExponent`).
inline void AddNeighbourAndSignificandLines(Explanation& e, int minExponent) {
    Lines& lines = e.lines;
    AddHexOrNone(lines, "next up", e.nextUp);
    AddHexOrNone(lines, "next down", e.nextDown);
    std::string& text = Begin(lines, "significand");
    if (e.significand) {
        text += *e.significand;
        text += e.sign != 0 ? " (-"sv : " (+"sv;
        text += *e.significand;
        text += " x 2^"sv;
        AppendNumber(text, e.exponent ? *e.exponent : minExponent);
        text += ')';
    } else {
        text += "none"sv;
    }
    End(lines);
}

// The notes every reading may have, in the order the views show them: units
// past the 199th, no number, text after the number (`read` is what was read
// as the number), and a negative integer wrapped modulo 2^width.
inline void AddReadingNotes(Explanation& e, std::string_view read, int width) {
    TextList& notes = e.notes;
    if (e.truncated) {
        std::string& note = notes.Open();
        note += "Only the first "sv;
        AppendNumber(note, static_cast<std::int64_t>(e.text.size()));
        note += " of the "sv;
        AppendNumber(note, static_cast<std::int64_t>(e.textUnits));
        note += " UTF-16 units of the text are converted."sv;
        notes.Close();
    }
    if (e.noNumber) notes.Add("There is no number at the start of the text, so it is read as 0.");
    if (e.textAfterIgnored) {
        std::string& note = notes.Open();
        note += "The text after the number is ignored: the number read is "sv;
        note += read;
        note += '.';
        notes.Close();
    }
    if (e.overflowed) {
        notes.Add("The digits overflow 64 bits, so they are read as 0xffffffffffffffff.");
    }
    if (e.wrapped) {
        std::string& note = notes.Open();
        note += "The number is negative, so it is wrapped modulo 2^"sv;
        AppendNumber(note, width);
        note += " to "sv;
        AppendIntegerHex(note, *e.integer);
        note += '.';
        notes.Close();
    }
}

// The note of a number without a difference to show, after the others.
inline void AddNoDifferenceNote(Explanation& e) {
    if (e.noDifference == nullptr) return;
    std::string& note = e.notes.Open();
    note += "There is no difference to show: "sv;
    note += std::string_view(e.noDifference) == "too far apart"
                ? "the typed number and the stored one are too far apart"sv
                : std::string_view(e.noDifference);
    note += '.';
    e.notes.Close();
}

}  // namespace zelquin::explain::lines
