// The explanation as one JSON object: every member of the record's list
// (explanation_members.h) under its name, in that order, null where it is
// absent. Every object of a converted text has the same members in the same
// order.
//
// Written directly into the caller's string: the room each member can take
// is worked out from its value first, and the object is written through a
// pointer into that room. The strings are escaped as a JSON serializer does
// with UTF-8 output: the quotation mark, the reverse solidus and the control
// characters below U+0020 (the short forms \b \t \n \f \r where JSON has them,
// \u00xx in lower case otherwise), every other character as it is.
// tests/explain_test.cpp compares the objects with those a JSON library
// writes from the same list.
#include <array>
#include <cassert>
#include <charconv>
#include <cstring>

#include "explanation.h"
#include "explanation_members.h"
#include "text_writer.h"

namespace zelquin::explain {
namespace {

bool NeedsEscapeAt(unsigned char u) { return u < 0x20 || u == '"' || u == '\\'; }

// Whether any byte is below 0x20, a quotation mark or a reverse solidus:
// eight bytes at a time while eight remain. Some byte b of x is below n
// (n <= 0x80) exactly when (x - n * kOnes) & ~x & kHigh is not zero, the
// lowest such byte setting its high bit (a borrow only runs on from a byte
// that is itself below n); b equals c when b ^ c is below 1. As the quotation
// mark and the reverse solidus have the high bit clear, b ^ c has b's high
// bit, so one mask ~x serves all three tests.
bool NeedsEscape(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t x;
        std::memcpy(&x, text.data() + i, 8);
        const std::uint64_t quote = x ^ (kOnes * '"');
        const std::uint64_t solidus = x ^ (kOnes * '\\');
        const std::uint64_t found =
            ((x - kOnes * 0x20) | (quote - kOnes) | (solidus - kOnes)) & ~x & kHigh;
        if (found != 0) return true;
    }
    for (; i < text.size(); ++i) {
        if (NeedsEscapeAt(static_cast<unsigned char>(text[i]))) return true;
    }
    return false;
}

// The bytes the escaped text takes.
std::size_t EscapedSize(std::string_view text) {
    if (!NeedsEscape(text)) return text.size();
    std::size_t size = text.size();
    for (const char c : text) {
        if (NeedsEscapeAt(static_cast<unsigned char>(c))) size += 5;
    }
    return size;
}

// An escaped character takes at most six bytes.
constexpr std::size_t kEscapedRoom = 6;

char* PutEscapedUnit(char* p, unsigned char u) {
    switch (u) {
        case '"':
            return Put(p, "\\\"");
        case '\\':
            return Put(p, "\\\\");
        case '\b':
            return Put(p, "\\b");
        case '\t':
            return Put(p, "\\t");
        case '\n':
            return Put(p, "\\n");
        case '\f':
            return Put(p, "\\f");
        case '\r':
            return Put(p, "\\r");
        default:
            break;
    }
    if (u >= 0x20) return Put(p, static_cast<char>(u));
    p = Put(p, "\\u00");
    p = Put(p, "0123456789abcdef"[u >> 4]);
    return Put(p, "0123456789abcdef"[u & 0xF]);
}

// ---- Each kind of member: the room it takes, and its writing -----------------

// A text that may hold a character to escape: the lines, the notes, the
// reasons.
std::size_t TextRoom(std::string_view text) { return 2 + EscapedSize(text); }
char* PutText(char* p, std::string_view text) {
    p = Put(p, '"');
    if (NeedsEscape(text)) {
        for (const char c : text) p = PutEscapedUnit(p, static_cast<unsigned char>(c));
    } else {
        p = Put(p, text);
    }
    return Put(p, '"');
}

// The record's own strings (the result, the exact value, the shortest text,
// the reading rules, ...) and the names here hold only characters JSON writes
// as they are: digits, signs, points, letters and spaces. The checked build
// verifies it.
std::size_t RoomOf(const std::string& text) { return 2 + text.size(); }
char* PutPlain(char* p, std::string_view text) {
    assert(!NeedsEscape(text));
    p = Put(p, '"');
    p = Put(p, text);
    return Put(p, '"');
}
char* PutValue(char* p, const std::string& text) { return PutPlain(p, text); }

std::size_t RoomOf(Command) { return 9; }
char* PutValue(char* p, Command command) { return PutPlain(p, CommandName(command)); }

// The text typed: UTF-16 units as UTF-8, escaped where JSON needs it; a unit
// of a surrogate pair without its partner gives U+FFFD. Each unit takes at
// most six bytes (an escape), a pair four.
std::size_t RoomOf(const std::u16string& units) { return 2 + kEscapedRoom * units.size(); }
char* PutValue(char* p, const std::u16string& units) {
    p = Put(p, '"');
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t c = units[i];
        if (c < 0x80) {
            p = PutEscapedUnit(p, static_cast<unsigned char>(c));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            const bool paired = c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                                units[i + 1] <= 0xDFFF;
            c = paired ? 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00) : 0xFFFD;
        }
        if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | (c >> 6));
        } else {
            if (c < 0x10000) {
                *p++ = static_cast<char>(0xE0 | (c >> 12));
            } else {
                *p++ = static_cast<char>(0xF0 | (c >> 18));
                *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            }
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return Put(p, '"');
}

