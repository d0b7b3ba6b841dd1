// Unsigned integers in base 10^9 with a fixed capacity, for the fast exact
// decimal expansions of the explanation. A number's decimal digits are its
// limbs' digits, so a binary number scaled to whole units of a power of ten
// is written out without dividing a big number, and a digit at any place is
// read off directly. Multiplying by a small factor is one pass with a
// division by the constant 10^9. No heap use: every operation reports when
// the result would not fit, and the caller then takes the reference path.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelquin::explain {

inline constexpr std::uint32_t kLimbBase = 1000000000;  // 10^9
inline constexpr int kLimbDigits = 9;
// 160 limbs hold 1440 digits. The largest number the expansions of a binary64
// need is 4 * m * 5^1076 with m < 2^53, below 10^769; the rest is room for
// the differences of long typed decimals.
inline constexpr int kMaxLimbs = 160;

// Little-endian limbs, each below 10^9; the top one is not 0, zero has none.
struct DecimalLimbs {
    int count = 0;
    std::uint32_t limb[kMaxLimbs];
};

void SetSmall(DecimalLimbs& x, std::uint64_t value);
// x * factor, factor below 2^32. False when the product does not fit, x then
// being left undefined.
bool MultiplySmall(DecimalLimbs& x, std::uint32_t factor);
// x * 2^n and x * 5^n, n >= 0, by passes of the largest factor below 2^32.
bool MultiplyByPowerOfTwo(DecimalLimbs& x, int n);
bool MultiplyByPowerOfFive(DecimalLimbs& x, int n);
// x = 2^n * factor or 5^n * factor, 0 <= n <= kMaxTabledPower, factor below
// 10^18 (1 gives the power alone): from a table of every 31st power of two
// and every 13th power of five, the rest of the power joined to the factor,
// and one pass.
inline constexpr int kMaxTabledPower = 1100;
bool SetPowerOfTwo(DecimalLimbs& x, int n, std::uint64_t factor = 1);
bool SetPowerOfFive(DecimalLimbs& x, int n, std::uint64_t factor = 1);
// x + y.
bool Add(DecimalLimbs& x, const DecimalLimbs& y);
// The integer written in ASCII decimal digits, leading zeros allowed.
bool FromDigits(DecimalLimbs& x, std::string_view digits);

int Compare(const DecimalLimbs& a, const DecimalLimbs& b);
// Decimal digits without leading zeros; 0 for zero.
int DigitCount(const DecimalLimbs& x);
// The digit of 10^place.
int DigitAt(const DecimalLimbs& x, int place);
// x mod 10^places: the number formed by the lowest `places` digits.
void LowDigits(const DecimalLimbs& x, int places, DecimalLimbs& low);
// floor(x / 10^places) when it is below 10^18, which the caller knows.
std::uint64_t HighDigits(const DecimalLimbs& x, int places);
// Trailing zero digits; 0 for zero.
int TrailingZeros(const DecimalLimbs& x);
// Whether every digit below 10^places is 0.
bool LowDigitsZero(const DecimalLimbs& x, int places);

// Appends the digits from 10^(top - 1) down to 10^bottom, leading zeros
// included: DigitCount(x) and TrailingZeros(x) give the whole number without
// them.
void AppendDigits(const DecimalLimbs& x, int top, int bottom, std::string& out);

}  // namespace zelquin::explain
