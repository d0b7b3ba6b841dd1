// A small arbitrary-precision unsigned integer for the exact cross-checks in
// the tests. Simplicity over speed: little-endian 32-bit limbs, schoolbook
// algorithms, no leading zero limbs (zero is the empty vector).
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zelquin::exact {

class BigUnsigned {
public:
    BigUnsigned() = default;
    explicit BigUnsigned(std::uint64_t value) {
        while (value != 0) {
            limbs_.push_back(static_cast<std::uint32_t>(value));
            value >>= 32;
        }
    }

    static BigUnsigned PowerOfTwo(int n) {
        assert(n >= 0);
        return BigUnsigned(1) << n;
    }

    static BigUnsigned Power(std::uint32_t base, int n) {
        assert(n >= 0);
        BigUnsigned result(1);
        BigUnsigned square(base);
        for (; n != 0; n >>= 1) {
            if ((n & 1) != 0) result = result * square;
            if (n > 1) square = square * square;
        }
        return result;
    }

    bool IsZero() const { return limbs_.empty(); }

    // Number of significant bits; 0 for zero.
    int BitLength() const {
        if (limbs_.empty()) return 0;
        std::uint32_t top = limbs_.back();
        int bits = 0;
        while (top != 0) {
            ++bits;
            top >>= 1;
        }
        return static_cast<int>(32 * (limbs_.size() - 1)) + bits;
    }

    bool Bit(int index) const {
        std::size_t limb = static_cast<std::size_t>(index) / 32;
        if (index < 0 || limb >= limbs_.size()) return false;
        return ((limbs_[limb] >> (index % 32)) & 1) != 0;
    }

    // True if any of the bits below `index` is set.
    bool AnyBitBelow(int index) const {
        for (int i = 0; i < index && i < 32 * static_cast<int>(limbs_.size()); ++i) {
            if (Bit(i)) return true;
        }
        return false;
    }

    // The low 64 bits.
    std::uint64_t Low64() const {
        std::uint64_t value = 0;
        if (limbs_.size() > 0) value |= limbs_[0];
        if (limbs_.size() > 1) value |= static_cast<std::uint64_t>(limbs_[1]) << 32;
        return value;
    }

    bool FitsIn64() const { return limbs_.size() <= 2; }

    friend int Compare(const BigUnsigned& a, const BigUnsigned& b) {
        if (a.limbs_.size() != b.limbs_.size()) return a.limbs_.size() < b.limbs_.size() ? -1 : 1;
        for (std::size_t i = a.limbs_.size(); i-- > 0;) {
            if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
        }
        return 0;
    }
    friend bool operator==(const BigUnsigned& a, const BigUnsigned& b) { return Compare(a, b) == 0; }
    friend bool operator!=(const BigUnsigned& a, const BigUnsigned& b) { return Compare(a, b) != 0; }
    friend bool operator<(const BigUnsigned& a, const BigUnsigned& b) { return Compare(a, b) < 0; }
    friend bool operator<=(const BigUnsigned& a, const BigUnsigned& b) { return Compare(a, b) <= 0; }
    friend bool operator>(const BigUnsigned& a, const BigUnsigned& b) { return Compare(a, b) > 0; }
    friend bool operator>=(const BigUnsigned& a, const BigUnsigned& b) { return Compare(a, b) >= 0; }

    friend BigUnsigned operator+(const BigUnsigned& a, const BigUnsigned& b) {
        const BigUnsigned& longer = a.limbs_.size() >= b.limbs_.size() ? a : b;
        const BigUnsigned& shorter = a.limbs_.size() >= b.limbs_.size() ? b : a;
        BigUnsigned sum;
        sum.limbs_.resize(longer.limbs_.size() + 1);
        std::uint64_t carry = 0;
        for (std::size_t i = 0; i < longer.limbs_.size(); ++i) {
            carry += longer.limbs_[i];
            if (i < shorter.limbs_.size()) carry += shorter.limbs_[i];
            sum.limbs_[i] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        sum.limbs_.back() = static_cast<std::uint32_t>(carry);
        sum.Trim();
        return sum;
    }

    // a - b; a must not be less than b.
    friend BigUnsigned operator-(const BigUnsigned& a, const BigUnsigned& b) {
        assert(a >= b);
        BigUnsigned difference;
        difference.limbs_.resize(a.limbs_.size());
        std::uint32_t borrow = 0;
        for (std::size_t i = 0; i < a.limbs_.size(); ++i) {
            std::uint64_t subtrahend =
                static_cast<std::uint64_t>(i < b.limbs_.size() ? b.limbs_[i] : 0) + borrow;
            std::uint64_t minuend = a.limbs_[i];
            borrow = minuend < subtrahend ? 1 : 0;
            difference.limbs_[i] =
                static_cast<std::uint32_t>(minuend + (static_cast<std::uint64_t>(borrow) << 32) -
                                           subtrahend);
        }
        assert(borrow == 0);
        difference.Trim();
        return difference;
    }

    friend BigUnsigned operator*(const BigUnsigned& a, std::uint32_t factor) {
        BigUnsigned product;
        if (a.IsZero() || factor == 0) return product;
        product.limbs_.resize(a.limbs_.size() + 1);
        std::uint64_t carry = 0;
        for (std::size_t i = 0; i < a.limbs_.size(); ++i) {
            carry += static_cast<std::uint64_t>(a.limbs_[i]) * factor;
            product.limbs_[i] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        product.limbs_.back() = static_cast<std::uint32_t>(carry);
        product.Trim();
        return product;
    }

    friend BigUnsigned operator*(const BigUnsigned& a, const BigUnsigned& b) {
        BigUnsigned product;
        if (a.IsZero() || b.IsZero()) return product;
        product.limbs_.assign(a.limbs_.size() + b.limbs_.size(), 0);
        for (std::size_t i = 0; i < a.limbs_.size(); ++i) {
            std::uint64_t carry = 0;
            for (std::size_t j = 0; j < b.limbs_.size(); ++j) {
                // At most (2^32-1)^2 + 2*(2^32-1) = 2^64-1: no overflow.
                carry += static_cast<std::uint64_t>(a.limbs_[i]) * b.limbs_[j] +
                         product.limbs_[i + j];
                product.limbs_[i + j] = static_cast<std::uint32_t>(carry);
                carry >>= 32;
            }
            product.limbs_[i + b.limbs_.size()] = static_cast<std::uint32_t>(carry);
        }
        product.Trim();
        return product;
    }

    friend BigUnsigned operator<<(const BigUnsigned& a, int shift) {
        assert(shift >= 0);
        if (a.IsZero()) return a;
        std::size_t limbShift = static_cast<std::size_t>(shift) / 32;
        int bitShift = shift % 32;
        BigUnsigned result;
        result.limbs_.assign(a.limbs_.size() + limbShift + 1, 0);
        for (std::size_t i = 0; i < a.limbs_.size(); ++i) {
            std::uint64_t wide = static_cast<std::uint64_t>(a.limbs_[i]) << bitShift;
            result.limbs_[i + limbShift] |= static_cast<std::uint32_t>(wide);
            result.limbs_[i + limbShift + 1] |= static_cast<std::uint32_t>(wide >> 32);
        }
        result.Trim();
        return result;
    }

    // Floor of a / 2^shift.
    friend BigUnsigned operator>>(const BigUnsigned& a, int shift) {
        assert(shift >= 0);
        std::size_t limbShift = static_cast<std::size_t>(shift) / 32;
        int bitShift = shift % 32;
        BigUnsigned result;
        if (limbShift >= a.limbs_.size()) return result;
        result.limbs_.assign(a.limbs_.size() - limbShift, 0);
        for (std::size_t i = 0; i < result.limbs_.size(); ++i) {
            std::uint64_t wide = a.limbs_[i + limbShift];
            if (i + limbShift + 1 < a.limbs_.size()) {
                wide |= static_cast<std::uint64_t>(a.limbs_[i + limbShift + 1]) << 32;
            }
            result.limbs_[i] = static_cast<std::uint32_t>(wide >> bitShift);
        }
        result.Trim();
        return result;
    }

    // Replaces the value by its quotient by `divisor` (non-zero) and returns
    // the remainder.
    std::uint32_t DivideInPlace(std::uint32_t divisor) {
        assert(divisor != 0);
        std::uint64_t remainder = 0;
        for (std::size_t i = limbs_.size(); i-- > 0;) {
            std::uint64_t current = (remainder << 32) | limbs_[i];
            limbs_[i] = static_cast<std::uint32_t>(current / divisor);
            remainder = current % divisor;
        }
        Trim();
        return static_cast<std::uint32_t>(remainder);
    }

    // Quotient and remainder by a non-zero BigUnsigned, by binary long
    // division (shift and subtract).
    friend void DivMod(const BigUnsigned& dividend, const BigUnsigned& divisor,
                       BigUnsigned& quotient, BigUnsigned& remainder) {
        assert(!divisor.IsZero());
        quotient = BigUnsigned();
        remainder = BigUnsigned();
        for (int i = dividend.BitLength() - 1; i >= 0; --i) {
            remainder = remainder << 1;
            if (dividend.Bit(i)) remainder = remainder + BigUnsigned(1);
            if (remainder >= divisor) {
                remainder = remainder - divisor;
                quotient = quotient + (BigUnsigned(1) << i);
            }
        }
    }

    // Decimal digits without leading zeros; "0" for zero.
    std::string ToDecimal() const {
        if (IsZero()) return "0";
        BigUnsigned rest = *this;
        std::string reversed;
        while (!rest.IsZero()) {
            std::uint32_t chunk = rest.DivideInPlace(1000000000u);
            for (int i = 0; i < 9; ++i) {
                reversed.push_back(static_cast<char>('0' + chunk % 10));
                chunk /= 10;
                if (rest.IsZero() && chunk == 0) break;
            }
        }
        return std::string(reversed.rbegin(), reversed.rend());
    }

private:
    void Trim() {
        while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
    }

    std::vector<std::uint32_t> limbs_;
};

// Compares a * 2^aShift with b * 2^bShift, exponents of either sign, exactly.
inline int CompareScaled(const BigUnsigned& a, int aShift, const BigUnsigned& b, int bShift) {
    int common = std::min(aShift, bShift);
    return Compare(a << (aShift - common), b << (bShift - common));
}

}  // namespace zelquin::exact