constexpr std::size_t kNumberRoom = 24;
std::size_t RoomOf(std::size_t) { return kNumberRoom; }
std::size_t RoomOf(int) { return kNumberRoom; }
char* PutValue(char* p, std::int64_t value) { return std::to_chars(p, p + kNumberRoom, value).ptr; }
char* PutValue(char* p, std::size_t value) { return PutValue(p, static_cast<std::int64_t>(value)); }
char* PutValue(char* p, int value) { return PutValue(p, static_cast<std::int64_t>(value)); }

std::size_t RoomOf(bool) { return 5; }
char* PutValue(char* p, bool value) { return Put(p, value ? std::string_view("true") : "false"); }

std::size_t RoomOf(const FloatFormat& format) { return 2 + std::strlen(format.name); }
char* PutValue(char* p, const FloatFormat& format) { return PutPlain(p, format.name); }

std::size_t RoomOf(FormatClass numberClass) {
    return 2 + std::strlen(FormatClassName(numberClass));
}
char* PutValue(char* p, FormatClass numberClass) {
    return PutPlain(p, FormatClassName(numberClass));
}

std::size_t RoomOf(const Hex&) { return 2 + kWideHexRoom; }
char* PutValue(char* p, const Hex& hex) {
    p = Put(p, '"');
    p = PutWideHex(p, hex.bits, hex.high, hex.bitCount);
    return Put(p, '"');
}

std::size_t RoomOf(const Integer&) { return 2 + kWideHexRoom; }
char* PutValue(char* p, const Integer& integer) {
    if (integer.high == 0) {
        char16_t hex[kLongestPatternText];
        const char16_t* end = UInt64ToHexText(integer.value, hex);
        p = Put(p, '"');
        for (const char16_t* h = hex; h != end; ++h) *p++ = static_cast<char>(*h);  // ASCII
        return Put(p, '"');
    }
    // Wider than 64 bits: every digit of the high half after the first that
    // is not 0, then the 16 of the low half.
    int bitCount = 128;
    while (((integer.high >> (bitCount - 65)) & 1) == 0) --bitCount;
    p = Put(p, '"');
    p = PutWideHex(p, integer.value, integer.high, (bitCount + 3) / 4 * 4);
    return Put(p, '"');
}

std::size_t RoomOf(const TextList& list) {
    std::size_t room = 2;
    for (std::size_t i = 0; i < list.size(); ++i) room += 1 + TextRoom(list[i]);
    return room;
}
char* PutValue(char* p, const TextList& list) {
    p = Put(p, '[');
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i != 0) p = Put(p, ',');
        p = PutText(p, list[i]);
    }
    return Put(p, ']');
}

// [["label","text"],...]
std::size_t RoomOf(const Lines& lines) {
    std::size_t room = 2 + RoomOf(lines.texts) + 6 * lines.size();
    for (const std::string_view label : lines.labels) room += label.size();
    return room;
}
char* PutValue(char* p, const Lines& lines) {
    p = Put(p, '[');
    for (std::size_t i = 0; i < lines.size(); ++i) {
        p = Put(p, i == 0 ? "[" : ",[");
        p = PutPlain(p, lines.labels[i]);
        p = Put(p, ',');
        p = PutText(p, lines.texts[i]);
        p = Put(p, ']');
    }
    return Put(p, ']');
}

