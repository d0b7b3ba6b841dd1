// Inputs of the kinds where a fast path and the chain it stands for are most
// likely to part: values whose digits sit on a rounding tie or near a power of
// ten, and texts on or near binary64 midpoints, with many digits or extreme
// exponents. The unit tests draw a sample of each kind; the long differential
// runs draw hundreds of millions.
#pragma once

#include <bit>
#include <cstdint>
#include <random>
#include <string>

#include "big_unsigned.h"
#include "binary_format.h"
#include "decimal_integers.h"
#include "references.h"
#include "wide_powers.h"

namespace zelquin::hard {

inline constexpr int kValueKinds = 8;
inline constexpr const char* kValueKindNames[kValueKinds] = {"random binary64",
                                                             "binary32 widened",
                                                             "everyday (2^-10 to 2^20)",
                                                             "near powers of ten",
                                                             "exact ties at the 18th digit",
                                                             "subnormal",
                                                             "small integers times powers of two",
                                                             "near half millionths"};

inline constexpr int kTextKinds = 11;
inline constexpr const char* kTextKindNames[kTextKinds] = {"17 to 19 digits",
                                                           "exact binary64 midpoints",
                                                           "exact ties at the 18th digit",
                                                           "near powers of ten",
                                                           "subnormal boundary",
                                                           "20 to 25 digits",
                                                           "exponents at the range limits",
                                                           "20 to 25 digits near midpoints",
                                                           "more than 25 digits, tail deciding",
                                                           "midpoints at 2^-1022 and 2^1024",
                                                           "short texts past the range's ends"};
// Up to seven digits with exponents from 290 to 345 either way: results that
// overflow to infinity, are subnormal, or underflow to zero.
inline constexpr int kShortExtremeKind = 10;

// The binary64 of m * 2^e for 0 < m < 2^53, exactly (normal results only).
inline std::uint64_t Encode(std::uint64_t m, int e) {
    while (m < kBinary64.ImplicitBit()) {
        m <<= 1;
        --e;
    }
    return (static_cast<std::uint64_t>(e + kBinary64.fractionBits + kBinary64.Bias())
            << kBinary64.fractionBits) |
           (m & kBinary64.FractionMask());
}

inline std::uint64_t UniformBelow(std::mt19937_64& rng, std::uint64_t bound) {
    return rng() % bound;
}

inline std::uint64_t RandomFinite(std::mt19937_64& rng) {
    for (;;) {
        const std::uint64_t bits = rng();
        if ((bits & kBinary64.ExponentMask()) != kBinary64.ExponentMask()) return bits;
    }
}

inline void AppendNumber(std::u16string& text, std::uint64_t number) {
    char digits[20];
    const int length = DecimalLength(number);
    WriteDigits(number, length, digits);
    text.append(digits, digits + length);
}

inline void AppendExponent(std::u16string& text, int exponent) {
    text += u'e';
    if (exponent < 0) text += u'-';
    AppendNumber(text, static_cast<std::uint64_t>(exponent < 0 ? -exponent : exponent));
}

// A binary64 of the given kind, with a random sign.
inline std::uint64_t HardValue(std::mt19937_64& rng, int kind) {
    const std::uint64_t sign = rng() & kBinary64.SignBit();
    switch (kind) {
        case 0:
            return RandomFinite(rng);
        case 1: {
            std::uint32_t single;
            do single = static_cast<std::uint32_t>(rng());
            while ((single & 0x7F800000u) == 0x7F800000u);
            return SingleToDouble(single);
        }
        case 2:
            return sign | (static_cast<std::uint64_t>(1013 + UniformBelow(rng, 31)) << 52) |
                   (rng() & kBinary64.FractionMask());
        case 3: {
            // Within 50 units in the last place of the binary64 nearest to 10^k.
            const int k = -323 + static_cast<int>(UniformBelow(rng, 632));
            std::u16string text = u"1e" + std::u16string(1, k < 0 ? u'-' : u'+');
            const std::string digits = std::to_string(k < 0 ? -k : k);
            text.append(digits.begin(), digits.end());
            const std::uint64_t nearest = TextToDoubleReference(text);
            const std::uint64_t moved = nearest + UniformBelow(rng, 101) - 50;
            return sign | (moved > kBinary64.Infinity() - 1 ? kBinary64.Infinity() - 1 : moved);
        }
        case 4: {
            // m * 2^-j, m odd: the exact decimal has 18 significant digits, the
            // last a 5, when the integer part has 18 - j of them.
            const int j = 2 + static_cast<int>(UniformBelow(rng, 16));
            const std::uint64_t low = kPowersOfTen[17 - j] << j;
            std::uint64_t high = kPowersOfTen[18 - j] << j;
            if (high > (std::uint64_t{1} << 53)) high = std::uint64_t{1} << 53;
            const std::uint64_t m = (low + UniformBelow(rng, high - low)) | 1;
            return sign | Encode(m, -j);
        }
        case 5:
            return sign | (rng() & kBinary64.FractionMask());
        case 6: {
            const std::uint64_t m = 1 + UniformBelow(rng, 1u << (1 + UniformBelow(rng, 20)));
            return sign | Encode(m, static_cast<int>(UniformBelow(rng, 200)) - 100);
        }
        default: {
            // Within 8 units in the last place of the binary64 nearest to
            // (n + 1/2) millionths, from 10^-7 to 10^11, where the fixed text's
            // rounding to six decimals is closest to a tie; a few are the exact
            // halves j * 2^-7 (j odd).
            if (UniformBelow(rng, 8) == 0) {
                const int bits = 1 + static_cast<int>(UniformBelow(rng, 40));
                return sign | Encode((rng() >> (64 - bits)) | 1, -7);
            }
            std::u16string text;
            AppendNumber(text, 10 * UniformBelow(rng, kPowersOfTen[1 + UniformBelow(rng, 17)]) + 5);
            AppendExponent(text, -7);
            const std::uint64_t nearest = TextToDoubleReference(text);
            return sign | (nearest + UniformBelow(rng, 17) - 8);
        }
    }
}

inline std::u16string RandomDigits(std::mt19937_64& rng, int count) {
    std::u16string digits(1, static_cast<char16_t>(u'1' + UniformBelow(rng, 9)));
    for (int i = 1; i < count; ++i) digits += static_cast<char16_t>(u'0' + UniformBelow(rng, 10));
    return digits;
}

// The digits with a point after `integerDigits` of them (leading zeros added
// when it is not positive).
inline std::u16string WithPoint(const std::u16string& digits, int integerDigits) {
    if (integerDigits <= 0)
        return u"0." + std::u16string(static_cast<std::size_t>(-integerDigits), u'0') + digits;
    if (static_cast<std::size_t>(integerDigits) >= digits.size()) return digits;
    return digits.substr(0, static_cast<std::size_t>(integerDigits)) + u'.' +
           digits.substr(static_cast<std::size_t>(integerDigits));
}

// An integer of the digits, written either plainly with its decimal places or
// as digits and an exponent.
inline std::u16string DecimalText(std::mt19937_64& rng, std::uint64_t integer, int decimals) {
    std::u16string digits;
    AppendNumber(digits, integer);
    if (rng() % 2 == 0) return WithPoint(digits, static_cast<int>(digits.size()) - decimals);
    AppendExponent(digits, -decimals);
    return digits;
}

// About 33 leading digits of m * 2^e (m > 0), fewer below 10^-308, and the
// decimal exponent of the last: from the 128-bit power table, so the last
// digit or two may be off, which matters nothing for an input near m * 2^e.
struct LeadingDigits {
    std::u16string digits;
    int exponent;
};

inline LeadingDigits LeadingDigitsOf(std::uint64_t m, int e) {
    const int bits = 64 - std::countl_zero(m) + e;
    const int k = (bits * 78913) >> 18;  // about log10(2^bits)
    const int t = k - 32 > -kWidePowerMax ? k - 32 : -kWidePowerMax;
    const WidePower& power = WidePowerOfTen(-t);
    const exact::BigUnsigned product =
        exact::BigUnsigned(m) *
        ((exact::BigUnsigned(power.high) << 64) + exact::BigUnsigned(power.low));
    const int shift = e + BinaryExponentOfPowerOfTen(-t) - 127;
    const std::string digits = (shift >= 0 ? product << shift : product >> -shift).ToDecimal();
    return {std::u16string(digits.begin(), digits.end()), t};
}

// The text of the first `count` of the digits, or the digits raised by one in
// their last place, with a point somewhere and an exponent part.
inline std::u16string NearText(std::mt19937_64& rng, const LeadingDigits& near, int count) {
    std::u16string digits = near.digits.substr(0, static_cast<std::size_t>(count));
    int exponent = near.exponent + static_cast<int>(near.digits.size() - digits.size());
    if (rng() % 2 == 0) {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == u'9') digits[--i] = u'0';
        if (i == 0) {
            digits.insert(digits.begin(), u'1');
        } else {
            ++digits[i - 1];
        }
    }
    const int integerDigits = 1 + static_cast<int>(UniformBelow(rng, digits.size()));
    std::u16string text = WithPoint(digits, integerDigits);
    AppendExponent(text, exponent + static_cast<int>(digits.size()) - integerDigits);
    return text;
}

