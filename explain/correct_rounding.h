// What a correctly rounding reader and a shortest writer make of a number,
// computed exactly: the shortest decimal that reads back to a stored number,
// the pattern nearest to a typed decimal, and which of the value reader's own
// rules makes Zelquin store another. Zelquin's conversions follow their own
// rules; these are what the explanation compares them with.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "big_unsigned.h"
#include "conversion.h"
#include "exact_decimal.h"
#include "typed_number.h"

namespace zelquin::explain {

// A magnitude pattern (the sign bit clear) of a finite number as m * 2^e on
// its format's grid (e the exponent of one unit in the last place), with the
// shape of its rounding interval: `even` when m is even, `narrowBelow` when
// the gap below is half the gap above (m the lowest significand of a binade
// above the lowest). The infinity pattern gives 2^(emax + 1), the number a
// rounding past the largest finite magnitude reaches, which is where the
// format's grid goes on.
struct GridPoint {
    std::uint64_t m = 0;
    int e = 0;
    bool even = false;
    bool narrowBelow = false;
};
GridPoint PointOf(std::uint64_t magnitude, const BinaryFormat& format);

// The shortest decimal that a reader rounding to nearest, ties to even, reads
// back to the pattern in its format; of several, the nearest to the exact
// value, and of two equally near, the one whose last digit is even. Written as
// a script's Number to string conversion writes it: "0.1", "123", "1e+21",
// "1.5e-7", "-0", "Infinity", "-Infinity", "NaN".
std::string ShortestText(std::uint64_t bits, const BinaryFormat& format);
void AppendShortestText(std::uint64_t bits, const BinaryFormat& format, std::string& out);
// 0.digits * 10^exponent written as the shortest text is (at least one
// digit, the first not 0).
void AppendScriptNumberText(bool negative, std::string_view digits, int exponent, std::string& out);
// The exact value of a finite pattern rounded half to even to at most `count`
// significant digits (count >= 1), written as the shortest text is.
std::string RoundedText(std::uint64_t bits, const BinaryFormat& format, int count);
// The same by the free-format digit generation in big integers: the
// reference of the fast form.
std::string ShortestTextReference(std::uint64_t bits, const BinaryFormat& format);
// The fast form's work for a finite non-zero magnitude m * 2^e already
// scaled with its quarter unit (ScaleBinary): `even` when m is even, and
// `narrowBelow` when the gap below is half the gap above (m the lowest
// significand of a binade above the lowest).
void AppendShortestOfScaled(bool negative, const ScaledBinary& scaled, bool even, bool narrowBelow,
                            std::string& out);

// The pattern nearest to the decimal (ties to even) in the format: a value
// beyond the largest finite one by half a unit or more is an infinity, and a
// zero keeps its sign. `start` is a pattern near the answer (the one Zelquin
// stored): the search steps from it to its neighbours, so it costs a few exact
// comparisons when the start is close. A decimal with a huge exponent is zero
// or infinity, by the exponent's sign.
std::uint64_t NearestPattern(const Decimal& value, bool hugeExponent, bool hugeNegative,
                             const BinaryFormat& format, std::uint64_t start);

// The pattern nearest to (-1)^negative * significand * 2^exponent, likewise.
std::uint64_t NearestPatternOfBinary(bool negative, const exact::BigUnsigned& significand,
                                     int exponent, const BinaryFormat& format, std::uint64_t start);

// 100 * |difference| / 2^unitExponent, the difference in hundredths of a unit
// in the last place: its integer part, and how the rest compares with one
// half (-1, 0, +1), and whether there is a rest at all.
struct Hundredths {
    std::uint64_t whole = 0;
    int half = -1;
    bool fractionZero = true;
};
// False where the fast computation does not reach: an integer part of more
// than 18 digits or numbers beyond the limbs.
bool HundredthsOfUnit(const Decimal& difference, int unitExponent, Hundredths& out);

// The difference as the explanation writes it: rounded half to even to two
// decimals, with its sign ("-0.20", "+0.50"), or "0" for none at all.
void AppendUnitsInLastPlace(const Decimal& difference, int unitExponent, std::string& out);
// The same from the hundredths, for a difference that is not zero.
void AppendUnitsOfHundredths(bool negative, const Hundredths& difference, std::string& out);
std::string UnitsInLastPlaceReference(const Decimal& difference, int unitExponent);

// Whether a stored finite non-zero number is also the pattern nearest to a
// number `difference` away from it, from the difference in hundredths of its
// unit: within half a unit above it, and half a unit below (a quarter where
// the gap below is half), a distance of exactly that going to the even
// significand. differenceAbove: the number lies farther from zero than the
// stored one.
bool StoredIsNearest(const Hundredths& difference, bool differenceAbove, bool even,
                     bool narrowBelow);

// Why the value reader stored another pattern than `nearest`, the one a
// correctly rounding reader stores for the same text (`typed` is the number
// typed). The reading's steps, in order: the significant digits it keeps; the
// 80-bit intermediate it scales them to; its rounding of that to binary64,
// exact halves toward zero; and the narrowing of the binary64 to binary32,
// where the number would have been rounded once. `first` names the first step
// after which the number it holds no longer rounds to `nearest`; `also` the
// fewest other steps (the earliest of as few) that must be exact as well for
// the difference to go: none where the first alone explains it. Each is one
// short sentence.
struct DifferenceRules {
    const char* first = nullptr;
    const char* also[3] = {};
    int alsoCount = 0;
};
DifferenceRules DifferenceReasons(std::u16string_view text, const ValueReading& reading,
                                  const TypedDecimal& typed, std::uint64_t nearest);

}  // namespace zelquin::explain
