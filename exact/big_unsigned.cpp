// Schoolbook arithmetic on 32-bit limbs.
#include "big_unsigned.h"

#include <algorithm>
#include <cassert>

namespace zelquin::exact {

BigUnsigned::BigUnsigned(std::uint64_t value) {
    while (value != 0) {
        limbs_.push_back(static_cast<std::uint32_t>(value));
        value >>= 32;
    }
}

BigUnsigned BigUnsigned::FromDecimal(std::string_view digits) {
    BigUnsigned result;
    // Nine digits at a time.
    for (std::size_t i = 0; i < digits.size();) {
        std::uint32_t chunk = 0;
        std::uint32_t factor = 1;
        for (int k = 0; k < 9 && i < digits.size(); ++k, ++i) {
            assert(digits[i] >= '0' && digits[i] <= '9');
            chunk = chunk * 10 + static_cast<std::uint32_t>(digits[i] - '0');
            factor *= 10;
        }
        result *= factor;
        result += BigUnsigned(chunk);
    }
    return result;
}

BigUnsigned BigUnsigned::Power(std::uint32_t base, int n) {
    assert(n >= 0);
    BigUnsigned result(1);
    BigUnsigned square(base);
    for (; n != 0; n >>= 1) {
        if ((n & 1) != 0) result = result * square;
        if (n > 1) square = square * square;
    }
    return result;
}

int BigUnsigned::BitLength() const {
    if (limbs_.empty()) return 0;
    std::uint32_t top = limbs_.back();
    int bits = 0;
    for (; top != 0; top >>= 1) ++bits;
    return static_cast<int>(32 * (limbs_.size() - 1)) + bits;
}

std::uint64_t BigUnsigned::Low64() const {
    std::uint64_t value = 0;
    if (limbs_.size() > 0) value |= limbs_[0];
    if (limbs_.size() > 1) value |= std::uint64_t{limbs_[1]} << 32;
    return value;
}

BigUnsigned& BigUnsigned::operator+=(const BigUnsigned& other) {
    if (limbs_.size() < other.limbs_.size()) limbs_.resize(other.limbs_.size(), 0u);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
        if (i >= other.limbs_.size() && carry == 0) break;
        carry += std::uint64_t{limbs_[i]} + (i < other.limbs_.size() ? other.limbs_[i] : 0u);
        limbs_[i] = static_cast<std::uint32_t>(carry);
        carry >>= 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    return *this;
}

BigUnsigned& BigUnsigned::operator-=(const BigUnsigned& other) {
    assert(Compare(*this, other) >= 0);
    std::uint32_t borrow = 0;
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
        if (i >= other.limbs_.size() && borrow == 0) break;
        const std::uint64_t subtrahend =
            std::uint64_t{i < other.limbs_.size() ? other.limbs_[i] : 0u} + borrow;
        borrow = limbs_[i] < subtrahend ? 1u : 0u;
        limbs_[i] = static_cast<std::uint32_t>(limbs_[i] - subtrahend);
    }
    Trim();
    return *this;
}

BigUnsigned& BigUnsigned::operator*=(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : limbs_) {
        carry += std::uint64_t{limb} * factor;
        limb = static_cast<std::uint32_t>(carry);
        carry >>= 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    Trim();
    return *this;
}

BigUnsigned& BigUnsigned::operator<<=(int shift) {
    assert(shift >= 0);
    if (IsZero()) return *this;
    const int part = shift % 32;
    if (part != 0) {
        std::uint32_t carry = 0;
        for (std::uint32_t& limb : limbs_) {
            const std::uint32_t next = limb >> (32 - part);
            limb = (limb << part) | carry;
            carry = next;
        }
        if (carry != 0) limbs_.push_back(carry);
    }
    limbs_.insert(limbs_.begin(), static_cast<std::size_t>(shift / 32), 0u);
    return *this;
}