// The midpoint above the binary64 m * 2^e (2^52 <= m < 2^53, or below for a
// subnormal) as (2m + 1) * 2^(e - 1).
inline LeadingDigits MidpointDigits(std::uint64_t m, int e) {
    return LeadingDigitsOf(2 * m + 1, e - 1);
}

// A random normal binary64 as m * 2^e.
inline LeadingDigits RandomMidpointDigits(std::mt19937_64& rng) {
    const std::uint64_t m = kBinary64.ImplicitBit() + (rng() & kBinary64.FractionMask());
    return MidpointDigits(m, -1074 + static_cast<int>(UniformBelow(rng, 2046)));
}

// A value field text of the given kind, with a random sign.
inline std::u16string HardText(std::mt19937_64& rng, int kind) {
    std::u16string text = rng() % 2 == 0 ? u"-" : u"";
    switch (kind) {
        case 0: {
            std::u16string digits = RandomDigits(rng, 17 + static_cast<int>(UniformBelow(rng, 3)));
            text += WithPoint(digits, 1);
            AppendExponent(text, static_cast<int>(UniformBelow(rng, 640)) - 330);
            return text;
        }
        case 1: {
            // (2m + 1) * 2^(e - 1) with 2^52 <= m < 2^53, whole or with 1 to 4
            // binary places, written exactly: at most 19 significant digits.
            const std::uint64_t odd =
                2 * ((std::uint64_t{1} << 52) + UniformBelow(rng, std::uint64_t{1} << 52)) + 1;
            const int places = static_cast<int>(UniformBelow(rng, 14)) - 4;  // -4 to 9
            if (places >= 0) return text + DecimalText(rng, odd << places, 0);
            std::uint64_t scaled = odd;
            for (int i = 0; i < -places; ++i) scaled *= 5;
            return text + DecimalText(rng, scaled, -places);
        }
        case 2: {
            // The exact value of a binary64 whose eighteenth digit is a final 5.
            const std::uint64_t bits = HardValue(rng, 4) & ~kBinary64.SignBit();
            const BinaryFields f = SplitFields(bits, kBinary64);
            int j = 1075 - f.exponentField;  // the value is m * 2^-j
            std::uint64_t scaled = f.fraction | kBinary64.ImplicitBit();
            for (; (scaled & 1) == 0; scaled >>= 1) --j;
            for (int i = 0; i < j; ++i) scaled *= 5;  // m * 5^j * 10^-j: 18 digits
            return text + DecimalText(rng, scaled, j);
        }
        case 3: {
            const int k = static_cast<int>(UniformBelow(rng, 650)) - 330;
            static const char16_t* const kNear[] = {u"1", u"9.99999999999999999",
                                                    u"1.00000000000000001", u"9.9999999999999999",
                                                    u"1.0000000000000001"};
            text += kNear[UniformBelow(rng, 5)];
            AppendExponent(text, k);
            return text;
        }
        case 4: {
            static const int kExponents[] = {-307, -308, -309, -310, -320, -323, -324, -325};
            text += WithPoint(RandomDigits(rng, 1 + static_cast<int>(UniformBelow(rng, 19))), 1);
            AppendExponent(text, kExponents[UniformBelow(rng, 8)]);
            return text;
        }
        case 5: {
            const std::u16string digits =
                RandomDigits(rng, 20 + static_cast<int>(UniformBelow(rng, 6)));
            text += WithPoint(digits, static_cast<int>(UniformBelow(rng, 30)) - 5);
            if (rng() % 2 == 0)
                AppendExponent(text, static_cast<int>(UniformBelow(rng, 700)) - 350);
            return text;
        }
        case 6: {
            static const int kExponents[] = {308,  309,  307,   -342, -343, -5200,
                                             5200, 5201, -5201, 4000, -4000};
            text += WithPoint(RandomDigits(rng, 1 + static_cast<int>(UniformBelow(rng, 19))), 1);
            AppendExponent(text, kExponents[UniformBelow(rng, 11)]);
            return text;
        }
        case 7:
            // The stored digits alone decide, within 10^-19 of a midpoint.
            return text + NearText(rng, RandomMidpointDigits(rng),
                                   20 + static_cast<int>(UniformBelow(rng, 6)));
        case 8: {
            // Digits past the 25th, which the reader ignores, would decide.
            std::u16string near = NearText(rng, RandomMidpointDigits(rng),
                                           26 + static_cast<int>(UniformBelow(rng, 8)));
            const std::size_t letter = near.find(u'e');
            const std::u16string more = RandomDigits(rng, static_cast<int>(UniformBelow(rng, 8)));
            if (rng() % 2 == 0) near.insert(letter, more.substr(1));
            return text + near;
        }
        case kShortExtremeKind: {
            const int digits = 1 + static_cast<int>(UniformBelow(rng, 7));
            text += WithPoint(RandomDigits(rng, digits),
                              static_cast<int>(UniformBelow(rng, digits + 1)));
            const int exponent = 290 + static_cast<int>(UniformBelow(rng, 56));
            AppendExponent(text, rng() % 2 == 0 ? exponent : -exponent);
            return text;
        }
        default: {
            // The midpoints next to the smallest normal number, 2^-1022, and
            // next to the overflow threshold, from the largest finite number
            // to the midpoint between it and 2^1024.
            const std::uint64_t step = UniformBelow(rng, 1024);
            const bool top = rng() % 2 == 0;
            const LeadingDigits near =
                top ? MidpointDigits((kBinary64.ImplicitBit() << 1) - 1 - step, 971)
                    : MidpointDigits(kBinary64.ImplicitBit() - 1024 + 2 * step,
                                     kBinary64.SubnormalUnitExponent());
            return text + NearText(rng, near, 17 + static_cast<int>(UniformBelow(rng, 9)));
        }
    }
}

