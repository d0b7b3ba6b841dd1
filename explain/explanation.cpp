// The explanation record, made from the record of the core's reader: the
// explanation describes what the reader read and chose, and renders the result
// from it, so that it describes exactly the number behind the result. Its
// words are written here once, for every view: the notes, the lines and the
// reasons why a field cannot take a number.
#include "explanation.h"

#include <cassert>
#include <charconv>
#include <cstring>

#include "big_unsigned.h"
#include "correct_rounding.h"
#include "exact_decimal.h"
#include "explanation_lines.h"
#include "explanation_members.h"
#include "text_writer.h"
#include "typed_number.h"

namespace zelquin::explain {
namespace {

using namespace std::string_view_literals;
using namespace lines;

constexpr std::uint64_t kLow32 = 0xffffffffu;

// The core's texts are ASCII.
void AssignAscii(std::string& out, const char16_t* begin, const char16_t* end) {
    out.assign(begin, end);
}

// The format's pattern as a Hex.
Hex HexOf(std::uint64_t bits, const BinaryFormat& format) { return Hex{bits, format.TotalBits()}; }

// IEEE 754's nextUp: the least pattern of the format above the number; none
// for a NaN and for +infinity. Magnitudes are ordered as their patterns.
Nullable<Hex> NextUp(std::uint64_t bits, const BinaryFormat& format) {
    Nullable<Hex> up;
    const std::uint64_t magnitude = bits & ~format.SignBit();
    if (magnitude > format.Infinity() || bits == format.Infinity()) return up;
    if (magnitude == 0) {
        up.Set(HexOf(1, format));  // either zero: the least subnormal
    } else if (bits == magnitude) {
        up.Set(HexOf(bits + 1, format));  // positive: a larger magnitude
    } else {
        up.Set(HexOf(magnitude == 1 ? format.SignBit() : bits - 1, format));  // down to -0
    }
    return up;
}

Nullable<Hex> NextDown(std::uint64_t bits, const BinaryFormat& format) {
    Nullable<Hex> down = NextUp(bits ^ format.SignBit(), format);
    down.value.bits ^= format.SignBit();
    return down;
}

// The numbers that read back to a finite non-zero m * 2^e rounding to
// nearest with ties to even: from the midpoint below, (2m - 1) * 2^(e - 1)
// or (4m - 1) * 2^(e - 2) where the gap below is half the gap above, to the
// midpoint above, (2m + 1) * 2^(e - 1), which for the largest finite number
// is the midpoint to 2^(emax + 1), where the grid goes on. A midpoint belongs
// to the even neighbour, so both ends are in where m is even. The exact
// decimals come from the limbs; IntervalOf, the registry's form by big
// integers, is their reference, and tests/explain_test.cpp compares the two.
void SetIntervalOfPoint(Explanation& e, bool negative, const GridPoint& point) {
    const auto decimalOf = [](std::uint64_t n, int k, Nullable<std::string>& out) {
        ScaledBinary scaled;
        Decimal value;
        const bool scaledOk = ScaleBinary(n, k, false, scaled);
        if (scaledOk) {
            DecimalOfScaled(false, scaled, value);
        } else {
            value = BinaryToDecimal(false, n, k);
        }
        out.present = true;
        out.value.clear();
        AppendDecimal(value, false, out.value);
    };
    Interval& interval = e.interval.value;
    e.interval.present = true;
    Nullable<std::string>& below = negative ? interval.upper : interval.lower;
    Nullable<std::string>& above = negative ? interval.lower : interval.upper;
    if (point.narrowBelow) {
        decimalOf(4 * point.m - 1, point.e - 2, below);
    } else {
        decimalOf(2 * point.m - 1, point.e - 1, below);
    }
    decimalOf(2 * point.m + 1, point.e - 1, above);
    if (negative) {
        interval.lower.value.insert(0, 1, '-');
        interval.upper.value.insert(0, 1, '-');
    }
    interval.lowerIncluded = interval.upperIncluded = point.even;
}

// Fills in the number stored: its fields, its exact value (also as a Decimal
// when asked for), the shortest text, the neighbours and the significand.
// Returns where it lies on its format's grid, for the value command's
// comparisons (the unit in the last place: for the largest finite magnitude,
// as for those just below it).
GridPoint DescribeNumber(Explanation& e, std::uint64_t bits, bool isDouble, bool exactDecimal,
                         Parts parts) {
    const BinaryFormat& format = FormatOf(isDouble);
    const BinaryFields f = SplitFields(bits, format);
    e.format = &format;
    static const FloatFormat kRows[] = {*FindFormat(kBinary32.name), *FindFormat(kBinary64.name)};
    e.layout = kRows[isDouble ? 1 : 0];
    e.hex = HexOf(bits, format);
    const NumberClass numberClass = Classify(bits, format);
    e.numberClass = ClassOf(numberClass);
    e.sign = f.negative ? 1 : 0;
    e.exponentField = f.exponentField;
    e.fraction = Hex{f.fraction, format.fractionBits};
    if (numberClass == NumberClass::Normal) {
        e.exponent.Set(f.exponentField - format.Bias());
    } else if (numberClass == NumberClass::Subnormal) {
        e.exponent.Set(1 - format.Bias());
    }
    e.nextUp = NextUp(bits, format);
    e.nextDown = NextDown(bits, format);
    if (f.exponentField == format.MaxExponentField()) {
        if (parts == Parts::All) SetRegistryMembers(e);
        AppendShortestText(bits, format, e.shortest);
        return GridPoint{};
    }
    const GridPoint stored = PointOf(bits & ~format.SignBit(), format);
    if (parts == Parts::All) {
        if (stored.m != 0) SetIntervalOfPoint(e, f.negative, stored);
        SetRegistryMembers(e);
    }

    // The exact value and the shortest text from one scaling; the reference
    // forms where it does not reach, which is never for these formats.
    e.exact.present = true;
    ScaledBinary scaled;
    if (stored.m != 0 && ScaleBinary(stored.m, stored.e, true, scaled)) {
        if (exactDecimal) {
            DecimalOfScaled(f.negative, scaled, e.exactValue);
            AppendDecimal(e.exactValue, false, e.exact.value);
        } else {
            AppendScaledText(f.negative, scaled, e.exact.value);
        }
        AppendShortestOfScaled(f.negative, scaled, stored.even, stored.narrowBelow, e.shortest);
    } else {
        BinaryToDecimal(f.negative, stored.m, stored.e, e.exactValue);
        AppendDecimal(e.exactValue, false, e.exact.value);
        AppendShortestText(bits, format, e.shortest);
    }

    e.significand.present = true;
    ScaledBinary significand;
    if (ScaleBinary(stored.m, -format.fractionBits, false, significand) &&
        significand.value.count != 0) {
        AppendScaledText(false, significand, e.significand.value);
    } else {
        AppendDecimal(BinaryToDecimal(false, stored.m, -format.fractionBits), false,
                      e.significand.value);
    }
    return stored;
}

// The pattern a correctly rounding reader stores for the number typed.
void SetNearest(Explanation& e, const GridPoint& stored) {
    const TypedDecimal& typed = e.typedValue;
    const DifferenceInUlps difference = SetDifference(e, stored.e);
    // The number stored is the nearest when the typed one lies within its
    // rounding interval; otherwise the search steps to its neighbours.
    const std::uint64_t bits = e.hex.bits;
    if ((difference.hundredthsKnown || e.differenceValue.digits.empty()) && e.difference &&
        !e.exactValue.digits.empty() && !typed.value.digits.empty() &&
        StoredIsNearest(difference.hundredths, e.differenceValue.negative == (e.sign != 0),
                        stored.even, stored.narrowBelow)) {
        e.nearest.Set(e.hex);
    } else {
        e.nearest.Set(HexOf(NearestPattern(typed.value, typed.hugeExponent,
                                           typed.scientificExponentNegative, *e.format, bits),
                            *e.format));
    }
}

// ---- What the fields take --------------------------------------------------

constexpr const char* kBoxSetBinary32 =
    "With \"Treat as 'double'\" set, both fields give a binary64: clear it to reach a binary32.";
constexpr const char* kBoxSetNoSpecial =
    "With \"Treat as 'double'\" set, the pattern field holds only the upper 32 bits of a "
    "binary64, and no decimal gives an infinity or a NaN: clear it to reach this one.";
constexpr const char* kBoxSetNoDecimal =
    "With \"Treat as 'double'\" set, the pattern field holds only the upper 32 bits of a "
    "binary64, and no decimal that the Float field reads gives this one: clear it to reach it.";
constexpr const char* kBoxClearUpperZero =
    "With \"Treat as 'double'\" clear, the pattern field reads a binary64 whose upper 32 bits "
    "are zero as a binary32: set it to reach this binary64.";

void SetEntryText(Entry& entry, EntryField field, std::string_view text) {
    assert(text.size() <= kLongestEntryText);
    entry.field = field;
    entry.length = static_cast<std::uint8_t>(text.size());
    entry.reason = nullptr;
    std::copy(text.begin(), text.end(), entry.text);
}

void SetEntryHex(Entry& entry, std::uint64_t bits, int bitCount) {
    static_assert(kFullHexRoom <= kLongestEntryText);
    entry.field = EntryField::Pattern;
    entry.length = static_cast<std::uint8_t>(PutFullHex(entry.text, bits, bitCount) - entry.text);
    entry.reason = nullptr;
}

void SetEntryReason(Entry& entry, const char* reason) {
    entry.field = EntryField::None;
    entry.length = 0;
    entry.reason = reason;
}

BitRole RoleOf(int bit, const BinaryFormat& format) {
    if (bit == format.TotalBits() - 1) return BitRole::Sign;
    return bit >= format.fractionBits ? BitRole::Exponent : BitRole::Fraction;
}

// ---- The notes and the lines -----------------------------------------------

void AddNotes(Explanation& e) {
    std::string read;
    if (e.integer) {
        AppendIntegerHex(read, *e.integer);
    } else {
        read = *e.typed;
    }
    AddReadingNotes(e, read, 64);
    TextList& notes = e.notes;
    if (e.integer && e.option == FormatOption::TreatAsDouble && e.integer->value > kLow32) {
        std::string& note = notes.Open();
        note += "With "sv;
        note += kTreatAsDouble;
        note +=
            " set, the pattern field takes the integer's low 32 bits as the upper half of a "
            "binary64: its upper 32 bits, "sv;
        AppendFullHex(note, e.integer->value >> 32, 32);
        note += ", are dropped."sv;
        notes.Close();
    }
    if (e.quietedFrom) {
        std::string& note = notes.Open();
        note += "The signalling NaN "sv;
        AppendHex(note, *e.quietedFrom);
        note += " is made quiet: "sv;
        AppendHex(note, e.hex);
        note += " is what is stored."sv;
        notes.Close();
    }
    AddNoDifferenceNote(e);
}

void AddFormatLine(Explanation& e) {
    std::string& text = Begin(e.lines, "format");
    if (e.command == Command::Value) {
        if (e.narrowedFrom) {
            text += "binary32, narrowed from binary64 "sv;
            AppendHex(text, *e.narrowedFrom);
        } else {
            text += "binary64"sv;
        }
    } else if (e.option == FormatOption::TreatAsDouble) {
        text += "binary64, the integer's low 32 bits as its upper half, with "sv;
        text += kTreatAsDouble;
        text += " set"sv;
        if (e.integer->value > kLow32) {
            text += "; its upper 32 bits, "sv;
            AppendFullHex(text, e.integer->value >> 32, 32);
            text += ", are dropped"sv;
        }
    } else if (e.option == FormatOption::Binary64) {
        text += "binary64, the integer's 64 bits"sv;
    } else if (e.wideInteger) {
        text += "binary64, as the integer is above 0xffffffff"sv;
    } else {
        text += "binary32"sv;
    }
    End(e.lines);
}

void AddNumberLines(Explanation& e) {
    const BinaryFormat& format = *e.format;
    Lines& lines = e.lines;
    std::string& hex = Begin(lines, "hex");
    AppendHex(hex, e.hex);
    End(lines);
    std::string& binary = Begin(lines, "binary");
    binary += e.sign != 0 ? "1 | " : "0 | ";
    AppendBinary(binary, static_cast<std::uint64_t>(e.exponentField), format.exponentBits);
    binary += " | "sv;
    AppendBinary(binary, e.fraction.bits, format.fractionBits);
    End(lines);
    AddClassLines(e);
}

void AddRoundingLines(Explanation& e) {
    Lines& lines = e.lines;
    AddLine(lines, "shortest", e.shortest);
    if (e.nearest) {
        std::string& text = Begin(lines, "nearest");
        AppendHex(text, *e.nearest);
        if (*e.nearestDiffers) {
            text += " (differs: "sv;
            text += *e.differsBecause;
            const TextList& also = *e.differsAlsoBecause;
            for (std::size_t i = 0; i < also.size(); ++i) {
                text += i == 0 ? ", and also " : i + 1 == also.size() ? " and " : ", ";
                text += also[i];
            }
            text += ')';
        } else {
            text += " (the same bits)"sv;
        }
        End(lines);
    }
    AddUlpsLine(e);
    AddNeighbourAndSignificandLines(e, 1 - e.format->Bias());
}

void AddLines(Explanation& e) {
    Lines& lines = e.lines;
    AddReadLine(e);
    if (e.command == Command::Pattern) {
        std::string& integer = Begin(lines, "integer");
        AppendIntegerHex(integer, *e.integer);
        AppendBracketNotes(
            integer,
            {e.noNumber ? kNoNumberNote : nullptr,
             e.overflowed ? "the digits overflowed and were read as 0xffffffffffffffff" : nullptr,
             e.wrapped ? "a negative number, wrapped modulo 2^64" : nullptr,
             e.textAfterIgnored ? kTextAfterNote : nullptr});
        End(lines);
        AddFormatLine(e);
        if (e.quietedFrom) {
            std::string& text = Begin(lines, "signalling");
            AppendHex(text, *e.quietedFrom);
            text += " is made quiet; the lines below describe the quiet NaN"sv;
            End(lines);
        }
        AddNumberLines(e);
    } else {
        AddFormatLine(e);
        AddNumberLines(e);
        AddTypedLines(e);
    }
    AddRoundingLines(e);
}

// What the views show of the record, once it is filled.
void AddViews(Explanation& e, Parts parts) {
    AddNotes(e);
    AddLines(e);
    if (parts == Parts::All) SetEntries(e, e.option == FormatOption::TreatAsDouble);
}

}  // namespace

namespace {

void SetEntry(Entry& entry, std::uint64_t bits, const BinaryFormat& format, bool treatAsDouble) {
    const bool binary64 = format.TotalBits() == 64;
    if (!treatAsDouble) {
        if (binary64 && bits <= kLow32) {
            SetEntryReason(entry, kBoxClearUpperZero);
        } else {
            SetEntryHex(entry, bits, format.TotalBits());
        }
    } else if (!binary64) {
        SetEntryReason(entry, kBoxSetBinary32);
    } else if ((bits & kLow32) == 0) {
        SetEntryHex(entry, bits >> 32, 32);
    } else if ((bits & format.ExponentMask()) == format.ExponentMask()) {
        SetEntryReason(entry, kBoxSetNoSpecial);
    } else if (const std::string value = ValueTextFor(bits); !value.empty()) {
        SetEntryText(entry, EntryField::Value, value);
    } else {
        SetEntryReason(entry, kBoxSetNoDecimal);
    }
}

void SetEntry(Nullable<Entry>& entry, const Nullable<Hex>& number, const BinaryFormat& format,
              bool treatAsDouble) {
    entry.present = number.present;
    if (number) SetEntry(entry.value, number->bits, format, treatAsDouble);
}

}  // namespace

Entry EntryFor(std::uint64_t bits, const BinaryFormat& format, bool treatAsDouble) {
    Entry entry;
    SetEntry(entry, bits, format, treatAsDouble);
    return entry;
}

void SetEntries(Explanation& e, bool treatAsDouble) {
    if (e.format == nullptr) {
        if (!e.refused) SetFormatEntries(e);
        return;
    }
    const BinaryFormat& format = *e.format;
    const int bitCount = format.TotalBits();
    const std::uint64_t bits = e.hex.bits;
    e.bits.resize(static_cast<std::size_t>(bitCount));
    // Where a flipped pattern goes into the pattern field as it is, its text
    // is the number's own with one digit changed.
    char hex[kFullHexRoom];
    const int digits = static_cast<int>(PutFullHex(hex, bits, bitCount) - hex);
    for (int bit = 0; bit < bitCount; ++bit) {
        BitEntry& entry = e.bits[static_cast<std::size_t>(bit)];
        entry.role = RoleOf(bit, format);
        const std::uint64_t flipped = bits ^ (std::uint64_t{1} << bit);
        if (!treatAsDouble && (bitCount == 32 || flipped > kLow32)) {
            Entry& text = entry.entry;
            std::memcpy(text.text, hex, sizeof hex);
            char& digit = text.text[digits - 1 - bit / 4];
            const int value = (digit <= '9' ? digit - '0' : digit - 'a' + 10) ^ (1 << (bit % 4));
            digit = "0123456789abcdef"[value];
            text.field = EntryField::Pattern;
            text.length = static_cast<std::uint8_t>(digits);
            text.reason = nullptr;
        } else {
            SetEntry(entry.entry, flipped, format, treatAsDouble);
        }
    }
    SetEntry(e.nextUpEntry, e.nextUp, format, treatAsDouble);
    SetEntry(e.nextDownEntry, e.nextDown, format, treatAsDouble);
    SetEntry(e.nearestEntry, e.nearest, format, treatAsDouble);
    e.landmarkEntries.resize(e.landmarks != nullptr ? e.landmarks->size() : 0);
    for (std::size_t i = 0; i < e.landmarkEntries.size(); ++i)
        SetEntry(e.landmarkEntries[i], (*e.landmarks)[i].hex.bits, format, treatAsDouble);
}

std::string ValueTextFor(std::uint64_t binary64Bits) {
    if ((binary64Bits & kBinary64.ExponentMask()) == kBinary64.ExponentMask()) return {};
    // The shortest text first, as it is the one a user would type; then more
    // digits, where the value reader's own rules round the shorter ones
    // elsewhere (an exact half, the 80-bit intermediate). Each is made only
    // when the one before does not read back.
    for (const int digits : {0, 17, 25}) {
        std::string candidate = digits == 0 ? ShortestText(binary64Bits, kBinary64)
                                            : RoundedText(binary64Bits, kBinary64, digits);
        const std::u16string text(candidate.begin(), candidate.end());
        if (ReadValueText(text, FormatOption::TreatAsDouble).bits == binary64Bits) return candidate;
    }
    return {};
}

char16_t* ConvertText(Command command, FormatOption option, std::u16string_view text,
                      char16_t* out) {
    return command == Command::Value ? ValueToPatternText(text, option, out)
                                     : PatternToValueText(text, option, out);
}

void ExplainPattern(std::u16string_view text, std::size_t textUnits, FormatOption option,
                    Explanation& e, Parts parts = Parts::All) {
    ResetRecord(e, Command::Pattern, text, textUnits, option);
    const PatternReading reading = ReadPatternText(text, option);
    char16_t result[kLongestValueText];
    AssignAscii(e.result, result, DoubleToFixedText(reading.shownDouble, result));
    e.integer.Set(Integer{reading.integer});
    e.noNumber = !reading.digitSeen;
    e.textAfterIgnored = reading.textAfter;
    e.overflowed = reading.overflowed;
    e.wrapped = reading.wrapped;
    e.wideInteger = reading.wideInteger;
    if (reading.quieted) e.quietedFrom.Set(HexOf(reading.chosenBits, FormatOf(reading.isDouble)));
    DescribeNumber(e, reading.bits, reading.isDouble, false, parts);
    AddViews(e, parts);
}

void ExplainValue(std::u16string_view text, std::size_t textUnits, FormatOption option,
                  Explanation& e, Parts parts = Parts::All) {
    ResetRecord(e, Command::Value, text, textUnits, option);
    const ValueReading reading = ReadValueText(text, option);
    char16_t result[kLongestPatternText];
    AssignAscii(e.result, result, UInt64ToHexText(reading.bits, result));
    e.binary64Bits = reading.binary64;
    if (!reading.isDouble) e.narrowedFrom.Set(Hex{reading.binary64, 64});
    const GridPoint stored = DescribeNumber(e, reading.bits, reading.isDouble, true, parts);

    TypedNumberOf(text, reading.number, e.typedValue);
    e.noNumber = !reading.number.digitSeen;
    e.textAfterIgnored = reading.number.textAfter;
    e.typed.present = true;
    AppendTyped(e.typedValue, false, e.typed.value);
    SetNearest(e, stored);
    const bool differs = e.nearest->bits != e.hex.bits;
    e.nearestDiffers.Set(differs);
    if (differs) {
        const DifferenceRules rules =
            DifferenceReasons(text, reading, e.typedValue, e.nearest->bits);
        e.differsBecause.present = true;
        e.differsBecause.value = rules.first;
        e.differsAlsoBecause.present = true;
        for (int i = 0; i < rules.alsoCount; ++i) e.differsAlsoBecause.value.Add(rules.also[i]);
    }
    AddViews(e, parts);
}

Explanation ExplainPattern(std::u16string_view text, std::size_t textUnits, FormatOption option) {
    Explanation e;
    ExplainPattern(text, textUnits, option, e);
    return e;
}

Explanation ExplainValue(std::u16string_view text, std::size_t textUnits, FormatOption option) {
    Explanation e;
    ExplainValue(text, textUnits, option, e);
    return e;
}

void Explain(Command command, std::u16string_view text, std::size_t textUnits, FormatOption option,
             Explanation& out, Parts parts) {
    if (command == Command::Pattern) {
        ExplainPattern(text, textUnits, option, out, parts);
    } else {
        ExplainValue(text, textUnits, option, out, parts);
    }
}

Explanation Explain(Command command, std::u16string_view text, std::size_t textUnits,
                    FormatOption option) {
    Explanation e;
    Explain(command, text, textUnits, option, e);
    return e;
}

FormatClass ClassOf(NumberClass numberClass) {
    switch (numberClass) {
        case NumberClass::Zero:
            return FormatClass::Zero;
        case NumberClass::Subnormal:
            return FormatClass::Subnormal;
        case NumberClass::Normal:
            return FormatClass::Normal;
        case NumberClass::Infinity:
            return FormatClass::Infinity;
        case NumberClass::QuietNaN:
            return FormatClass::QuietNaN;
        case NumberClass::SignallingNaN:
            return FormatClass::SignallingNaN;
        case NumberClass::IndefiniteNaN:
            break;
    }
    return FormatClass::IndefiniteNaN;
}

const char* CommandName(Command command) {
    return command == Command::Pattern ? "pattern" : "value";
}

std::string_view EntryFieldName(EntryField field) {
    switch (field) {
        case EntryField::Pattern:
            return "pattern";
        case EntryField::Value:
            return "value";
        case EntryField::None:
            break;
    }
    return {};
}

std::string FullHex(std::uint64_t bits, int bitCount) {
    std::string text;
    AppendFullHex(text, bits, bitCount);
    return text;
}

std::string IntegerHex(std::uint64_t integer) {
    std::string text;
    AppendIntegerHex(text, Integer{integer});
    return text;
}

// ---- The text block ----------------------------------------------------------

namespace {

constexpr std::size_t kLabelWidth = 12;

std::size_t ExplanationTextRoom(const Explanation& e) {
    std::size_t room = 1;  // the closing empty line
    for (std::size_t i = 0; i < e.lines.size(); ++i) {
        room += 2 + std::max(kLabelWidth, e.lines.labels[i].size()) + 1;
    }
    return room + e.lines.texts.Length();
}

char* PutExplanationText(char* p, const Explanation& e) {
    for (std::size_t i = 0; i < e.lines.size(); ++i) {
        const std::string_view label = e.lines.labels[i];
        p = Put(p, "  ");
        p = Put(p, label);
        for (std::size_t pad = label.size(); pad < kLabelWidth; ++pad) *p++ = ' ';
        p = Put(p, e.lines.texts[i]);
        p = Put(p, '\n');
    }
    return Put(p, '\n');
}

}  // namespace

void AppendExplanationText(const Explanation& e, std::string& out) {
    const std::size_t room = ExplanationTextRoom(e);
    AppendWritten(out, room, [&e, room](char* p) {
        char* const end = PutExplanationText(p, e);
        assert(static_cast<std::size_t>(end - p) == room);
        static_cast<void>(room);
        return end;
    });
}

std::string ExplanationText(const Explanation& e) {
    std::string out;
    AppendExplanationText(e, out);
    return out;
}

std::string NotConvertedText(std::string_view reason) {
    std::string out = "  not converted: ";
    out += reason;
    out += "\n\n"sv;
    return out;
}

std::string Utf8FromUtf16(std::u16string_view units) {
    std::string text;
    text.reserve(units.size());
    AppendUtf8FromUtf16(units, text);
    return text;
}

void AppendUtf8FromUtf16(std::u16string_view units, std::string& text) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDFFF) {
            const bool paired = c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                                units[i + 1] <= 0xDFFF;
            c = paired ? 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00) : 0xFFFD;
        }
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            text += static_cast<char>(0xE0 | (c >> 12));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (c >> 18));
            text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

