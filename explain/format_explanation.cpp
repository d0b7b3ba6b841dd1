// The explanation record of a text converted in a format of the registry other
// than Zelquin's binary32 and binary64: the pattern text read as an integer of
// the format's width, the value text read exactly and rounded once (or through
// a chain of formats) under a rounding mode and an overflow policy; and the
// members every format has (the hexadecimal float, the interval that reads
// back, the landmarks).
#include <algorithm>
#include <cassert>
#include <cstring>
#include <memory>

#include "explanation.h"
#include "explanation_lines.h"
#include "format_rounding.h"
#include "format_texts.h"
#include "formats.h"

namespace zelquin::explain {
namespace {

using namespace lines;

Hex HexOfBits(const FloatFormat& format, Bits128 bits) {
    return Hex{bits.low, PatternWidth(format), bits.high};
}

Bits128 BitsOfHex(const Hex& hex) { return Bits128{hex.high, hex.bits}; }

BitRole RoleOfBit(const FloatFormat& format, int bit) {
    if (HasSignBit(format) && bit == PatternWidth(format) - 1) return BitRole::Sign;
    if (bit >= format.fractionBits) return BitRole::Exponent;
    if (format.specials == Specials::X87 && bit == 63) return BitRole::Integer;
    return BitRole::Fraction;
}

// The decimal of a number of the registry as the lines write it: every digit.
std::string DecimalText(const Decimal& value) {
    std::string text;
    AppendDecimal(value, false, text);
    return text;
}

// The landmarks of a format, worked out once for each format a process meets
// (the widest formats' smallest subnormals have thousands of digits), with
// their shortest texts for the lines.
struct CachedLandmarks {
    FloatFormat format;
    std::vector<LandmarkEntry> entries;
    std::vector<std::string> shown;
};

// A landmark's value as the lines show it: exactly where that is short, else
// its shortest text after a tilde.
constexpr std::size_t kLongestExactLandmark = 24;

const CachedLandmarks& LandmarksFor(const FloatFormat& format) {
    // Each in its own allocation, which stays in place as the cache grows:
    // records point there.
    static std::vector<std::unique_ptr<CachedLandmarks>> cache;
    for (const std::unique_ptr<CachedLandmarks>& held : cache) {
        const CachedLandmarks& cached = *held;
        if (std::strcmp(cached.format.name, format.name) == 0 &&
            cached.format.exponentBits == format.exponentBits &&
            cached.format.fractionBits == format.fractionBits &&
            cached.format.specials == format.specials)
            return cached;
    }
    CachedLandmarks made{format, {}, {}};
    for (const Landmark& mark : LandmarksOf(format)) {
        LandmarkEntry entry;
        entry.name = mark.name;
        entry.hex = HexOfBits(format, mark.bits);
        if (mark.finite) entry.value.Set(DecimalText(mark.value));
        made.entries.push_back(entry);
        if (entry.value && entry.value->size() <= kLongestExactLandmark) {
            made.shown.push_back(*entry.value);
        } else {
            const std::string shortest = ShortestOf(format, mark.bits).value_or("NaN");
            made.shown.push_back(entry.value ? "~" + shortest : shortest);
        }
    }
    cache.push_back(std::make_unique<CachedLandmarks>(std::move(made)));
    return *cache.back();
}

// The interval's ends as decimals, null where unbounded.
void SetInterval(Explanation& e, const FloatFormat& format, Bits128 bits) {
    const std::optional<FormatInterval> interval = IntervalOf(format, bits);
    if (!interval) return;
    Interval& out = e.interval.value;
    e.interval.present = true;
    out.lower.present = !interval->lowerUnbounded;
    if (out.lower) out.lower.value = DecimalText(interval->lower);
    out.lowerIncluded = interval->lowerIncluded;
    out.upper.present = !interval->upperUnbounded;
    if (out.upper) out.upper.value = DecimalText(interval->upper);
    out.upperIncluded = interval->upperIncluded;
}

// The members every format has, from the registry's row.
void SetFormatMembers(Explanation& e, const FloatFormat& format, Bits128 bits) {
    if (const std::optional<std::string> hex = HexFloatText(format, bits)) e.hexFloat.Set(*hex);
    if (!e.interval) SetInterval(e, format, bits);
    e.landmarks = &LandmarksFor(format).entries;
}

// Fills in the number stored: its fields, its class, its exact value, the
// shortest text, the neighbours and the significand.
DecodedPattern DescribeFormatNumber(Explanation& e, const FloatFormat& format, Bits128 bits) {
    DecodedPattern d = Decode(format, bits);
    e.format = nullptr;
    e.layout = format;
    e.hex = HexOfBits(format, d.bits);
    e.sign = d.negative ? 1 : 0;
    e.exponentField = d.exponentField;
    const int fractionBits =
        format.specials == Specials::X87 ? format.fractionBits - 1 : format.fractionBits;
    e.fraction = Hex{d.fraction.low, fractionBits, d.fraction.high};
    e.numberClass = d.numberClass;
    if (d.finite && d.numberClass != FormatClass::Zero) e.exponent.Set(d.unbiasedExponent);
    if (d.finite) {
        e.exact.Set(DecimalText(d.exact));
        e.exactValue = d.exact;
        e.significand.Set(DecimalText(d.significandValue));
    }
    // The x87 patterns that no rounding gives have no interval to take a
    // shortest text from: their exact value, or NaN.
    e.shortest = ShortestOf(format, d.bits).value_or(d.finite ? *e.exact : "NaN");
    if (const std::optional<Bits128> up = NextUp(format, d.bits))
        e.nextUp.Set(HexOfBits(format, *up));
    if (const std::optional<Bits128> down = NextDown(format, d.bits))
        e.nextDown.Set(HexOfBits(format, *down));
    SetFormatMembers(e, format, d.bits);
    return d;
}

// ---- The words -----------------------------------------------------------------

// What became of a number beyond the largest finite value, as a note and as
// the value command's "overflow" line.
void AddOverflowNote(Explanation& e, const FloatFormat& format, const RoundResult& stored) {
    if (!stored.overflowed) return;
    const CachedLandmarks& marks = LandmarksFor(format);
    std::string& note = e.notes.Open();
    note += "The number lies beyond the largest finite value, "sv;
    note += marks.shown.front();
    note += ": "sv;
    if (e.numberClass == FormatClass::Infinity) {
        note += "it overflows to infinity."sv;
    } else if (!e.exact) {
        note += "it gives NaN, as "sv;
        note += format.name;
        note += " has no infinity."sv;
    } else if (e.overflow && *e.overflow == "saturate") {
        note += "it saturates to that value."sv;
    } else if (!HasInfinities(format) && !HasNaNs(format)) {
        note += "it gives that value, as "sv;
        note += format.name;
        note += " has no infinity and no NaN."sv;
    } else {
        note += "rounding "sv;
        note += *e.rounding;
        note += " gives that value."sv;
    }
    e.notes.Close();
}

void AddFormatNotes(Explanation& e, const RoundResult* stored) {
    std::string read;
    if (e.integer) {
        AppendIntegerHex(read, *e.integer);
    } else if (e.typed) {
        read = *e.typed;
    }
    AddReadingNotes(e, read, PatternWidth(e.layout));
    if (stored != nullptr) AddOverflowNote(e, e.layout, *stored);
    AddNoDifferenceNote(e);
}

void AddLayoutLine(Explanation& e) {
    const FloatFormat& format = e.layout;
    std::string& text = Begin(e.lines, "format");
    text += format.name;
    text += ": "sv;
    if (HasSignBit(format)) text += "a sign bit, "sv;
    AppendNumber(text, format.exponentBits);
    text += " exponent bits, "sv;
    if (format.specials == Specials::X87) {
        AppendNumber(text, format.fractionBits);
        text += " significand bits with an explicit integer bit"sv;
    } else {
        AppendNumber(text, format.fractionBits);
        text += format.fractionBits == 1 ? " fraction bit"sv : " fraction bits"sv;
    }
    text += ", bias "sv;
    AppendNumber(text, format.bias);
    text += "; "sv;
    text += SpecialsText(format.specials);
    End(e.lines);
}

void AddNumberLines(Explanation& e) {
    Lines& lines = e.lines;
    std::string& hex = Begin(lines, "hex");
    AppendHex(hex, e.hex);
    End(lines);
    AddLine(lines, "binary", PatternBinaryText(e.layout, BitsOfHex(e.hex), " | "));
    AddClassLines(e);
}

void AddIntervalLine(Explanation& e) {
    std::string& text = Begin(e.lines, "interval");
    if (!e.interval) {
        text += "none"sv;
    } else {
        const Interval& interval = *e.interval;
        text += interval.lowerIncluded ? '[' : '(';
        text += interval.lower ? std::string_view(*interval.lower) : "-infinity"sv;
        text += ", "sv;
        text += interval.upper ? std::string_view(*interval.upper) : "infinity"sv;
        text += interval.upperIncluded ? ']' : ')';
    }
    End(e.lines);
}

void AddLandmarksLine(Explanation& e) {
    const CachedLandmarks& marks = LandmarksFor(e.layout);
    std::string& text = Begin(e.lines, "landmarks");
    for (std::size_t i = 0; i < marks.entries.size(); ++i) {
        if (i != 0) text += "; "sv;
        text += marks.entries[i].name;
        text += ' ';
        AppendHex(text, marks.entries[i].hex);
        text += " = "sv;
        text += marks.shown[i];
    }
    End(e.lines);
}

void AddFormatLines(Explanation& e) {
    Lines& lines = e.lines;
    AddReadLine(e);
    if (e.command == Command::Pattern) {
        std::string& integer = Begin(lines, "integer");
        AppendIntegerHex(integer, *e.integer);
        AppendBracketNotes(integer, {e.noNumber ? kNoNumberNote : nullptr,
                                     e.wrapped ? "a negative number, wrapped" : nullptr,
                                     e.textAfterIgnored ? kTextAfterNote : nullptr});
        End(lines);
    }
    AddLayoutLine(e);
    if (e.refused) return;
    if (e.command == Command::Value) {
        std::string& rounding = Begin(lines, "rounding");
        rounding += *e.rounding;
        rounding +=
            *e.overflow == "saturate" ? ", overflow saturates"sv : ", overflow as IEEE 754 says"sv;
        End(lines);
        if (e.via) {
            std::string& via = Begin(lines, "via");
            const ViaSteps& steps = *e.viaResult;
            for (std::size_t i = 0; i < e.via->size(); ++i) {
                via += (*e.via)[i];
                via += ' ';
                via += i < steps.steps.size() ? steps.steps[i] : "none"sv;
                via += ", then "sv;
            }
            via += e.layout.name;
            via += ' ';
            AppendHex(via, e.hex);
            via += "; rounded once, "sv;
            AppendHex(via, steps.once);
            via += steps.differs ? " (differs)"sv : " (the same)"sv;
            End(lines);
        }
    }
    if (e.command == Command::Value) {
        // The overflow note, the last note but the one of no difference.
        const std::size_t count = e.notes.size() - (e.noDifference != nullptr ? 1 : 0);
        if (count > 0 && e.notes[count - 1].starts_with("The number lies beyond")) {
            const std::string_view note = e.notes[count - 1];
            AddLine(lines, "overflow", note.substr(0, note.size() - 1));
        }
    }
    AddNumberLines(e);
    if (e.command == Command::Value) {
        AddTypedLines(e);
    }
    AddLine(lines, "shortest", e.shortest);
    AddLine(lines, "hex float", e.hexFloat ? std::string_view(*e.hexFloat) : "none"sv);
    AddIntervalLine(e);
    AddUlpsLine(e);
    AddNeighbourAndSignificandLines(e, MinExponent(e.layout));
    AddLandmarksLine(e);
}

// ---- The value command ---------------------------------------------------------

// The number rounded to the format, through the chain where there is one:
// the record of the number stored, with the value command's difference.
void RoundAndDescribe(Explanation& e, const ExactNumber& number, const FormatChoice& choice) {
    const FloatFormat& format = choice.format;
    e.rounding.Set(RoundingModeName(choice.rounding));
    e.overflow.Set(OverflowPolicyName(choice.overflow));
    RoundResult stored;
    if (choice.via.empty()) {
        stored = Round(number, format, choice.rounding, choice.overflow);
    } else {
        const ViaResult chain =
            RoundVia(number, choice.via, format, choice.rounding, choice.overflow);
        stored = chain.stored;
        e.via.present = true;
        for (const FloatFormat& step : choice.via) e.via.value.Add(step.name);
        e.viaResult.present = true;
        ViaSteps& steps = e.viaResult.value;
        for (std::size_t i = 0; i + 1 < chain.steps.size(); ++i) {
            std::string& text = steps.steps.Open();
            AppendHex(text, HexOfBits(choice.via[i], chain.steps[i].bits));
            steps.steps.Close();
        }
        steps.once = HexOfBits(format, chain.once.bits);
        steps.differs = chain.differs;
    }
    if (!stored.hasPattern) {
        // A NaN in a format without NaNs: there is nothing to store.
        e.refused = true;
        std::string& note = e.notes.Open();
        note += format.name;
        note += " has no pattern for a NaN."sv;
        e.notes.Close();
        e.layout = format;
        e.format = nullptr;
        AddFormatLines(e);
        return;
    }
    DescribeFormatNumber(e, format, stored.bits);
    e.result = PatternHexText(format, stored.bits);
    if (format.specials == Specials::PowersOfTwo && number.kind == ExactNumber::Kind::Finite &&
        (number.negative || number.significand.IsZero() || stored.underflowed) && !e.exact) {
        std::string& note = e.notes.Open();
        note += format.name;
        note +=
            " holds neither zero nor negative numbers, and nothing below 2^-127: the number "
            "gives NaN."sv;
        e.notes.Close();
    }
    if (e.exact) {
        SetDifference(e, GridOf(format, stored.bits).exponent);
    } else {
        SetDifference(e, 0);
    }
    AddFormatNotes(e, &stored);
    AddFormatLines(e);
    SetFormatEntries(e);
}

}  // namespace

void ExplainInFormat(Command command, std::u16string_view text, std::size_t textUnits,
                     const FormatChoice& choice, Explanation& e) {
    ResetRecord(e, command, text, textUnits, FormatOption::Binary32);
    e.format = nullptr;
    e.layout = choice.format;
    if (command == Command::Pattern) {
        const FormatPatternReading reading = ReadFormatPattern(text, choice.format);
        e.integer.Set(Integer{reading.bits.low, reading.bits.high});
        e.noNumber = !reading.digitSeen;
        e.textAfterIgnored = reading.textAfter;
        e.wrapped = reading.wrapped;
        if (reading.refused) {
            e.refused = true;
            e.notes.Add(reading.message);
            AddFormatLines(e);
            return;
        }
        DescribeFormatNumber(e, choice.format, reading.bits);
        e.result = e.shortest;
        AddFormatNotes(e, nullptr);
        AddFormatLines(e);
        SetFormatEntries(e);
        return;
    }
    const FormatValueReading reading = ReadFormatValue(text);
    e.noNumber = !reading.digitSeen;
    e.textAfterIgnored = reading.textAfter;
    e.typed.present = true;
    if (!reading.hexFloat) {
        e.typedValue = reading.typed;
        AppendTyped(e.typedValue, false, e.typed.value);
    } else if (const std::optional<Decimal> value = DecimalOfExact(reading.number)) {
        // The hexadecimal float as the decimal it is, every digit.
        e.typedValue.value = *value;
        AppendTyped(e.typedValue, false, e.typed.value);
    } else {
        // A power of two beyond every format's range, as it was typed: too far
        // from any number stored for a difference.
        e.typedValue.hugeExponent = true;
        e.typedValue.value.negative = reading.number.negative;
        e.typedValue.value.digits.assign(1, '1');
        for (std::size_t i = reading.numberStart; i < reading.numberEnd; ++i)
            e.typed.value += static_cast<char>(text[i]);  // ASCII
    }
    RoundAndDescribe(e, reading.number, choice);
}

Explanation ExplainInFormat(Command command, std::u16string_view text, std::size_t textUnits,
                            const FormatChoice& choice) {
    Explanation e;
    ExplainInFormat(command, text, textUnits, choice, e);
    return e;
}

void ExplainNumberInFormat(const ExactNumber& number, std::string_view typed,
                           const FormatChoice& choice, Explanation& e) {
    ResetRecord(e, Command::Value, std::u16string(typed.begin(), typed.end()), typed.size(),
                FormatOption::Binary32);
    e.format = nullptr;
    e.layout = choice.format;
    e.typed.Set(std::string(typed));
    if (const std::optional<Decimal> value = DecimalOfExact(number)) e.typedValue.value = *value;
    RoundAndDescribe(e, number, choice);
}

ExactNumber NumberOf(const Explanation& e) {
    if (e.command == Command::Value) return ExactOfTyped(e.typedValue);
    return ExactOfPattern(e.layout, BitsOfHex(e.hex));
}

std::string NumberTextOf(const Explanation& e) {
    if (e.typed) return *e.typed;
    if (e.exact) return *e.exact;
    return e.numberClass == FormatClass::Infinity ? (e.sign != 0 ? "-infinity" : "infinity")
                                                  : "not a number";
}

std::vector<FormatRow> InEveryFormat(const Explanation& e) {
    const ExactNumber number = NumberOf(e);
    std::vector<FormatRow> rows;
    for (const FloatFormat& format : RegisteredFormats()) {
        FormatRow row{format, "none", "none"};
        const RoundResult stored = Round(number, format);
        if (stored.hasPattern) {
            row.pattern = PatternHexText(format, stored.bits);
            row.shortest = ShortestOf(format, stored.bits).value_or("NaN");
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string ConvertInFormat(Command command, std::u16string_view text, const FormatChoice& choice,
                            std::string& refusal) {
    refusal.clear();
    if (command == Command::Pattern) {
        const FormatPatternReading reading = ReadFormatPattern(text, choice.format);
        if (reading.refused) {
            refusal = reading.message;
            return {};
        }
        const DecodedPattern d = DecodeFields(choice.format, reading.bits);
        if (const std::optional<std::string> shortest = ShortestOf(choice.format, d.bits))
            return *shortest;
        return d.finite ? DecimalText(Decode(choice.format, d.bits).exact) : "NaN";
    }
    const FormatValueReading reading = ReadFormatValue(text);
    const RoundResult stored =
        choice.via.empty()
            ? Round(reading.number, choice.format, choice.rounding, choice.overflow)
            : RoundVia(reading.number, choice.via, choice.format, choice.rounding, choice.overflow)
                  .stored;
    return PatternHexText(choice.format, stored.bits);
}

namespace lines {

void SetFormatEntries(Explanation& e) {
    const FloatFormat& format = e.layout;
    const int width = PatternWidth(format);
    const Bits128 bits = BitsOfHex(e.hex);
    const auto patternEntry = [&format](Entry& entry, Bits128 pattern) {
        entry.field = EntryField::Pattern;
        const std::string text = PatternHexText(format, pattern);
        assert(text.size() <= kLongestEntryText);
        entry.length = static_cast<std::uint8_t>(text.size());
        std::memcpy(entry.text, text.data(), text.size());
        entry.reason = nullptr;
    };
    e.bits.resize(static_cast<std::size_t>(width));
    for (int bit = 0; bit < width; ++bit) {
        BitEntry& entry = e.bits[static_cast<std::size_t>(bit)];
        entry.role = RoleOfBit(format, bit);
        patternEntry(entry.entry, Bits128{bits.high ^ BitAt(bit).high, bits.low ^ BitAt(bit).low});
    }
    for (const auto& [entry, number] :
         {std::pair(&e.nextUpEntry, &e.nextUp), std::pair(&e.nextDownEntry, &e.nextDown)}) {
        entry->present = number->present;
        if (*number) patternEntry(entry->value, BitsOfHex(**number));
    }
    e.landmarkEntries.resize(e.landmarks != nullptr ? e.landmarks->size() : 0);
    for (std::size_t i = 0; i < e.landmarkEntries.size(); ++i)
        patternEntry(e.landmarkEntries[i], BitsOfHex((*e.landmarks)[i].hex));
}

// binary32 and binary64 as rows of the registry, for the members every format
// has.
void SetRegistryMembers(Explanation& e) { SetFormatMembers(e, e.layout, BitsOfHex(e.hex)); }

}  // namespace lines

}  // namespace zelquin::explain
