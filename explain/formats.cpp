// The registry as a table, and everything else computed from a row: the
// fields, the classes, the grid of magnitudes and the exact values.
#include "formats.h"

#include <array>

namespace zelquin::explain {
namespace {

using exact::BigUnsigned;

constexpr std::array<FloatFormat, 18> kFormats = {{
    {"binary16", "half, float16", 5, 10, 15, Specials::Ieee},
    {"bfloat16", "", 8, 7, 127, Specials::Ieee},
    {"tf32", "", 8, 10, 127, Specials::Ieee},
    {"binary32", "", 8, 23, 127, Specials::Ieee},
    {"binary64", "", 11, 52, 1023, Specials::Ieee},
    {"x87-extended", "extended80", 15, 64, 16383, Specials::X87},
    {"binary128", "quad", 15, 112, 16383, Specials::Ieee},
    {"float8_e5m2", "", 5, 2, 15, Specials::Ieee},
    {"float8_e4m3", "", 4, 3, 7, Specials::Ieee},
    {"float8_e4m3fn", "", 4, 3, 7, Specials::AllOnesNaN},
    {"float8_e4m3fnuz", "", 4, 3, 8, Specials::NegativeZeroNaN},
    {"float8_e5m2fnuz", "", 5, 2, 16, Specials::NegativeZeroNaN},
    {"float8_e4m3b11fnuz", "", 4, 3, 11, Specials::NegativeZeroNaN},
    {"float8_e3m4", "", 3, 4, 3, Specials::Ieee},
    {"float8_e8m0fnu", "", 8, 0, 127, Specials::PowersOfTwo},
    {"float6_e2m3fn", "", 2, 3, 1, Specials::FiniteOnly},
    {"float6_e3m2fn", "", 3, 2, 3, Specials::FiniteOnly},
    {"float4_e2m1fn", "", 2, 1, 1, Specials::FiniteOnly},
}};

// The x87 significand's integer bit and the quiet bit below it.
constexpr Bits128 kIntegerBit = BitAt(63);
constexpr Bits128 kX87QuietBit = BitAt(62);
constexpr int kX87TopField = 0x7fff;

bool IsAlias(const char* aliases, std::string_view name) {
    std::string_view rest = aliases;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(", ");
        if (rest.substr(0, comma) == name) return true;
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 2);
    }
    return false;
}

// A decimal number without sign or leading zero, 1 to 3 digits; -1 otherwise.
int SmallNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 3 || digits[0] == '0') return -1;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<FloatFormat> IeeeLayoutOf(std::string_view name) {
    if (name.size() >= sizeof(FloatFormat{}.name) || name.empty() || name[0] != 'e')
        return std::nullopt;
    const std::size_t m = name.find('m');
    if (m == std::string_view::npos) return std::nullopt;
    const int exponentBits = SmallNumber(name.substr(1, m - 1));
    const int fractionBits = SmallNumber(name.substr(m + 1));
    if (exponentBits < 2 || exponentBits > 15 || fractionBits < 1 || fractionBits > 112)
        return std::nullopt;
    FloatFormat format{
        {}, "", exponentBits, fractionBits, (1 << (exponentBits - 1)) - 1, Specials::Ieee};
    name.copy(format.name, name.size());
    return format;
}

int TopField(const FloatFormat& format) { return (1 << format.exponentBits) - 1; }

// The exponent of the subnormals' unit, the grid's smallest.
int GridMinExponent(const FloatFormat& format) {
    return MinExponent(format) - Precision(format) + 1;
}

int ExponentFieldOf(const FloatFormat& format, Bits128 bits) {
    const int shift = format.specials == Specials::X87 ? 64 : format.fractionBits;
    return static_cast<int>((bits >> shift).low & static_cast<std::uint64_t>(TopField(format)));
}

// The significand with the integer bit as a grid point has it, and the place
// from the magnitudes: one apart in the order of the magnitudes is one apart
// in the places, and place 0 is zero.
Bits128 PlaceOf(const FloatFormat& format, const GridNumber& number) {
    const int offset = number.exponent - GridMinExponent(format);
    return (Bits128{0, static_cast<std::uint64_t>(offset)} << (Precision(format) - 1)) +
           number.significand;
}