namespace lines {

void ResetRecord(Explanation& e, Command command, std::u16string_view text, std::size_t textUnits,
                 FormatOption option) {
    const auto clear = [&e](const auto& member) { Clear(e.*(member.field)); };
    ForEachMember(clear);
    ForEachWorking(clear);
    e.command = command;
    e.option = option;
    e.text.assign(text.begin(), text.end());
    e.textUnits = textUnits;
    e.truncated = textUnits > text.size();
}

DifferenceInUlps SetDifference(Explanation& e, int unitExponent) {
    const TypedDecimal& typed = e.typedValue;
    const Decimal& exact = e.exactValue;
    DifferenceInUlps result;
    std::string& difference = e.difference.value;
    std::string& ulps = e.ulps.value;
    if (!e.exact) {
        e.noDifference = e.numberClass == FormatClass::Infinity
                             ? "the stored number is infinite"
                             : "the stored number is not a number";
        return result;
    }
    const std::int64_t distance = typed.value.scale - exact.scale;
    if (!typed.value.digits.empty() && !exact.digits.empty() &&
        (typed.hugeExponent || distance > kMaxScaleDistance || distance < -kMaxScaleDistance)) {
        // The reader gives zero or infinity long before this.
        e.noDifference = "too far apart";
        return result;
    }
    e.difference.present = true;
    e.ulps.present = true;
    if (exact.digits.empty()) {
        // typed - 0; a typed zero gives +0 whatever the signs.
        if (typed.value.digits.empty()) {
            difference += '0';
        } else {
            AppendTyped(typed, true, difference);
        }
        if (typed.hugeExponent) {
            ulps += typed.value.negative ? "-0.00" : "+0.00";  // far below a unit
        } else {
            e.differenceValue = typed.value;
            if (e.differenceValue.digits.empty()) e.differenceValue.negative = false;
            AppendUnitsInLastPlace(e.differenceValue, unitExponent, ulps);
        }
        return result;
    }
    Subtract(typed.value, exact, e.differenceValue);
    AppendDecimal(e.differenceValue, true, difference);
    result.hundredthsKnown = !e.differenceValue.digits.empty() &&
                             HundredthsOfUnit(e.differenceValue, unitExponent, result.hundredths);
    if (result.hundredthsKnown) {
        AppendUnitsOfHundredths(e.differenceValue.negative, result.hundredths, ulps);
    } else {
        AppendUnitsInLastPlace(e.differenceValue, unitExponent, ulps);
    }
    return result;
}

}  // namespace lines

}  // namespace zelquin::explain