// ---------------------------------------------------------------------------
// The fallback bands' edges, found by fuzz/band_search.cpp (scripts/band-search)
// and checked with exact arithmetic by tests/fast_path_test.cpp: inputs just
// inside each band, on which the fast path must fall back, and just outside,
// on which it must decide, so that a band made half or twice as wide fails a
// test; and the inputs farthest from the rounding step on which the chain's
// result differs from the correctly rounded one, which the bands must hold.

// The digits' fast path looks at z = |x| * 10^(18 - estimate), the estimate of
// the decimal exponent being exact or one short (DecimalExponentEstimate).
enum class DigitBand {
    Tie,         // exact: z within 2^-11 of 5 (mod 10) falls back
    TenthTie,    // one short (the chain's tenth): z within 2^-8 of 50 (mod 100)
    TenToThe18,  // z in [10^18 - 1, 10^18 + 1) falls back
};

// Inside a band reaching 2^-b from the tie, an input's distance from the tie
// lies in [2^-(b+1), 2^-b); outside it, in [2^-b, 2^-(b-1)). Next to 10^18, z
// lies in [10^18 - 1, 10^18 + 1) inside, and in the unit on either side of
// that outside. The comments give each distance.
struct DigitBandInput {
    std::uint64_t bits;
    DigitBand band;
    bool inside;
};