Bits128 MagnitudeAt(const FloatFormat& format, Bits128 place) {
    switch (format.specials) {
        case Specials::X87: {
            const Bits128 field = place >> 63;
            return (field << 64) | (IsZero(field) ? Bits128{} : kIntegerBit) |
                   (place & LowMask(63));
        }
        case Specials::PowersOfTwo:
            return place - Bits128{0, 1};
        default:
            return place;
    }
}

Bits128 PlaceOfMagnitude(const FloatFormat& format, Bits128 magnitude) {
    switch (format.specials) {
        case Specials::X87:
            return (Bits128{0, static_cast<std::uint64_t>(ExponentFieldOf(format, magnitude))}
                    << 63) |
                   (magnitude & LowMask(63));
        case Specials::PowersOfTwo:
            return magnitude + Bits128{0, 1};
        default:
            return magnitude;
    }
}

Bits128 MagnitudeOf(const FloatFormat& format, Bits128 bits) {
    return bits & LowMask(PatternWidth(format) - (HasSignBit(format) ? 1 : 0));
}

bool IsNegative(const FloatFormat& format, Bits128 bits) {
    return HasSignBit(format) && !IsZero(bits & SignBit(format));
}

// The same value with the other sign, for a number that has a value.
Bits128 Negated(const FloatFormat& format, Bits128 bits) {
    return WithSign(format, !IsNegative(format, bits), MagnitudeOf(format, bits));
}

BigUnsigned PowerOfFive(std::int64_t n) { return BigUnsigned::Power(5, static_cast<int>(n)); }

}  // namespace

BigUnsigned BigOf(Bits128 bits) { return (BigUnsigned(bits.high) << 64) + BigUnsigned(bits.low); }

Bits128 BitsOf(const BigUnsigned& value) { return {(value >> 64).Low64(), value.Low64()}; }

std::span<const FloatFormat> RegisteredFormats() { return kFormats; }

std::optional<FloatFormat> FindFormat(std::string_view name) {
    for (const FloatFormat& format : kFormats) {
        if (name == format.name || IsAlias(format.aliases, name)) return format;
    }
    return IeeeLayoutOf(name);
}

const char* SpecialsText(Specials specials) {
    switch (specials) {
        case Specials::Ieee:
            return "IEEE: infinities, NaNs, subnormals";
        case Specials::X87:
            return "IEEE-like with an explicit integer bit; unnormals, pseudo-denormals, "
                   "pseudo-infinities, pseudo-NaNs";
        case Specials::AllOnesNaN:
            return "no infinities; NaN only with every exponent and fraction bit set; subnormals";
        case Specials::NegativeZeroNaN:
            return "no infinities, no -0; the only NaN is the pattern of -0; subnormals";
        case Specials::PowersOfTwo:
            return "unsigned powers of two 2^-127 to 2^127; all ones is NaN; no zero";
        case Specials::FiniteOnly:
            return "no infinities, no NaNs; subnormals";
    }
    return "";
}

int PatternWidth(const FloatFormat& format) {
    return (HasSignBit(format) ? 1 : 0) + format.exponentBits + format.fractionBits;
}

bool HasSignBit(const FloatFormat& format) { return format.specials != Specials::PowersOfTwo; }

bool HasInfinities(const FloatFormat& format) {
    return format.specials == Specials::Ieee || format.specials == Specials::X87;
}

bool HasNaNs(const FloatFormat& format) { return format.specials != Specials::FiniteOnly; }

bool HasNegativeZero(const FloatFormat& format) {
    return format.specials != Specials::NegativeZeroNaN && format.specials != Specials::PowersOfTwo;
}

bool HasSubnormals(const FloatFormat& format) { return format.specials != Specials::PowersOfTwo; }

int Precision(const FloatFormat& format) {
    switch (format.specials) {
        case Specials::X87:
            return 64;
        case Specials::PowersOfTwo:
            return 1;
        default:
            return format.fractionBits + 1;
    }
}

int MinExponent(const FloatFormat& format) {
    return format.specials == Specials::PowersOfTwo ? -format.bias : 1 - format.bias;
}