// {"field":"pattern","text":"0x3dcccccc"} or {"field":null,"reason":"..."}
std::size_t RoomOf(const Entry& entry) {
    return 32 + (entry.reason != nullptr ? TextRoom(entry.reason) : entry.length);
}
char* PutEntryMembers(char* p, const Entry& entry) {
    p = Put(p, "\"field\":");
    if (entry.field == EntryField::None) {
        p = Put(p, "null,\"reason\":");
        return PutText(p, entry.reason);
    }
    p = PutPlain(p, EntryFieldName(entry.field));
    p = Put(p, ",\"text\":");
    return PutPlain(p, entry.Text());
}
char* PutValue(char* p, const Entry& entry) {
    p = Put(p, '{');
    p = PutEntryMembers(p, entry);
    return Put(p, '}');
}

// [{"role":"fraction","field":"pattern","text":"0x3dcccccc"},...], bit 0 first.
// Each object's start up to its text, for each role and field, is made once.
constexpr std::size_t kRoleCount = std::size(kBitRoles);
using EntryStarts = std::array<std::array<std::string, 3>, kRoleCount>;

const EntryStarts& BitEntryStarts() {
    static const EntryStarts starts = [] {
        EntryStarts made;
        for (std::size_t role = 0; role < kRoleCount; ++role) {
            for (const EntryField field :
                 {EntryField::None, EntryField::Pattern, EntryField::Value}) {
                std::string& start = made[role][static_cast<std::size_t>(field)];
                start = "{\"role\":\"";
                start += kBitRoles[role].name;
                start += "\",\"field\":";
                if (field == EntryField::None) {
                    start += "null,\"reason\":";
                } else {
                    start += '"';
                    start += EntryFieldName(field);
                    start += "\",\"text\":\"";
                }
            }
        }
        return made;
    }();
    return starts;
}

// The longest start: the role "exponent" or "fraction" and the field
// "pattern".
constexpr std::size_t kBitEntryStartRoom = 48;

std::size_t RoomOf(const std::vector<BitEntry>& bits) {
    std::size_t room = 2;
    for (const BitEntry& bit : bits) {
        room += 1 + kBitEntryStartRoom + 2 +
                (bit.entry.reason != nullptr ? TextRoom(bit.entry.reason) : bit.entry.length);
    }
    return room;
}
char* PutValue(char* p, const std::vector<BitEntry>& bits) {
    const EntryStarts& starts = BitEntryStarts();
    p = Put(p, '[');
    for (std::size_t i = 0; i < bits.size(); ++i) {
        const Entry& entry = bits[i].entry;
        if (i != 0) p = Put(p, ',');
        const std::string& start =
            starts[static_cast<std::size_t>(bits[i].role)][static_cast<std::size_t>(entry.field)];
        assert(start.size() <= kBitEntryStartRoom);
        p = Put(p, start);
        if (entry.field == EntryField::None) {
            p = PutText(p, entry.reason);
        } else {
            p = Put(p, entry.Text());
            p = Put(p, '"');
        }
        p = Put(p, '}');
    }
    return Put(p, ']');
}

// {"lower":"-0.5","lowerIncluded":true,"upper":"0.5","upperIncluded":false}
template <typename T>
std::size_t RoomOf(const Nullable<T>& value);
template <typename T>
char* PutValue(char* p, const Nullable<T>& value);

std::size_t RoomOf(const Interval& interval) {
    return 72 + RoomOf(interval.lower) + RoomOf(interval.upper);
}
char* PutValue(char* p, const Interval& interval) {
    p = Put(p, "{\"lower\":");
    p = PutValue(p, interval.lower);
    p = Put(p, ",\"lowerIncluded\":");
    p = PutValue(p, interval.lowerIncluded);
    p = Put(p, ",\"upper\":");
    p = PutValue(p, interval.upper);
    p = Put(p, ",\"upperIncluded\":");
    p = PutValue(p, interval.upperIncluded);
    return Put(p, '}');
}

// {"steps":["0x3f808000"],"once":"0x3f81","differs":true}
std::size_t RoomOf(const ViaSteps& via) { return 48 + RoomOf(via.steps) + RoomOf(via.once); }
char* PutValue(char* p, const ViaSteps& via) {
    p = Put(p, "{\"steps\":");
    p = PutValue(p, via.steps);
    p = Put(p, ",\"once\":");
    p = PutValue(p, via.once);
    p = Put(p, ",\"differs\":");
    p = PutValue(p, via.differs);
    return Put(p, '}');
}

