// Unsigned integers of any size, exactly: enough for every digit of a binary32
// or binary64 value, for the decimals typed into the value field, and for the
// exact cross-checks of the tests. Little-endian 32-bit limbs with schoolbook
// algorithms; zero is the empty vector, and the top limb is never 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelquin::exact {

class BigUnsigned {
  public:
    BigUnsigned() = default;
    explicit BigUnsigned(std::uint64_t value);

    // The integer written in ASCII decimal digits ("" is zero).
    static BigUnsigned FromDecimal(std::string_view digits);
    static BigUnsigned Power(std::uint32_t base, int n);  // n >= 0

    bool IsZero() const { return limbs_.empty(); }
    // Number of significant bits; 0 for zero.
    int BitLength() const;
    // The value modulo 2^64.
    std::uint64_t Low64() const;

    BigUnsigned& operator+=(const BigUnsigned& other);
    // other must not be greater.
    BigUnsigned& operator-=(const BigUnsigned& other);
    BigUnsigned& operator*=(std::uint32_t factor);
    BigUnsigned& operator<<=(int shift);  // shift >= 0

    // Replaces the value by its quotient by `divisor` (non-zero) and returns
    // the remainder.
    std::uint32_t DivideInPlace(std::uint32_t divisor);

    // Decimal digits without leading zeros; "0" for zero.
    std::string ToDecimal() const;

    friend int Compare(const BigUnsigned& a, const BigUnsigned& b);
    friend BigUnsigned operator*(const BigUnsigned& a, const BigUnsigned& b);
    // Floor of a / 2^shift.
    friend BigUnsigned operator>>(const BigUnsigned& a, int shift);
    // Quotient and remainder by a non-zero divisor.
    friend void DivMod(const BigUnsigned& dividend, const BigUnsigned& divisor,
                       BigUnsigned& quotient, BigUnsigned& remainder);

  private:
    void Trim();

    std::vector<std::uint32_t> limbs_;
};

inline bool operator==(const BigUnsigned& a, const BigUnsigned& b) { return Compare(a, b) == 0; }
inline bool operator!=(const BigUnsigned& a, const BigUnsigned& b) { return Compare(a, b) != 0; }
inline bool operator<(const BigUnsigned& a, const BigUnsigned& b) { return Compare(a, b) < 0; }
inline bool operator<=(const BigUnsigned& a, const BigUnsigned& b) { return Compare(a, b) <= 0; }
inline bool operator>(const BigUnsigned& a, const BigUnsigned& b) { return Compare(a, b) > 0; }
inline bool operator>=(const BigUnsigned& a, const BigUnsigned& b) { return Compare(a, b) >= 0; }

inline BigUnsigned operator+(BigUnsigned a, const BigUnsigned& b) { return a += b; }
inline BigUnsigned operator-(BigUnsigned a, const BigUnsigned& b) { return a -= b; }
inline BigUnsigned operator*(BigUnsigned a, std::uint32_t factor) { return a *= factor; }
inline BigUnsigned operator<<(BigUnsigned a, int shift) { return a <<= shift; }

// Compares a * 2^aShift with b * 2^bShift, exponents of either sign, exactly.
int CompareScaled(const BigUnsigned& a, int aShift, const BigUnsigned& b, int bShift);

}  // namespace zelquin::exact