int MaxExponent(const FloatFormat& format) {
    const bool topFieldFinite = format.specials == Specials::AllOnesNaN ||
                                format.specials == Specials::NegativeZeroNaN ||
                                format.specials == Specials::FiniteOnly;
    return TopField(format) - (topFieldFinite ? 0 : 1) - format.bias;
}

GridNumber GridOf(const FloatFormat& format, Bits128 bits) {
    const int field = ExponentFieldOf(format, bits);
    switch (format.specials) {
        case Specials::X87:
            return {Bits128{0, bits.low},
                    field == 0 ? GridMinExponent(format) : field - format.bias - 63};
        case Specials::PowersOfTwo:
            return {Bits128{0, 1}, field - format.bias};
        default: {
            const Bits128 fraction = bits & LowMask(format.fractionBits);
            if (field == 0) return {fraction, GridMinExponent(format)};
            return {fraction | BitAt(format.fractionBits),
                    field - format.bias - format.fractionBits};
        }
    }
}

Bits128 MagnitudeOfGrid(const FloatFormat& format, const GridNumber& number) {
    return MagnitudeAt(format, PlaceOf(format, number));
}

bool IsEvenPoint(const FloatFormat& format, const GridNumber& number) {
    // The place's parity is the pattern's but where patterns start from 1.
    const bool evenPlace = (PlaceOf(format, number).low & 1) == 0;
    return format.specials == Specials::PowersOfTwo ? !evenPlace : evenPlace;
}

Bits128 SignBit(const FloatFormat& format) {
    return HasSignBit(format) ? BitAt(PatternWidth(format) - 1) : Bits128{};
}

Bits128 LargestFinite(const FloatFormat& format) {
    const int e = format.exponentBits;
    const int m = format.fractionBits;
    switch (format.specials) {
        case Specials::Ieee:
        case Specials::X87:
            return (Bits128{0, static_cast<std::uint64_t>(TopField(format) - 1)} << m) | LowMask(m);
        case Specials::AllOnesNaN:
            return LowMask(e + m) - Bits128{0, 1};
        case Specials::NegativeZeroNaN:
        case Specials::FiniteOnly:
            return LowMask(e + m);
        case Specials::PowersOfTwo:
            return LowMask(e) - Bits128{0, 1};
    }
    return {};
}

Bits128 SmallestNormal(const FloatFormat& format) {
    switch (format.specials) {
        case Specials::X87:
            return BitAt(64) | kIntegerBit;
        case Specials::PowersOfTwo:
            return {};
        default:
            return BitAt(format.fractionBits);
    }
}

std::optional<Bits128> InfinityPattern(const FloatFormat& format) {
    if (format.specials == Specials::X87) return (Bits128{0, kX87TopField} << 64) | kIntegerBit;
    if (format.specials == Specials::Ieee)
        return LowMask(format.exponentBits) << format.fractionBits;
    return std::nullopt;
}

std::optional<Bits128> DefaultNaN(const FloatFormat& format) {
    switch (format.specials) {
        case Specials::Ieee:
            return *InfinityPattern(format) | BitAt(format.fractionBits - 1);
        case Specials::X87:
            return *InfinityPattern(format) | kX87QuietBit;
        case Specials::AllOnesNaN:
            return LowMask(format.exponentBits + format.fractionBits);
        case Specials::NegativeZeroNaN:
            return SignBit(format);
        case Specials::PowersOfTwo:
            return LowMask(format.exponentBits);
        case Specials::FiniteOnly:
            return std::nullopt;
    }
    return std::nullopt;
}

Bits128 WithSign(const FloatFormat& format, bool negative, Bits128 magnitude) {
    if (!negative || !HasSignBit(format)) return magnitude;
    if (IsZero(magnitude) && !HasNegativeZero(format)) return magnitude;
    return magnitude | SignBit(format);
}

const char* FormatClassName(FormatClass numberClass) {
    switch (numberClass) {
        case FormatClass::Zero:
            return "zero";
        case FormatClass::Subnormal:
            return "subnormal";
        case FormatClass::Normal:
            return "normal";
        case FormatClass::Infinity:
            return "infinity";
        case FormatClass::QuietNaN:
            return "quiet NaN";
        case FormatClass::SignallingNaN:
            return "signalling NaN";
        case FormatClass::IndefiniteNaN:
            return "indefinite NaN";
        case FormatClass::NaN:
            return "NaN";
        case FormatClass::Unnormal:
            return "unnormal";
        case FormatClass::PseudoDenormal:
            return "pseudo-denormal";
        case FormatClass::PseudoInfinity:
            return "pseudo-infinity";
        case FormatClass::PseudoNaN:
            return "pseudo-NaN";
    }
    return "";
}

