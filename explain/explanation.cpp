// The explanation record, made from the record of the core's reader: the
// explanation describes what the reader read and chose, and renders the result
// from it, so that it describes exactly the number behind the result.
#include "explanation.h"

#include <charconv>

#include "big_unsigned.h"
#include "correct_rounding.h"
#include "exact_decimal.h"
#include "text_writer.h"
#include "typed_number.h"

namespace zelquin::explain {
namespace {

constexpr const char* kNoNumberNote = "no number at the start of the text";
constexpr const char* kTextAfterNote = "the text after the number is ignored";

// Notes in one bracket after a text: " (note; note)", nothing without one.
void PutNotes(char*& p, std::initializer_list<const char*> notes) {
    bool first = true;
    for (const char* note : notes) {
        if (note == nullptr) continue;
        p = Put(p, first ? " (" : "; ");
        p = Put(p, note);
        first = false;
    }
    if (!first) p = Put(p, ')');
}

void AssignNarrow(std::string& out, const char16_t* begin, const char16_t* end) {
    out.assign(begin, end);  // always ASCII
}

void PutBinary(char*& p, std::uint64_t value, int bitCount) {
    for (int i = bitCount - 1; i >= 0; --i) *p++ = ((value >> i) & 1) != 0 ? '1' : '0';
}

void PutNumber(char*& p, std::int64_t value) { p = std::to_chars(p, p + 24, value).ptr; }

void PutIntegerHex(char*& p, std::uint64_t integer) {
    char16_t text[kLongestPatternText];
    const char16_t* end = UInt64ToHexText(integer, text);
    for (const char16_t* t = text; t != end; ++t) *p++ = static_cast<char>(*t);  // ASCII
}

// The start of a line: two spaces and the label, padded to twelve.
void Label(char*& p, std::string_view label) {
    p = Put(p, "  ");
    p = Put(p, label);
    for (std::size_t i = label.size(); i < 12; ++i) *p++ = ' ';
}

void Reset(Explanation& e, Command command, std::u16string_view text, std::size_t textUnits,
           FormatOption option) {
    e.command = command;
    e.option = option;
    e.text.assign(text.begin(), text.end());
    e.textUnits = textUnits;
    e.result.clear();
    e.truncated = textUnits > text.size();
    e.noNumber = false;
    e.textAfterIgnored = false;
    e.integer = 0;
    e.overflowed = false;
    e.wrapped = false;
    e.wideInteger = false;
    e.quieted = false;
    e.signallingBits = 0;
    e.narrowed = false;
    e.binary64Bits = 0;
    e.typed.clear();
    e.hasDifference = false;
    e.difference.clear();
    e.noDifference.clear();
    e.format = &kBinary32;
    e.bits = 0;
    e.numberClass = NumberClass::Zero;
    e.negative = false;
    e.exponentField = 0;
    e.fraction = 0;
    e.hasExponent = false;
    e.exponent = 0;
    e.finite = false;
    e.exact.clear();
    e.shortest.clear();
    e.nearest.reset();
    e.nearestDiffers = false;
    e.differsBecause.clear();
    e.hasUlps = false;
    e.ulps.clear();
    e.nextUp.reset();
    e.nextDown.reset();
    e.hasSignificand = false;
    e.significand.clear();
    for (Decimal* number : {&e.exactValue, &e.typedValue.value, &e.differenceValue}) {
        number->negative = false;
        number->digits.clear();
        number->scale = 0;
    }
    e.typedValue.hugeExponent = false;
    e.typedValue.scientificExponentNegative = false;
    e.typedValue.scientificExponent.clear();
}

// IEEE 754's nextUp: the least pattern of the format above the number; none
// for a NaN and for +infinity. Magnitudes are ordered as their patterns.
std::optional<std::uint64_t> NextUp(std::uint64_t bits, const BinaryFormat& format) {
    const std::uint64_t magnitude = bits & ~format.SignBit();
    if (magnitude > format.Infinity() || bits == format.Infinity()) return std::nullopt;
    if (magnitude == 0) return 1;                         // either zero: the least subnormal
    if (bits == magnitude) return bits + 1;               // positive: a larger magnitude
    return magnitude == 1 ? format.SignBit() : bits - 1;  // negative: a smaller one, down to -0
}

std::optional<std::uint64_t> NextDown(std::uint64_t bits, const BinaryFormat& format) {
    const std::optional<std::uint64_t> up = NextUp(bits ^ format.SignBit(), format);
    if (!up) return std::nullopt;
    return *up ^ format.SignBit();
}

// Fills in the number stored: its fields, its exact value (also as a Decimal
// when asked for), the shortest text, the neighbours and the significand.
// Returns where it lies on its format's grid, for the value command's
// comparisons (the unit in the last place: for the largest finite magnitude,
// as for those just below it).
GridPoint DescribeNumber(Explanation& e, std::uint64_t bits, bool isDouble, bool exactDecimal) {
    const BinaryFormat& format = FormatOf(isDouble);
    const BinaryFields f = SplitFields(bits, format);
    e.format = &format;
    e.bits = bits;
    e.numberClass = Classify(bits, format);
    e.negative = f.negative;
    e.exponentField = f.exponentField;
    e.fraction = f.fraction;
    e.hasExponent = e.numberClass == NumberClass::Normal || e.numberClass == NumberClass::Subnormal;
    e.exponent =
        e.numberClass == NumberClass::Normal ? f.exponentField - format.Bias() : 1 - format.Bias();
    e.finite = f.exponentField != format.MaxExponentField();
    e.nextUp = NextUp(bits, format);
    e.nextDown = NextDown(bits, format);
    if (!e.finite) {
        AppendShortestText(bits, format, e.shortest);
        return GridPoint{};
    }
    const GridPoint stored = PointOf(bits & ~format.SignBit(), format);

    // The exact value and the shortest text from one scaling; the reference
    // forms where it does not reach, which is never for these formats.
    ScaledBinary scaled;
    if (stored.m != 0 && ScaleBinary(stored.m, stored.e, true, scaled)) {
        if (exactDecimal) {
            DecimalOfScaled(f.negative, scaled, e.exactValue);
            AppendDecimal(e.exactValue, false, e.exact);
        } else {
            AppendScaledText(f.negative, scaled, e.exact);
        }
        AppendShortestOfScaled(f.negative, scaled, stored.even, stored.narrowBelow, e.shortest);
    } else {
        BinaryToDecimal(f.negative, stored.m, stored.e, e.exactValue);
        AppendDecimal(e.exactValue, false, e.exact);
        AppendShortestText(bits, format, e.shortest);
    }

    e.hasSignificand = true;
    ScaledBinary significand;
    if (ScaleBinary(stored.m, -format.fractionBits, false, significand) &&
        significand.value.count != 0) {
        AppendScaledText(false, significand, e.significand);
    } else {
        AppendDecimal(BinaryToDecimal(false, stored.m, -format.fractionBits), false, e.significand);
    }
    return stored;
}

// The difference typed minus exact, its units in the last place, and the
// pattern a correctly rounding reader stores for the number typed.
void SetDifferenceAndNearest(Explanation& e, const GridPoint& stored) {
    const TypedDecimal& typed = e.typedValue;
    const Decimal& exact = e.exactValue;
    Hundredths hundredths;
    bool hundredthsKnown = false;
    if (!e.finite) {
        e.noDifference += "the stored number is infinite";
    } else {
        const std::int64_t distance = typed.value.scale - exact.scale;
        if (!typed.value.digits.empty() && !exact.digits.empty() &&
            (typed.hugeExponent || distance > kMaxScaleDistance || distance < -kMaxScaleDistance)) {
            // The reader gives zero or infinity long before this.
            e.noDifference += "too far apart";
        } else {
            e.hasDifference = true;
            e.hasUlps = true;
            if (exact.digits.empty()) {
                // typed - 0; a typed zero gives +0 whatever the signs.
                if (typed.value.digits.empty()) {
                    e.difference += '0';
                } else {
                    AppendTyped(typed, true, e.difference);
                }
                if (typed.hugeExponent) {
                    e.ulps += typed.value.negative ? "-0.00" : "+0.00";  // far below a unit
                } else {
                    e.differenceValue = typed.value;
                    if (e.differenceValue.digits.empty()) e.differenceValue.negative = false;
                    AppendUnitsInLastPlace(e.differenceValue, stored.e, e.ulps);
                }
            } else {
                Subtract(typed.value, exact, e.differenceValue);
                AppendDecimal(e.differenceValue, true, e.difference);
                hundredthsKnown = !e.differenceValue.digits.empty() &&
                                  HundredthsOfUnit(e.differenceValue, stored.e, hundredths);
                if (hundredthsKnown) {
                    AppendUnitsOfHundredths(e.differenceValue.negative, hundredths, e.ulps);
                } else {
                    AppendUnitsInLastPlace(e.differenceValue, stored.e, e.ulps);
                }
            }
        }
    }

    // The number stored is the nearest when the typed one lies within its
    // rounding interval; otherwise the search steps to its neighbours.
    if ((hundredthsKnown || e.differenceValue.digits.empty()) && e.hasDifference &&
        !exact.digits.empty() && !typed.value.digits.empty() &&
        StoredIsNearest(hundredths, e.differenceValue.negative == e.negative, stored.even,
                        stored.narrowBelow)) {
        e.nearest = e.bits;
    } else {
        e.nearest = NearestPattern(typed.value, typed.hugeExponent,
                                   typed.scientificExponentNegative, *e.format, e.bits);
    }
}

void PutNumberLines(char*& p, const Explanation& e) {
    const BinaryFormat& format = *e.format;
    Label(p, "hex");
    p = PutFullHex(p, e.bits, format.TotalBits());
    p = Put(p, '\n');
    Label(p, "binary");
    p = Put(p, e.negative ? "1 | " : "0 | ");
    PutBinary(p, static_cast<std::uint64_t>(e.exponentField), format.exponentBits);
    p = Put(p, " | ");
    PutBinary(p, e.fraction, format.fractionBits);
    p = Put(p, '\n');
    Label(p, "class");
    p = Put(p, ClassName(e.numberClass));
    p = Put(p, '\n');
    Label(p, "exponent");
    if (!e.hasExponent) {
        p = Put(p, "none");
    } else {
        PutNumber(p, e.exponent);
    }
    p = Put(p, " (field ");
    PutNumber(p, e.exponentField);
    p = Put(p, ')');
    if (e.hasExponent && e.numberClass == NumberClass::Subnormal) p = Put(p, ", no leading 1");
    p = Put(p, '\n');
    Label(p, "exact");
    if (e.finite) {
        p = Put(p, e.exact);
    } else if (e.fraction == 0) {
        p = Put(p, e.negative ? "-infinity" : "infinity");
    } else {
        p = Put(p, "not a number");
    }
    p = Put(p, '\n');
}

void PutHexOrNone(char*& p, const std::optional<std::uint64_t>& bits, int bitCount) {
    if (bits) {
        p = PutFullHex(p, *bits, bitCount);
    } else {
        p = Put(p, "none");
    }
}

// The lines of what a correctly rounding reader and writer make of it.
void PutRoundingLines(char*& p, const Explanation& e) {
    const int bitCount = e.format->TotalBits();
    Label(p, "shortest");
    p = Put(p, e.shortest);
    p = Put(p, '\n');
    if (e.nearest) {
        Label(p, "nearest");
        p = PutFullHex(p, *e.nearest, bitCount);
        if (e.nearestDiffers) {
            p = Put(p, " (differs: ");
            p = Put(p, e.differsBecause);
            p = Put(p, ')');
        } else {
            p = Put(p, " (the same bits)");
        }
        p = Put(p, '\n');
    }
    if (e.command == Command::Value) {
        Label(p, "ulps");
        if (e.hasUlps) {
            p = Put(p, e.ulps);
        } else {
            p = Put(p, "none: ");
            p = Put(p, e.noDifference);
        }
        p = Put(p, '\n');
    }
    Label(p, "next up");
    PutHexOrNone(p, e.nextUp, bitCount);
    p = Put(p, '\n');
    Label(p, "next down");
    PutHexOrNone(p, e.nextDown, bitCount);
    p = Put(p, '\n');
    Label(p, "significand");
    if (e.hasSignificand) {
        // A subnormal or a zero has the exponent of the smallest normal number.
        p = Put(p, e.significand);
        p = Put(p, e.negative ? " (-" : " (+");
        p = Put(p, e.significand);
        p = Put(p, " x 2^");
        PutNumber(p, e.exponent);
        p = Put(p, ')');
    } else {
        p = Put(p, "none");
    }
    p = Put(p, '\n');
}

}  // namespace

std::u16string ValueTextFor(std::uint64_t binary64Bits) {
    if ((binary64Bits & kBinary64.ExponentMask()) == kBinary64.ExponentMask()) return {};
    // The shortest text first, as it is the one a user would type; then more
    // digits, where the value reader's own rules round the shorter ones
    // elsewhere (an exact half, the 80-bit intermediate). Each is made only
    // when the one before does not read back.
    for (const int digits : {0, 17, 25}) {
        const std::string candidate = digits == 0 ? ShortestText(binary64Bits, kBinary64)
                                                  : RoundedText(binary64Bits, kBinary64, digits);
        std::u16string text(candidate.begin(), candidate.end());
        if (ReadValueText(text, FormatOption::TreatAsDouble).bits == binary64Bits) return text;
    }
    return {};
}

char16_t* ConvertText(Command command, FormatOption option, std::u16string_view text,
                      char16_t* out) {
    return command == Command::Value ? ValueToPatternText(text, option, out)
                                     : PatternToValueText(text, option, out);
}

void ExplainPattern(std::u16string_view text, std::size_t textUnits, FormatOption option,
                    Explanation& e) {
    Reset(e, Command::Pattern, text, textUnits, option);
    const PatternReading reading = ReadPatternText(text, option);
    char16_t result[kLongestValueText];
    AssignNarrow(e.result, result, DoubleToFixedText(reading.shownDouble, result));
    e.integer = reading.integer;
    e.noNumber = !reading.digitSeen;
    e.textAfterIgnored = reading.textAfter;
    e.overflowed = reading.overflowed;
    e.wrapped = reading.wrapped;
    e.wideInteger = reading.wideInteger;
    e.quieted = reading.quieted;
    if (e.quieted) e.signallingBits = reading.chosenBits;
    DescribeNumber(e, reading.bits, reading.isDouble, false);
}

void ExplainValue(std::u16string_view text, std::size_t textUnits, FormatOption option,
                  Explanation& e) {
    Reset(e, Command::Value, text, textUnits, option);
    const ValueReading reading = ReadValueText(text, option);
    char16_t result[kLongestPatternText];
    AssignNarrow(e.result, result, UInt64ToHexText(reading.bits, result));
    e.binary64Bits = reading.binary64;
    e.narrowed = !reading.isDouble;
    const GridPoint stored = DescribeNumber(e, reading.bits, reading.isDouble, true);

    TypedNumberOf(text, reading.number, e.typedValue);
    e.noNumber = !reading.number.digitSeen;
    e.textAfterIgnored = reading.number.textAfter;
    AppendTyped(e.typedValue, false, e.typed);
    SetDifferenceAndNearest(e, stored);
    e.nearestDiffers = *e.nearest != e.bits;
    if (e.nearestDiffers) e.differsBecause = DifferenceReason(text, reading, *e.nearest);
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
             Explanation& out) {
    if (command == Command::Pattern) {
        ExplainPattern(text, textUnits, option, out);
    } else {
        ExplainValue(text, textUnits, option, out);
    }
}

Explanation Explain(Command command, std::u16string_view text, std::size_t textUnits,
                    FormatOption option) {
    Explanation e;
    Explain(command, text, textUnits, option, e);
    return e;
}

const char* ClassName(NumberClass numberClass) {
    switch (numberClass) {
        case NumberClass::Zero:
            return "zero";
        case NumberClass::Subnormal:
            return "subnormal";
        case NumberClass::Normal:
            return "normal";
        case NumberClass::Infinity:
            return "infinity";
        case NumberClass::QuietNaN:
            return "quiet NaN";
        case NumberClass::SignallingNaN:
            return "signalling NaN";
        case NumberClass::IndefiniteNaN:
            return "indefinite NaN";
    }
    return "";
}

const char* CommandName(Command command) {
    return command == Command::Pattern ? "pattern" : "value";
}

std::string FullHex(std::uint64_t bits, int bitCount) {
    std::string text(kFullHexRoom, '\0');
    CloseRoom(text, PutFullHex(text.data(), bits, bitCount));
    return text;
}

std::string IntegerHex(std::uint64_t integer) {
    std::string text(kLongestPatternText, '\0');
    char* p = text.data();
    PutIntegerHex(p, integer);
    CloseRoom(text, p);
    return text;
}

namespace {

char* PutExplanationText(char* p, const Explanation& e) {
    if (e.truncated) {
        Label(p, "read");
        p = Put(p, "the first ");
        PutNumber(p, static_cast<std::int64_t>(e.text.size()));
        p = Put(p, " of ");
        p = Put(p, std::to_string(e.textUnits));
        p = Put(p, " UTF-16 units of the text\n");
    }
    if (e.command == Command::Pattern) {
        Label(p, "integer");
        PutIntegerHex(p, e.integer);
        PutNotes(p, {e.noNumber ? kNoNumberNote : nullptr,
                     e.overflowed ? "the digits overflowed and were read as 0xffffffffffffffff"
                                  : nullptr,
                     e.wrapped ? "a negative number, wrapped modulo 2^64" : nullptr,
                     e.textAfterIgnored ? kTextAfterNote : nullptr});
        p = Put(p, '\n');
        Label(p, "format");
        if (e.option == FormatOption::TreatAsDouble) {
            p = Put(p, "binary64, the integer's low 32 bits as its upper half (--double)");
        } else if (e.option == FormatOption::Binary64) {
            p = Put(p, "binary64, the integer's 64 bits (--binary64)");
        } else if (e.wideInteger) {
            p = Put(p, "binary64, as the integer is above 0xffffffff");
        } else {
            p = Put(p, "binary32");
        }
        p = Put(p, '\n');
        if (e.quieted) {
            Label(p, "signalling");
            p = PutFullHex(p, e.signallingBits, e.format->TotalBits());
            p = Put(p, " is made quiet; the lines below describe the quiet NaN\n");
        }
        PutNumberLines(p, e);
    } else {
        Label(p, "format");
        if (e.narrowed) {
            p = Put(p, "binary32, narrowed from binary64 ");
            p = PutFullHex(p, e.binary64Bits, 64);
        } else {
            p = Put(p, "binary64");
        }
        p = Put(p, '\n');
        PutNumberLines(p, e);
        Label(p, "typed");
        p = Put(p, e.typed);
        PutNotes(p, {e.noNumber ? kNoNumberNote : nullptr,
                     e.textAfterIgnored ? kTextAfterNote : nullptr});
        p = Put(p, '\n');
        Label(p, "difference");
        if (e.hasDifference) {
            p = Put(p, e.difference);
            p = Put(p, " (typed minus exact)");
        } else {
            p = Put(p, "none: ");
            p = Put(p, e.noDifference);
        }
        p = Put(p, '\n');
    }
    PutRoundingLines(p, e);
    return Put(p, '\n');
}

}  // namespace

void AppendExplanationText(const Explanation& e, std::string& out) {
    // The fixed parts of the lines take below 2048 bytes.
    const std::size_t room = 2048 + e.result.size() + e.exact.size() + e.typed.size() +
                             e.difference.size() + e.noDifference.size() + e.shortest.size() +
                             e.differsBecause.size() + e.ulps.size() + 2 * e.significand.size();
    AppendWritten(out, room, [&e](char* p) { return PutExplanationText(p, e); });
}

std::string ExplanationText(const Explanation& e) {
    std::string out;
    AppendExplanationText(e, out);
    return out;
}

std::string NotConvertedText(std::string_view reason) {
    std::string out = "  not converted: ";
    out += reason;
    out += "\n\n";
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

}  // namespace zelquin::explain
