// The --explain block, built from the same core functions as the conversions.
// The pattern command repeats the core's choice of format on the integer it
// reads, and the value command its reading and narrowing, so that the block
// describes exactly the number behind the result line.
#include "explain.h"

#include "binary_format.h"
#include "conversion.h"
#include "decimal_reading.h"
#include "exact_decimal.h"
#include "pattern_reading.h"

namespace zelquin::cli {
namespace {

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

// "0x" and every hexadecimal digit of the format.
std::string FullHex(std::uint64_t bits, const BinaryFormat& format) {
    const int digitCount = format.TotalBits() / 4;
    std::string text = "0x";
    for (int i = digitCount - 1; i >= 0; --i) text += "0123456789abcdef"[(bits >> (4 * i)) & 0xF];
    return text;
}

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

void AddReadLine(std::string& out, std::size_t converted, std::size_t textUnits) {
    if (textUnits <= converted) return;
    AddLine(out, "read", "the first " + std::to_string(converted) + " of " + std::to_string(textUnits) +
                             " UTF-16 units of the text");
}

// The lines describing the number; returns its exact value when it is finite.
bool AddNumber(std::string& out, std::uint64_t bits, bool isDouble, Decimal& exact) {
    const BinaryFormat& format = FormatOf(isDouble);
    const BinaryFields f = SplitFields(bits, format);
    const NumberClass numberClass = Classify(bits, format);
    const int bias = format.Bias();

    AddLine(out, "hex", FullHex(bits, format));
    AddLine(out, "binary", std::string(f.negative ? "1" : "0") + " | " +
                               Binary(static_cast<std::uint64_t>(f.exponentField), format.exponentBits) +
                               " | " + Binary(f.fraction, format.fractionBits));
    AddLine(out, "class", ClassName(numberClass));

    const std::string field = "(field " + std::to_string(f.exponentField) + ")";
    switch (numberClass) {
        case NumberClass::Normal:
            AddLine(out, "exponent", std::to_string(f.exponentField - bias) + " " + field);
            break;
        case NumberClass::Subnormal:
            AddLine(out, "exponent", std::to_string(1 - bias) + " " + field + ", no leading 1");
            break;
        default:
            AddLine(out, "exponent", "none " + field);
            break;
    }

    if (f.exponentField == format.MaxExponentField()) {
        if (f.fraction == 0) {
            AddLine(out, "exact", f.negative ? "-infinity" : "infinity");
        } else {
            AddLine(out, "exact", "not a number");
        }
        return false;
    }
    const int firstExponent = format.SubnormalUnitExponent();  // of the lowest bit
    exact = f.exponentField == 0
                ? BinaryToDecimal(f.negative, f.fraction, firstExponent)
                : BinaryToDecimal(f.negative, f.fraction | format.ImplicitBit(), firstExponent + f.exponentField - 1);
    AddLine(out, "exact", FormatDecimal(exact));
    return true;
}

std::string DifferenceText(const TypedDecimal& typed, const Decimal& exact) {
    if (exact.digits.empty()) return FormatTyped(typed, true);  // typed - 0
    if (typed.value.digits.empty()) return FormatDecimal(Subtract(Decimal{}, exact), true);
    const std::int64_t distance = typed.value.scale - exact.scale;
    if (typed.hugeExponent || distance > kMaxScaleDistance || distance < -kMaxScaleDistance) {
        // The reader gives zero or infinity long before this.
        return "none: too far apart";
    }
    return FormatDecimal(Subtract(typed.value, exact), true);
}

}  // namespace

const char* ClassName(NumberClass numberClass) {
    switch (numberClass) {
        case NumberClass::Zero: return "zero";
        case NumberClass::Subnormal: return "subnormal";
        case NumberClass::Normal: return "normal";
        case NumberClass::Infinity: return "infinity";
        case NumberClass::QuietNaN: return "quiet NaN";
        case NumberClass::SignallingNaN: return "signalling NaN";
        case NumberClass::IndefiniteNaN: return "indefinite NaN";
    }
    return "";
}

std::string ExplainPattern(std::u16string_view text, std::size_t textUnits, bool treatAsDouble) {
    std::string out;
    AddReadLine(out, text.size(), textUnits);
    const std::uint64_t integer = TextToUInt64(text);
    AddLine(out, "integer", Narrow(UInt64ToHexText(integer)));

    const PatternNumber number = ChoosePatternNumber(integer, treatAsDouble);
    if (treatAsDouble) {
        AddLine(out, "format", "binary64, the integer's low 32 bits as its upper half (--double)");
    } else if (number.isDouble) {
        AddLine(out, "format", "binary64, as the integer is above 0xffffffff");
    } else {
        AddLine(out, "format", "binary32");
    }
    const BinaryFormat& format = FormatOf(number.isDouble);
    if (Classify(number.bits, format) == NumberClass::SignallingNaN) {
        AddLine(out, "signalling", FullHex(number.bits, format) + " is made quiet; the lines below describe the quiet NaN");
    }
    Decimal exact;
    AddNumber(out, MakeQuiet(number.bits, format), number.isDouble, exact);
    out += '\n';
    return out;
}

std::string ExplainValue(std::u16string_view text, std::size_t textUnits, bool treatAsDouble) {
    std::string out;
    AddReadLine(out, text.size(), textUnits);
    const std::uint64_t binary64 = TextToDouble(text);
    std::uint64_t bits = binary64;
    if (treatAsDouble) {
        AddLine(out, "format", "binary64");
    } else {
        bits = DoubleToSingle(binary64);
        AddLine(out, "format", "binary32, narrowed from binary64 " + FullHex(binary64, kBinary64));
    }
    Decimal exact;
    const bool finite = AddNumber(out, bits, treatAsDouble, exact);

    const TypedDecimal typed = ReadTypedDecimal(text);
    std::string typedText = FormatTyped(typed);
    if (!typed.numberFound) typedText += " (no number at the start of the text)";
    if (typed.numberFound && typed.textAfter) typedText += " (the text after the number is ignored)";
    AddLine(out, "typed", typedText);
    AddLine(out, "difference",
            finite ? DifferenceText(typed, exact) + " (typed minus exact)" : "none: the stored number is infinite");
    out += '\n';
    return out;
}

std::string ExplainNotConverted(std::string_view reason) {
    std::string out = "  not converted: ";
    out += reason;
    out += "\n\n";
    return out;
}

}  // namespace zelquin::cli
