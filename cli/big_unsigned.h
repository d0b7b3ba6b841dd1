// Unsigned integers of any size, enough for the exact decimal values of
// binary32 and binary64 numbers and of the decimals typed into the value field.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelquin::cli {

class BigUnsigned {
public:
    BigUnsigned() = default;
    explicit BigUnsigned(std::uint64_t value);

    // The integer written in ASCII decimal digits ("" is zero).
    static BigUnsigned FromDecimal(std::string_view digits);

    bool IsZero() const { return limbs_.empty(); }

    // this = this * factor + addend.
    void MultiplyAdd(std::uint32_t factor, std::uint32_t addend);
    void MultiplyByPowerOfFive(int exponent);  // exponent >= 0
    void MultiplyByPowerOfTen(int exponent);   // exponent >= 0
    void ShiftLeft(int bits);                  // bits >= 0

    // this = this / divisor; returns the remainder. divisor > 0.
    std::uint32_t DivideSmall(std::uint32_t divisor);

    void Add(const BigUnsigned& other);
    // this = this - other; other must not be greater.
    void Subtract(const BigUnsigned& other);

    // Decimal digits without leading zeros; "0" for zero.
    std::string ToDecimal() const;

    friend int Compare(const BigUnsigned& a, const BigUnsigned& b);

private:
    void Trim();

    std::vector<std::uint32_t> limbs_;  // least significant first, top limb never 0
};

}  // namespace zelquin::cli
