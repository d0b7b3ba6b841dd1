// Schoolbook arithmetic on 32-bit limbs.
#include "big_unsigned.h"

namespace zelquin::cli {

BigUnsigned::BigUnsigned(std::uint64_t value) {
    while (value != 0) {
        limbs_.push_back(static_cast<std::uint32_t>(value));
        value >>= 32;
    }
}

BigUnsigned BigUnsigned::FromDecimal(std::string_view digits) {
    BigUnsigned result;
    // Nine digits at a time.
    std::size_t i = 0;
    while (i < digits.size()) {
        std::uint32_t chunk = 0;
        std::uint32_t factor = 1;
        for (int k = 0; k < 9 && i < digits.size(); ++k, ++i) {
            chunk = chunk * 10 + static_cast<std::uint32_t>(digits[i] - '0');
            factor *= 10;
        }
        result.MultiplyAdd(factor, chunk);
    }
    return result;
}

void BigUnsigned::MultiplyAdd(std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (std::uint32_t& limb : limbs_) {
        const std::uint64_t product = std::uint64_t{limb} * factor + carry;
        limb = static_cast<std::uint32_t>(product);
        carry = product >> 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    Trim();
}

void BigUnsigned::MultiplyByPowerOfFive(int exponent) {
    constexpr std::uint32_t kFiveToThe13 = 1220703125;
    for (; exponent >= 13; exponent -= 13) MultiplyAdd(kFiveToThe13, 0);
    std::uint32_t rest = 1;
    for (; exponent > 0; --exponent) rest *= 5;
    MultiplyAdd(rest, 0);
}

void BigUnsigned::MultiplyByPowerOfTen(int exponent) {
    constexpr std::uint32_t kTenToThe9 = 1000000000;
    for (; exponent >= 9; exponent -= 9) MultiplyAdd(kTenToThe9, 0);
    std::uint32_t rest = 1;
    for (; exponent > 0; --exponent) rest *= 10;
    MultiplyAdd(rest, 0);
}

void BigUnsigned::ShiftLeft(int bits) {
    if (IsZero()) return;
    const std::size_t whole = static_cast<std::size_t>(bits / 32);
    const int part = bits % 32;
    if (part != 0) {
        std::uint32_t carry = 0;
        for (std::uint32_t& limb : limbs_) {
            const std::uint32_t next = limb >> (32 - part);
            limb = (limb << part) | carry;
            carry = next;
        }
        if (carry != 0) limbs_.push_back(carry);
    }
    limbs_.insert(limbs_.begin(), whole, 0u);
}

std::uint32_t BigUnsigned::DivideSmall(std::uint32_t divisor) {
    std::uint64_t remainder = 0;
    for (std::size_t i = limbs_.size(); i-- > 0;) {
        const std::uint64_t current = (remainder << 32) | limbs_[i];
        limbs_[i] = static_cast<std::uint32_t>(current / divisor);
        remainder = current % divisor;
    }
    Trim();
    return static_cast<std::uint32_t>(remainder);
}

void BigUnsigned::Add(const BigUnsigned& other) {
    if (limbs_.size() < other.limbs_.size()) limbs_.resize(other.limbs_.size(), 0u);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
        const std::uint64_t sum =
            std::uint64_t{limbs_[i]} + (i < other.limbs_.size() ? other.limbs_[i] : 0u) + carry;
        limbs_[i] = static_cast<std::uint32_t>(sum);
        carry = sum >> 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
}

void BigUnsigned::Subtract(const BigUnsigned& other) {
    std::uint32_t borrow = 0;
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
        const std::uint64_t subtrahend =
            std::uint64_t{i < other.limbs_.size() ? other.limbs_[i] : 0u} + borrow;
        borrow = std::uint64_t{limbs_[i]} < subtrahend ? 1u : 0u;
        limbs_[i] = static_cast<std::uint32_t>(std::uint64_t{limbs_[i]} - subtrahend);
    }
    Trim();
}

std::string BigUnsigned::ToDecimal() const {
    if (IsZero()) return "0";
    // Groups of nine digits, least significant first.
    BigUnsigned rest = *this;
    std::vector<std::uint32_t> groups;
    while (!rest.IsZero()) groups.push_back(rest.DivideSmall(1000000000));

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

void BigUnsigned::Trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
}

}  // namespace zelquin::cli