namespace {

FormatClass ClassOf(const FloatFormat& format, const DecodedPattern& d) {
    const bool fractionZero = IsZero(d.fraction);
    const bool topField = d.exponentField == TopField(format);
    switch (format.specials) {
        case Specials::Ieee:
            if (topField) {
                if (fractionZero) return FormatClass::Infinity;
                return IsZero(d.fraction & BitAt(format.fractionBits - 1))
                           ? FormatClass::SignallingNaN
                           : FormatClass::QuietNaN;
            }
            break;
        case Specials::X87: {
            const bool quiet = !IsZero(d.fraction & kX87QuietBit);
            const bool payloadZero = IsZero(d.fraction & LowMask(62));
            if (topField) {
                if (!d.integerBit)
                    return fractionZero ? FormatClass::PseudoInfinity : FormatClass::PseudoNaN;
                if (fractionZero) return FormatClass::Infinity;
                if (!quiet) return FormatClass::SignallingNaN;
                return d.negative && payloadZero ? FormatClass::IndefiniteNaN
                                                 : FormatClass::QuietNaN;
            }
            if (d.exponentField == 0) {
                if (d.integerBit) return FormatClass::PseudoDenormal;
                return fractionZero ? FormatClass::Zero : FormatClass::Subnormal;
            }
            return d.integerBit ? FormatClass::Normal : FormatClass::Unnormal;
        }
        case Specials::AllOnesNaN:
            if (topField && d.fraction == LowMask(format.fractionBits)) return FormatClass::NaN;
            break;
        case Specials::NegativeZeroNaN:
            if (d.negative && d.exponentField == 0 && fractionZero) return FormatClass::NaN;
            break;
        case Specials::PowersOfTwo:
            return topField ? FormatClass::NaN : FormatClass::Normal;
        case Specials::FiniteOnly:
            break;
    }
    if (d.exponentField != 0) return FormatClass::Normal;
    return fractionZero ? FormatClass::Zero : FormatClass::Subnormal;
}

}  // namespace

DecodedPattern DecodeFields(const FloatFormat& format, Bits128 bits) {
    DecodedPattern d;
    d.bits = bits & LowMask(PatternWidth(format));
    d.negative = IsNegative(format, d.bits);
    d.exponentField = ExponentFieldOf(format, d.bits);
    if (format.specials == Specials::X87) {
        d.fraction = d.bits & LowMask(63);
        d.integerBit = !IsZero(d.bits & kIntegerBit);
    } else {
        d.fraction = d.bits & LowMask(format.fractionBits);
        d.integerBit = d.exponentField != 0 || format.specials == Specials::PowersOfTwo;
    }
    d.numberClass = ClassOf(format, d);
    d.unbiasedExponent = d.exponentField == 0 && format.specials != Specials::PowersOfTwo
                             ? 1 - format.bias
                             : d.exponentField - format.bias;
    switch (d.numberClass) {
        case FormatClass::Unnormal:
        case FormatClass::PseudoDenormal:
            d.canonical = false;
            [[fallthrough]];
        case FormatClass::Zero:
        case FormatClass::Subnormal:
        case FormatClass::Normal:
            d.finite = true;
            break;
        case FormatClass::PseudoInfinity:
        case FormatClass::PseudoNaN:
            d.canonical = false;
            break;
        default:
            break;
    }
    if (!d.finite) return d;
    const GridNumber point = GridOf(format, d.bits);
    d.significand = BigOf(point.significand);
    d.exponent = point.exponent;
    return d;
}

DecodedPattern Decode(const FloatFormat& format, Bits128 bits) {
    DecodedPattern d = DecodeFields(format, bits);
    if (!d.finite) return d;
    d.exact = DecimalOfBinary(d.negative, d.significand, d.exponent);
    d.significandValue = DecimalOfBinary(false, d.significand, 1 - Precision(format));
    return d;
}

