// The explanation record, built from the same core functions as the
// conversions: the pattern command repeats the core's choice of format on the
// integer it reads, and the value command its reading and narrowing, so that
// the record describes exactly the number behind the result.
#include "explanation.h"

#include "big_unsigned.h"
#include "conversion.h"
#include "correct_rounding.h"
#include "decimal_reading.h"
#include "exact_decimal.h"
#include "pattern_reading.h"
#include "typed_number.h"

namespace zelquin::explain {
namespace {

constexpr const char* kNoNumberNote = "no number at the start of the text";
constexpr const char* kTextAfterNote = "the text after the number is ignored";

// The text followed by its notes in one bracket: "0x3f80 (note; note)".
std::string WithNotes(std::string text, std::initializer_list<const char*> notes) {
    bool first = true;
    for (const char* note : notes) {
        if (note == nullptr) continue;
        text += first ? " (" : "; ";
        text += note;
        first = false;
    }
    if (!first) text += ')';
    return text;
}

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

// The power of two of one unit in the last place of a finite number: the
// distance from its magnitude to the next larger one (for the largest finite
// magnitude, as for those just below it).
int UnitExponent(const BinaryFields& f, const BinaryFormat& format) {
    return format.SubnormalUnitExponent() + (f.exponentField == 0 ? 0 : f.exponentField - 1);
}

// difference / 2^unitExponent rounded half to even to two decimals, with its
// sign: "-0.20", "+0.50"; "0" for no difference at all.
std::string UnitsInLastPlace(const Decimal& difference, int unitExponent) {
    if (difference.digits.empty()) return "0";
    // 100 * |difference| / 2^u = digits * 5^t * 2^(t - u) with t = scale + 2.
    const std::int64_t t = difference.scale + 2;
    std::uint64_t hundredths = 0;
    if (static_cast<std::int64_t>(difference.digits.size()) + t >= -400) {  // else far below 0.005
        using exact::BigUnsigned;
        BigUnsigned numerator = BigUnsigned::FromDecimal(difference.digits);
        BigUnsigned denominator(1);
        const int fives = static_cast<int>(t < 0 ? -t : t);
        (t >= 0 ? numerator : denominator) =
            (t >= 0 ? numerator : denominator) * BigUnsigned::Power(5, fives);
        const std::int64_t twos = t - unitExponent;
        if (twos >= 0) {
            numerator <<= static_cast<int>(twos);
        } else {
            denominator <<= static_cast<int>(-twos);
        }
        BigUnsigned quotient, remainder;
        DivMod(numerator, denominator, quotient, remainder);
        hundredths = quotient.Low64();
        const int half = Compare(remainder + remainder, denominator);
        if (half > 0 || (half == 0 && hundredths % 2 != 0)) ++hundredths;
    }
    const std::string digits = std::to_string(hundredths / 100);
    const std::uint64_t cents = hundredths % 100;
    return (difference.negative ? "-" : "+") + digits + "." + static_cast<char>('0' + cents / 10) +
           static_cast<char>('0' + cents % 10);
}

// The extended value as an exact binary number: significand * 2^exponent.
exact::BigUnsigned ExtendedSignificand(const ExtendedValue& x) {
    return (exact::BigUnsigned(x.significandHigh) << 16) + exact::BigUnsigned(x.significandLow);
}

int ExtendedExponent(const ExtendedValue& x) {
    return (x.exponent == 0 ? 1 : x.exponent) - kExtendedBias - kExtendedLeadingBit;
}

// The first step of the reading after which the number the reader holds no
// longer rounds to the pattern a correctly rounding reader stores: the digits
// it keeps, the 80-bit intermediate it scales them to, its rounding of that
// to binary64, and the narrowing of the binary64 to binary32.
std::string DifferenceReason(std::u16string_view text, const Explanation& e) {
    const BinaryFormat& format = *e.format;
    const std::uint64_t nearest = *e.nearest;
    ScanResult scan = ScanDecimal(text.substr(WhiteSpaceLength(text)));
    int count = scan.digitCount;
    int adjustment = scan.exponentAdjustment;
    if (count == kMaxStoredDigits) {
        --count;
        ++adjustment;
        if (scan.digits[count] >= 5) ++scan.digits[count - 1];
    }
    while (count > 0 && scan.digits[count - 1] == 0) {
        --count;
        ++adjustment;
    }
    const int n = (scan.exponentNegative ? -scan.exponentValue : scan.exponentValue) + adjustment;
    if (count > 0 && n >= -kLargestDecimalExponent && n <= kLargestDecimalExponent) {
        // The kept digits as an integer below 2^80, exactly.
        const ExtendedValue kept = DigitsToExtended(scan.digits, count);
        Decimal keptDecimal;
        keptDecimal.negative = scan.negative;
        keptDecimal.digits = (ExtendedSignificand(kept) >> -ExtendedExponent(kept)).ToDecimal();
        keptDecimal.scale = n;
        if (NearestPattern(keptDecimal, false, false, format, e.bits) != nearest)
            return "the significant digits after the 24th are dropped, the 25th rounding the 24th";
        const ExtendedValue intermediate = ScaleByPowerOfTen(kept, n, true);
        const std::uint64_t correct64 =
            NearestPatternOfBinary(scan.negative, ExtendedSignificand(intermediate),
                                   ExtendedExponent(intermediate), kBinary64, e.binary64Bits);
        const std::uint64_t correct =
            &format == &kBinary64
                ? correct64
                : NearestPatternOfBinary(scan.negative, ExtendedSignificand(intermediate),
                                         ExtendedExponent(intermediate), format, e.bits);
        if (correct != nearest) return "the 80-bit intermediate is rounded";
        if (correct64 != e.binary64Bits &&
            (&format == &kBinary64 || DoubleToSingle(correct64) == nearest))
            return "the exact half is rounded toward zero";
    }
    return "the binary32 is rounded from the binary64";
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
    e.shortest = ShortestText(bits, format);
    e.nextUp = NextUp(bits, format);
    e.nextDown = NextDown(bits, format);
    if (!e.finite) return Decimal{};
    const std::uint64_t significand =
        f.exponentField == 0 ? f.fraction : f.fraction | format.ImplicitBit();
    e.significand = FormatDecimal(BinaryToDecimal(false, significand, -format.fractionBits));
    const Decimal exact = BinaryToDecimal(f.negative, significand, UnitExponent(f, format));
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
    const int unitExponent = UnitExponent(SplitFields(e.bits, *e.format), *e.format);
    if (exact.digits.empty()) {
        // typed - 0; a typed zero gives +0 whatever the signs.
        e.difference = typed.value.digits.empty() ? "0" : FormatTyped(typed, true);
        if (typed.hugeExponent) {
            e.ulps = typed.value.negative ? "-0.00" : "+0.00";  // far below a unit
            return;
        }
        Decimal difference = typed.value;
        if (difference.digits.empty()) difference.negative = false;
        e.ulps = UnitsInLastPlace(difference, unitExponent);
    } else {
        const Decimal difference = Subtract(typed.value, exact);
        e.difference = FormatDecimal(difference, true);
        e.ulps = UnitsInLastPlace(difference, unitExponent);
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

// The lines of what a correctly rounding reader and writer make of it.
void AddRoundingLines(std::string& out, const Explanation& e) {
    const int bitCount = e.format->TotalBits();
    AddLine(out, "shortest", e.shortest);
    if (e.nearest) {
        AddLine(
            out, "nearest",
            FullHex(*e.nearest, bitCount) +
                (e.nearestDiffers ? " (differs: " + e.differsBecause + ")" : " (the same bits)"));
    }
    if (e.command == Command::Value)
        AddLine(out, "ulps", e.ulps ? *e.ulps : "none: " + e.noDifference);
    AddLine(out, "next up", e.nextUp ? FullHex(*e.nextUp, bitCount) : "none");
    AddLine(out, "next down", e.nextDown ? FullHex(*e.nextDown, bitCount) : "none");
    if (e.significand) {
        // A subnormal or a zero has the exponent of the smallest normal number.
        AddLine(out, "significand",
                *e.significand + " (" + (e.negative ? "-" : "+") + *e.significand + " x 2^" +
                    std::to_string(e.exponent) + ")");
    } else {
        AddLine(out, "significand", "none");
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
    e.nearest = NearestPattern(typed.value, typed.hugeExponent, typed.scientificExponentNegative,
                               *e.format, e.bits);
    e.nearestDiffers = *e.nearest != e.bits;
    if (e.nearestDiffers) e.differsBecause = DifferenceReason(text, e);
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
        AddLine(
            out, "integer",
            WithNotes(IntegerHex(e.integer),
                      {e.noNumber ? kNoNumberNote : nullptr,
                       e.overflowed ? "the digits overflowed and were read as 0xffffffffffffffff"
                                    : nullptr,
                       e.wrapped ? "a negative number, wrapped modulo 2^64" : nullptr,
                       e.textAfterIgnored ? kTextAfterNote : nullptr}));
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
        AddLine(out, "typed",
                WithNotes(e.typed, {e.noNumber ? kNoNumberNote : nullptr,
                                    e.textAfterIgnored ? kTextAfterNote : nullptr}));
        AddLine(
            out, "difference",
            e.hasDifference ? e.difference + " (typed minus exact)" : "none: " + e.noDifference);
    }
    AddRoundingLines(out, e);
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