// [{"name":"largest finite","hex":"0x7e","value":"448"},...]
std::size_t RoomOf(const std::vector<LandmarkEntry>* marks) {
    std::size_t room = 2;
    if (marks == nullptr) return room;
    for (const LandmarkEntry& mark : *marks)
        room += 32 + mark.name.size() + RoomOf(mark.hex) + RoomOf(mark.value);
    return room;
}
char* PutValue(char* p, const std::vector<LandmarkEntry>* marks) {
    static const std::vector<LandmarkEntry> kNone;
    const std::vector<LandmarkEntry>& landmarks = marks != nullptr ? *marks : kNone;
    p = Put(p, '[');
    for (std::size_t i = 0; i < landmarks.size(); ++i) {
        p = Put(p, i == 0 ? "{\"name\":" : ",{\"name\":");
        p = PutPlain(p, landmarks[i].name);
        p = Put(p, ",\"hex\":");
        p = PutValue(p, landmarks[i].hex);
        p = Put(p, ",\"value\":");
        p = PutValue(p, landmarks[i].value);
        p = Put(p, '}');
    }
    return Put(p, ']');
}

std::size_t RoomOf(const std::vector<Entry>& entries) {
    std::size_t room = 2;
    for (const Entry& entry : entries) room += 3 + RoomOf(entry);
    return room;
}
char* PutValue(char* p, const std::vector<Entry>& entries) {
    p = Put(p, '[');
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i != 0) p = Put(p, ',');
        p = PutValue(p, entries[i]);
    }
    return Put(p, ']');
}

template <typename T>
std::size_t RoomOf(const Nullable<T>& value) {
    return value ? RoomOf(*value) : 4;
}
template <typename T>
char* PutValue(char* p, const Nullable<T>& value) {
    return value ? PutValue(p, *value) : Put(p, "null");
}

// ---- The object ----------------------------------------------------------------

char* PutExplanation(char* p, const Explanation& e) {
    bool first = true;
    ForEachMember([&](const auto& member) {
        p = Put(p, first ? "{\"" : ",\"");
        first = false;
        p = Put(p, member.name);
        p = Put(p, "\":");
        p = PutValue(p, e.*(member.field));
    });
    return Put(p, '}');
}

// Writes into `room` bytes at the end of out, checked in builds with
// assertions.
template <typename Write>
void AppendJson(std::string& out, std::size_t room, Write write) {
    AppendWritten(out, room, [room, &write](char* p) {
        char* const end = write(p);
        assert(static_cast<std::size_t>(end - p) <= room);
        static_cast<void>(room);
        return end;
    });
}

}  // namespace

std::size_t ExplanationJsonRoom(const Explanation& e) {
    std::size_t room = 2;
    ForEachMember([&](const auto& member) {
        room += std::string_view(member.name).size() + 4 + RoomOf(e.*(member.field));
    });
    return room;
}

void AppendExplanationJson(const Explanation& e, std::string& out) {
    AppendJson(out, ExplanationJsonRoom(e), [&e](char* p) { return PutExplanation(p, e); });
}

std::string ExplanationJson(const Explanation& e) {
    std::string out;
    AppendExplanationJson(e, out);
    return out;
}

std::string EntriesJson(const Explanation& e) {
    std::string out;
    const std::size_t room = 112 + RoomOf(e.bits) + RoomOf(e.nextUpEntry) +
                             RoomOf(e.nextDownEntry) + RoomOf(e.nearestEntry) +
                             RoomOf(e.landmarkEntries);
    AppendJson(out, room, [&e](char* p) {
        p = Put(p, "{\"bits\":");
        p = PutValue(p, e.bits);
        p = Put(p, ",\"nextUpEntry\":");
        p = PutValue(p, e.nextUpEntry);
        p = Put(p, ",\"nextDownEntry\":");
        p = PutValue(p, e.nextDownEntry);
        p = Put(p, ",\"nearestEntry\":");
        p = PutValue(p, e.nearestEntry);
        p = Put(p, ",\"landmarkEntries\":");
        p = PutValue(p, e.landmarkEntries);
        return Put(p, '}');
    });
    return out;
}

std::string NotConvertedJson(Command command, std::string_view reason) {
    std::string out;
    AppendJson(out, 64 + kEscapedRoom * reason.size(), [command, reason](char* p) {
        p = Put(p, "{\"command\":");
        p = PutValue(p, command);
        p = Put(p, ",\"error\":");
        p = PutText(p, reason);
        return Put(p, '}');
    });
    return out;
}

}  // namespace zelquin::explain