inline constexpr DigitBandInput kDigitBandEdges[] = {
    {0x78104a02484831cbu, DigitBand::Tie, true},          // below the tie: 2^-11.57
    {0x1122e17fb489ff4au, DigitBand::Tie, true},          // above the tie: 2^-11.78
    {0x3abfd73cfe65adc2u, DigitBand::Tie, false},         // below the tie: 2^-10.48
    {0x69df1a3381143019u, DigitBand::Tie, false},         // above the tie: 2^-10.01
    {0x3e466d4837b54750u, DigitBand::TenthTie, true},     // below the tie: 2^-8.81
    {0x483d9fbc3ebb4bbeu, DigitBand::TenthTie, true},     // above the tie: 2^-8.08
    {0x33e506471fabf028u, DigitBand::TenthTie, false},    // below the tie: 2^-7.10
    {0x39158418735faf12u, DigitBand::TenthTie, false},    // above the tie: 2^-7.70
    {0x2f87b6d71d20b96cu, DigitBand::TenToThe18, false},  // z in 10^18 - 2 + [0, 1)
    {0x43e158e460913d00u, DigitBand::TenToThe18, true},   // z in 10^18 - 1 + [0, 1)
    {0x3ff0000000000000u, DigitBand::TenToThe18, true},   // 1: z = 10^18
    {0x15600d7b2e28c65cu, DigitBand::TenToThe18, false},  // z in 10^18 + 1 + [0, 1)
};

