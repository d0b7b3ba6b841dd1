// The explanation record, built from the same core functions as the
// conversions: the pattern command repeats the core's choice of format on the
// integer it reads, and the value command its reading and narrowing, so that
// the record describes exactly the number behind the result.
#include "explanation.h"

#include "conversion.h"
#include "decimal_reading.h"
#include "exact_decimal.h"
#include "pattern_reading.h"
#include "typed_number.h"

namespace zelquin::explain {
namespace {

constexpr const char* kNoNumberNote = " (no number at the start of the text)";
constexpr const char* kTextAfterNote = " (the text after the number is ignored)";

std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

std::string Binary(std::uint64_t value, int bitCount) {
    std::string text;
    for (int i = bitCount - 1; i >= 0; --i) text += ((value >> i) & 1) != 0 ? '1' : '0';
    return text;
}

void AddLine(std::string& out, const char* label, const std::string& text) {
    out += "  ";
    out += label;
    out.append(12 - std::char_traits<char>::length(label), ' ');
    out += text;
    out += '\n';
}

Explanation Start(Command command, std::u16string_view text, std::size_t textUnits,
                  FormatOption option) {
    Explanation e;
    e.command = command;
    e.option = option;
    e.text = std::u16string(text);
    e.textUnits = textUnits;
    e.truncated = textUnits > text.size();
    char16_t result[kLongestValueText];
    e.result =
        Narrow(std::u16string_view(result, ConvertText(command, option, text, result) - result));
    return e;
}

// Fills in the number stored; returns its exact value when it is finite.
Decimal DescribeNumber(Explanation& e, std::uint64_t bits, bool isDouble) {
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
    if (!e.finite) return Decimal{};
    const int firstExponent = format.SubnormalUnitExponent();  // of the lowest bit
    const Decimal exact = f.exponentField == 0
                              ? BinaryToDecimal(f.negative, f.fraction, firstExponent)
                              : BinaryToDecimal(f.negative, f.fraction | format.ImplicitBit(),
                                                firstExponent + f.exponentField - 1);
    e.exact = FormatDecimal(exact);
    return exact;
}

void SetDifference(Explanation& e, const TypedDecimal& typed, const Decimal& exact) {
    if (!e.finite) {
        e.noDifference = "the stored number is infinite";
        return;
    }
    const std::int64_t distance = typed.value.scale - exact.scale;
    if (!typed.value.digits.empty() && !exact.digits.empty() &&
        (typed.hugeExponent || distance > kMaxScaleDistance || distance < -kMaxScaleDistance)) {
        // The reader gives zero or infinity long before this.
        e.noDifference = "too far apart";
        return;
    }
    e.hasDifference = true;
    if (exact.digits.empty()) {
        // typed - 0; a typed zero gives +0 whatever the signs.
        e.difference = typed.value.digits.empty() ? "0" : FormatTyped(typed, true);
    } else {
        e.difference = FormatDecimal(Subtract(typed.value, exact), true);
    }
}

void AddNumberLines(std::string& out, const Explanation& e) {
    const BinaryFormat& format = *e.format;
    AddLine(out, "hex", FullHex(e.bits, format.TotalBits()));
    AddLine(out, "binary",
            std::string(e.negative ? "1" : "0") + " | " +
                Binary(static_cast<std::uint64_t>(e.exponentField), format.exponentBits) + " | " +
                Binary(e.fraction, format.fractionBits));
    AddLine(out, "class", ClassName(e.numberClass));
    const std::string field = "(field " + std::to_string(e.exponentField) + ")";
    if (!e.hasExponent) {
        AddLine(out, "exponent", "none " + field);
    } else if (e.numberClass == NumberClass::Subnormal) {
        AddLine(out, "exponent", std::to_string(e.exponent) + " " + field + ", no leading 1");
    } else {
        AddLine(out, "exponent", std::to_string(e.exponent) + " " + field);
    }
    if (e.finite) {
        AddLine(out, "exact", e.exact);
    } else if (e.fraction == 0) {
        AddLine(out, "exact", e.negative ? "-infinity" : "infinity");
    } else {
        AddLine(out, "exact", "not a number");
    }
}

}  // namespace

char16_t* ConvertText(Command command, FormatOption option, std::u16string_view text,
                      char16_t* out) {
    return command == Command::Value ? ValueToPatternText(text, option, out)
                                     : PatternToValueText(text, option, out);
}

Explanation ExplainPattern(std::u16string_view text, std::size_t textUnits, FormatOption option) {
    Explanation e = Start(Command::Pattern, text, textUnits, option);
    e.integer = TextToUInt64(text);
    const TypedInteger typed = ReadTypedInteger(text);
    e.noNumber = !typed.numberFound;
    e.textAfterIgnored = typed.textAfter;
    e.overflowed = typed.overflowed;
    e.wrapped = typed.numberFound && !typed.overflowed && typed.negative && typed.magnitude != 0;

    const PatternNumber number = ChoosePatternNumber(e.integer, option);
    e.wideInteger = option == FormatOption::Binary32 && number.isDouble;
    const BinaryFormat& format = FormatOf(number.isDouble);
    e.quieted = Classify(number.bits, format) == NumberClass::SignallingNaN;
    if (e.quieted) e.signallingBits = number.bits;
    DescribeNumber(e, MakeQuiet(number.bits, format), number.isDouble);
    return e;
}

Explanation ExplainValue(std::u16string_view text, std::size_t textUnits, FormatOption option) {
    Explanation e = Start(Command::Value, text, textUnits, option);
    e.binary64Bits = TextToDouble(text);
    e.narrowed = option == FormatOption::Binary32;
    const Decimal exact = DescribeNumber(
        e, e.narrowed ? DoubleToSingle(e.binary64Bits) : e.binary64Bits, !e.narrowed);

    const TypedDecimal typed = ReadTypedDecimal(text);
    e.noNumber = !typed.numberFound;
    e.textAfterIgnored = typed.textAfter;
    e.typed = FormatTyped(typed);
    SetDifference(e, typed, exact);
    return e;
}

Explanation Explain(Command command, std::u16string_view text, std::size_t textUnits,
                    FormatOption option) {
    return command == Command::Pattern ? ExplainPattern(text, textUnits, option)
                                       : ExplainValue(text, textUnits, option);
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
    std::string text = "0x";
    for (int i = (bitCount + 3) / 4 - 1; i >= 0; --i)
        text += "0123456789abcdef"[(bits >> (4 * i)) & 0xF];
    return text;
}

std::string IntegerHex(std::uint64_t integer) {
    char16_t text[kLongestPatternText];
    return Narrow(std::u16string_view(text, UInt64ToHexText(integer, text) - text));
}

std::string ExplanationText(const Explanation& e) {
    std::string out;
    if (e.truncated) {
        AddLine(out, "read",
                "the first " + std::to_string(e.text.size()) + " of " +
                    std::to_string(e.textUnits) + " UTF-16 units of the text");
    }
    if (e.command == Command::Pattern) {
        std::string integer = IntegerHex(e.integer);
        if (e.noNumber) integer += kNoNumberNote;
        if (e.overflowed) integer += " (the digits overflowed and were read as 0xffffffffffffffff)";
        if (e.wrapped) integer += " (a negative number, wrapped modulo 2^64)";
        if (e.textAfterIgnored) integer += kTextAfterNote;
        AddLine(out, "integer", integer);
        if (e.option == FormatOption::TreatAsDouble) {
            AddLine(out, "format",
                    "binary64, the integer's low 32 bits as its upper half (--double)");
        } else if (e.option == FormatOption::Binary64) {
            AddLine(out, "format", "binary64, the integer's 64 bits (--binary64)");
        } else if (e.wideInteger) {
            AddLine(out, "format", "binary64, as the integer is above 0xffffffff");
        } else {
            AddLine(out, "format", "binary32");
        }
        if (e.quieted) {
            AddLine(out, "signalling",
                    FullHex(e.signallingBits, e.format->TotalBits()) +
                        " is made quiet; the lines below describe the quiet NaN");
        }
        AddNumberLines(out, e);
    } else {
        AddLine(out, "format",
                e.narrowed ? "binary32, narrowed from binary64 " + FullHex(e.binary64Bits, 64)
                           : std::string("binary64"));
        AddNumberLines(out, e);
        std::string typed = e.typed;
        if (e.noNumber) typed += kNoNumberNote;
        if (e.textAfterIgnored) typed += kTextAfterNote;
        AddLine(out, "typed", typed);
        AddLine(
            out, "difference",
            e.hasDifference ? e.difference + " (typed minus exact)" : "none: " + e.noDifference);
    }
    out += '\n';
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
    return text;
}

}  // namespace zelquin::explain