std::uint32_t BigUnsigned::DivideInPlace(std::uint32_t divisor) {
    assert(divisor != 0);
    std::uint64_t remainder = 0;
    for (std::size_t i = limbs_.size(); i-- > 0;) {
        const std::uint64_t current = (remainder << 32) | limbs_[i];
        limbs_[i] = static_cast<std::uint32_t>(current / divisor);
        remainder = current % divisor;
    }
    Trim();
    return static_cast<std::uint32_t>(remainder);
}

std::string BigUnsigned::ToDecimal() const {
    if (IsZero()) return "0";
    // Groups of nine digits, least significant first.
    BigUnsigned rest = *this;
    std::vector<std::uint32_t> groups;
    while (!rest.IsZero()) groups.push_back(rest.DivideInPlace(1000000000));
    std::string text = std::to_string(groups.back());
    for (std::size_t i = groups.size() - 1; i-- > 0;) {
        const std::string group = std::to_string(groups[i]);
        text.append(9 - group.size(), '0');
        text += group;
    }
    return text;
}

int Compare(const BigUnsigned& a, const BigUnsigned& b) {
    if (a.limbs_.size() != b.limbs_.size()) return a.limbs_.size() < b.limbs_.size() ? -1 : 1;
    for (std::size_t i = a.limbs_.size(); i-- > 0;) {
        if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
    }
    return 0;
}

BigUnsigned operator*(const BigUnsigned& a, const BigUnsigned& b) {
    BigUnsigned product;
    if (a.IsZero() || b.IsZero()) return product;
    product.limbs_.assign(a.limbs_.size() + b.limbs_.size(), 0);
    for (std::size_t i = 0; i < a.limbs_.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < b.limbs_.size(); ++j) {
            // At most (2^32-1)^2 + 2*(2^32-1) = 2^64-1: no overflow.
            carry += std::uint64_t{a.limbs_[i]} * b.limbs_[j] + product.limbs_[i + j];
            product.limbs_[i + j] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        product.limbs_[i + b.limbs_.size()] = static_cast<std::uint32_t>(carry);
    }
    product.Trim();
    return product;
}

BigUnsigned operator>>(const BigUnsigned& a, int shift) {
    assert(shift >= 0);
    const std::size_t whole = static_cast<std::size_t>(shift) / 32;
    const int part = shift % 32;
    BigUnsigned result;
    if (whole >= a.limbs_.size()) return result;
    result.limbs_.assign(a.limbs_.size() - whole, 0);
    for (std::size_t i = 0; i < result.limbs_.size(); ++i) {
        std::uint64_t wide = a.limbs_[i + whole];
        if (i + whole + 1 < a.limbs_.size()) wide |= std::uint64_t{a.limbs_[i + whole + 1]} << 32;
        result.limbs_[i] = static_cast<std::uint32_t>(wide >> part);
    }
    result.Trim();
    return result;
}

void DivMod(const BigUnsigned& dividend, const BigUnsigned& divisor, BigUnsigned& quotient,
            BigUnsigned& remainder) {
    assert(!divisor.IsZero());
    BigUnsigned q;
    BigUnsigned r;
    if (divisor.limbs_.size() == 1) {
        q = dividend;
        r = BigUnsigned(q.DivideInPlace(divisor.limbs_[0]));
    } else {
        // Binary long division: bring down one bit of the dividend at a time.
        q.limbs_.assign(dividend.limbs_.size(), 0);
        for (int i = dividend.BitLength() - 1; i >= 0; --i) {
            r <<= 1;
            if (((dividend.limbs_[static_cast<std::size_t>(i) / 32] >> (i % 32)) & 1) != 0) {
                if (r.IsZero()) r.limbs_.push_back(0);
                r.limbs_[0] |= 1;
            }
            if (r >= divisor) {
                r -= divisor;
                q.limbs_[static_cast<std::size_t>(i) / 32] |= 1u << (i % 32);
            }
        }
        q.Trim();
    }
    quotient = std::move(q);
    remainder = std::move(r);
}

void BigUnsigned::Trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
}

int CompareScaled(const BigUnsigned& a, int aShift, const BigUnsigned& b, int bShift) {
    const int common = std::min(aShift, bShift);
    return Compare(a << (aShift - common), b << (bShift - common));
}

}  // namespace zelquin::exact