// The chain's seventeen digits differ from the correctly rounded ones: of the
// values the search found, those farthest from the tie (all inside).
inline constexpr DigitBandInput kDigitChainMisroundings[] = {
    {0x505398b50617b334u, DigitBand::Tie, true},       // above the tie: 2^-17.56
    {0x6305e63ad1b7c585u, DigitBand::TenthTie, true},  // above the tie: 2^-16.41
};

// The reading's fast path falls back within 2^-18 units in the last place of
// a midpoint between two binary64 numbers (2^-71 of the number, or more), the
// last place being 2^-1074 below 2^-1022; for 20 to 24 digits, of the number
// the chain scales, the integer cut to its top 64 bits. Inside, the distance
// lies in [2^-19, 2^-18) units; outside in [2^-18, 2^-17).
struct ReadingBandInput {
    const char16_t* text;
    bool inside;
};

inline constexpr ReadingBandInput kReadingBandEdges[] = {
    {u"9902577735377792769e-220", true},   // 19 digits, normal, below the midpoint: 2^-18.02
    {u"3280947331098030785e-172", true},   // 19 digits, normal, above the midpoint: 2^-18.11
    {u"4775011923393998055e107", false},   // 19 digits, normal, below the midpoint: 2^-17.51
    {u"2893174166272582896e-40", false},   // 19 digits, normal, above the midpoint: 2^-17.27
    {u"7651623189434305802e-334", true},   // 19 digits, below 2^-1022, below the midpoint: 2^-18.57
    {u"2139674398226463284e-331", true},   // 19 digits, below 2^-1022, above the midpoint: 2^-18.11
    {u"7694940071533209210e-327", false},  // 19 digits, below 2^-1022, below the midpoint: 2^-17.05
    {u"3619030884896161758e-339", false},  // 19 digits, below 2^-1022, above the midpoint: 2^-17.37
    {u"52787357674856202918402e-55", true},  // 20 to 24 digits, below the midpoint: 2^-18.66
    {u"518979329908678231539e-207", true},   // 20 to 24 digits, above the midpoint: 2^-18.47
    {u"58098646336440304229e-31", false},    // 20 to 24 digits, below the midpoint: 2^-17.41
    {u"513300027739293413164e-204", false},  // 20 to 24 digits, above the midpoint: 2^-17.47
};

// The chain's binary64 differs from the correctly rounded one: of the texts
// the search found, the farthest from the midpoint.
inline constexpr const char16_t* kReadingChainMisroundings[] = {
    u"6762850606871074064e-148",      // 19 digits, normal, above the midpoint: 2^-23.67
    u"3479935796508027401e-327",      // 19 digits, below 2^-1022, below the midpoint: 2^-32.02
    u"6544946774783128820e-327",      // 19 digits, below 2^-1022, above the midpoint: 2^-27.61
    u"87493482966412094587157e-203",  // 20 to 24 digits, above the midpoint: 2^-23.53
};

}  // namespace zelquin::hard