Decimal DecimalOfBinary(bool negative, const BigUnsigned& significand, std::int64_t exponent) {
    Decimal result;
    result.negative = negative;
    if (significand.IsZero()) return result;
    const BigUnsigned magnitude = exponent >= 0 ? significand << static_cast<int>(exponent)
                                                : significand * PowerOfFive(-exponent);
    result.digits = magnitude.ToDecimal();
    std::size_t end = result.digits.size();
    while (result.digits[end - 1] == '0') --end;
    result.scale =
        (exponent >= 0 ? 0 : exponent) + static_cast<std::int64_t>(result.digits.size() - end);
    result.digits.resize(end);
    return result;
}

std::optional<Bits128> NextUp(const FloatFormat& format, Bits128 bits) {
    const DecodedPattern d = DecodeFields(format, bits);
    if (!d.canonical || !(d.finite || d.numberClass == FormatClass::Infinity)) return std::nullopt;
    const Bits128 magnitude = MagnitudeOf(format, d.bits);
    if (d.numberClass == FormatClass::Infinity) {
        if (!d.negative) return std::nullopt;
        return WithSign(format, true, LargestFinite(format));
    }
    if (!d.negative || IsZero(magnitude)) {
        if (d.negative) return Bits128{0, 1};  // from -0
        if (magnitude == LargestFinite(format)) return InfinityPattern(format);
        return MagnitudeAt(format, PlaceOfMagnitude(format, magnitude) + Bits128{0, 1});
    }
    return WithSign(format, true,
                    MagnitudeAt(format, PlaceOfMagnitude(format, magnitude) - Bits128{0, 1}));
}

std::optional<Bits128> NextDown(const FloatFormat& format, Bits128 bits) {
    const DecodedPattern d = DecodeFields(format, bits);
    if (!d.canonical || !(d.finite || d.numberClass == FormatClass::Infinity)) return std::nullopt;
    if (format.specials == Specials::PowersOfTwo) {
        if (IsZero(d.bits)) return std::nullopt;
        return d.bits - Bits128{0, 1};
    }
    const std::optional<Bits128> up = NextUp(format, Negated(format, d.bits));
    if (!up) return std::nullopt;
    return Negated(format, *up);
}

std::vector<Landmark> LandmarksOf(const FloatFormat& format) {
    std::vector<Landmark> marks;
    const auto add = [&](const char* name, Bits128 bits) {
        const DecodedPattern d = Decode(format, bits);
        marks.push_back(Landmark{name, bits, d.finite, d.exact});
    };
    add("largest finite", LargestFinite(format));
    add("smallest normal", SmallestNormal(format));
    if (HasSubnormals(format)) add("smallest subnormal", Bits128{0, 1});
    const int p = Precision(format);
    const Bits128 one = MagnitudeOfGrid(format, GridNumber{BitAt(p - 1), 1 - p});
    add("one", one);
    add("next above one", *NextUp(format, one));
    if (const std::optional<Bits128> infinity = InfinityPattern(format)) add("infinity", *infinity);
    if (const std::optional<Bits128> nan = DefaultNaN(format)) add("NaN", *nan);
    return marks;
}

std::string PatternHexText(const FloatFormat& format, Bits128 bits) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    const int digits = (PatternWidth(format) + 3) / 4;
    std::string text = "0x";
    for (int i = digits; i-- > 0;) text += kHexDigits[(bits >> (4 * i)).low & 15];
    return text;
}

std::string PatternBinaryText(const FloatFormat& format, Bits128 bits, std::string_view separator) {
    std::string text;
    const auto group = [&](int top, int count) {
        if (count == 0) return;
        if (!text.empty()) text += separator;
        for (int i = top; i > top - count; --i) text += IsZero(bits & BitAt(i)) ? '0' : '1';
    };
    int top = PatternWidth(format) - 1;
    if (HasSignBit(format)) group(top--, 1);
    group(top, format.exponentBits);
    top -= format.exponentBits;
    if (format.specials == Specials::X87) {
        group(top--, 1);
        group(top, format.fractionBits - 1);
    } else {
        group(top, format.fractionBits);
    }
    return text;
}

}  // namespace zelquin::explain
