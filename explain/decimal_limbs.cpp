// Base 10^9 arithmetic on a fixed array of limbs.
#include "decimal_limbs.h"

#include <cassert>
#include <cstring>
#include <vector>

namespace zelquin::explain {
namespace {

constexpr std::uint32_t kPowersOfTen[kLimbDigits + 1] = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// 2^31 and 5^13 are the largest powers of two and five below 2^32, the bound
// of a factor: a limb times it plus the carry stays below
// (10^9 - 1) * (2^32 - 1) + 2^32 < 2^64.
constexpr int kTwoStep = 31;
constexpr int kFiveStep = 13;
constexpr std::uint32_t kFivePower13 = 1220703125;

std::uint32_t SmallPowerOfFive(int n) {
    std::uint32_t p = 1;
    for (int i = 0; i < n; ++i) p *= 5;
    return p;
}

void Trim(DecimalLimbs& x) {
    while (x.count > 0 && x.limb[x.count - 1] == 0) --x.count;
}

// Every `step`th power of a base, from the first, as limbs in one block.
struct PowerTable {
    int step;
    std::vector<std::uint32_t> limbs;
    std::vector<int> start;
    std::vector<int> count;
};

PowerTable MakeTable(int step, std::uint32_t stepFactor) {
    PowerTable table;
    table.step = step;
    DecimalLimbs x;
    SetSmall(x, 1);
    for (int n = 0;; n += step) {
        table.start.push_back(static_cast<int>(table.limbs.size()));
        table.count.push_back(x.count);
        table.limbs.insert(table.limbs.end(), x.limb, x.limb + x.count);
        if (n + step > kMaxTabledPower) break;
        const bool fits = MultiplySmall(x, stepFactor);
        assert(fits);
        (void)fits;
    }
    return table;
}

// x = entry * factor, factor of at most four limbs: each limb of the product
// sums at most four products of two limbs and a carry, below
// 4 * (10^9 - 1)^2 + 5 * 10^9 < 2^64.
bool MultiplyEntry(const PowerTable& table, int n, const DecimalLimbs& factor, DecimalLimbs& x) {
    assert(n >= 0 && n <= kMaxTabledPower && factor.count <= 4);
    const std::size_t i = static_cast<std::size_t>(n / table.step);
    const std::uint32_t* entry = table.limbs.data() + table.start[i];
    const int count = table.count[i];
    if (factor.count == 0) {
        x.count = 0;
        return true;
    }
    const int total = count + factor.count;
    if (total - 1 > kMaxLimbs) return false;
    std::uint64_t carry = 0;
    for (int k = 0; k < total - 1; ++k) {
        std::uint64_t sum = carry;
        for (int j = 0; j < factor.count; ++j) {
            const int e = k - j;
            if (e >= 0 && e < count) sum += std::uint64_t{entry[e]} * factor.limb[j];
        }
        carry = sum / kLimbBase;
        x.limb[k] = static_cast<std::uint32_t>(sum - carry * kLimbBase);
    }
    x.count = total - 1;
    if (carry != 0) {
        if (x.count == kMaxLimbs) return false;
        x.limb[x.count++] = static_cast<std::uint32_t>(carry);
    }
    Trim(x);
    return true;
}

}  // namespace

void SetSmall(DecimalLimbs& x, std::uint64_t value) {
    x.count = 0;
    while (value != 0) {
        x.limb[x.count++] = static_cast<std::uint32_t>(value % kLimbBase);
        value /= kLimbBase;
    }
}

bool MultiplySmall(DecimalLimbs& x, std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (int i = 0; i < x.count; ++i) {
        const std::uint64_t product = std::uint64_t{x.limb[i]} * factor + carry;
        carry = product / kLimbBase;
        x.limb[i] = static_cast<std::uint32_t>(product - carry * kLimbBase);
    }
    while (carry != 0) {
        if (x.count == kMaxLimbs) return false;
        x.limb[x.count++] = static_cast<std::uint32_t>(carry % kLimbBase);
        carry /= kLimbBase;
    }
    Trim(x);
    return true;
}

bool MultiplyByPowerOfTwo(DecimalLimbs& x, int n) {
    for (; n >= kTwoStep; n -= kTwoStep) {
        if (!MultiplySmall(x, std::uint32_t{1} << kTwoStep)) return false;
    }
    return n == 0 || MultiplySmall(x, std::uint32_t{1} << n);
}

bool MultiplyByPowerOfFive(DecimalLimbs& x, int n) {
    for (; n >= kFiveStep; n -= kFiveStep) {
        if (!MultiplySmall(x, kFivePower13)) return false;
    }
    return n == 0 || MultiplySmall(x, SmallPowerOfFive(n));
}

bool SetPowerOfTwo(DecimalLimbs& x, int n, std::uint64_t factor) {
    static const PowerTable table = MakeTable(kTwoStep, std::uint32_t{1} << kTwoStep);
    DecimalLimbs rest;
    SetSmall(rest, factor);
    return MultiplyByPowerOfTwo(rest, n % kTwoStep) && MultiplyEntry(table, n, rest, x);
}

bool SetPowerOfFive(DecimalLimbs& x, int n, std::uint64_t factor) {
    static const PowerTable table = MakeTable(kFiveStep, kFivePower13);
    DecimalLimbs rest;
    SetSmall(rest, factor);
    return MultiplyByPowerOfFive(rest, n % kFiveStep) && MultiplyEntry(table, n, rest, x);
}

bool Add(DecimalLimbs& x, const DecimalLimbs& y) {
    // The limbs both have, then the longer one's own with the carry.
    const int common = x.count < y.count ? x.count : y.count;
    std::uint32_t carry = 0;
    int i = 0;
    for (; i < common; ++i) {
        const std::uint32_t sum = x.limb[i] + y.limb[i] + carry;
        carry = sum >= kLimbBase ? 1u : 0u;
        x.limb[i] = sum - carry * kLimbBase;
    }
    for (; i < y.count; ++i) {
        const std::uint32_t sum = y.limb[i] + carry;
        carry = sum >= kLimbBase ? 1u : 0u;
        x.limb[i] = sum - carry * kLimbBase;
    }
    for (; carry != 0 && i < x.count; ++i) {
        const std::uint32_t sum = x.limb[i] + carry;
        carry = sum >= kLimbBase ? 1u : 0u;
        x.limb[i] = sum - carry * kLimbBase;
    }
    if (y.count > x.count) x.count = y.count;
    if (carry != 0) {
        if (x.count == kMaxLimbs) return false;
        x.limb[x.count++] = carry;
    }
    return true;
}

bool FromDigits(DecimalLimbs& x, std::string_view digits) {
    x.count = 0;
    std::size_t end = digits.size();
    while (end > 0) {
        if (x.count == kMaxLimbs) return false;
        const std::size_t begin = end > kLimbDigits ? end - kLimbDigits : 0;
        std::uint32_t limb = 0;
        for (std::size_t i = begin; i < end; ++i)
            limb = limb * 10 + static_cast<std::uint32_t>(digits[i] - '0');
        x.limb[x.count++] = limb;
        end = begin;
    }
    Trim(x);
    return true;
}

int Compare(const DecimalLimbs& a, const DecimalLimbs& b) {
    if (a.count != b.count) return a.count < b.count ? -1 : 1;
    for (int i = a.count; i-- > 0;) {
        if (a.limb[i] != b.limb[i]) return a.limb[i] < b.limb[i] ? -1 : 1;
    }
    return 0;
}

int DigitCount(const DecimalLimbs& x) {
    if (x.count == 0) return 0;
    const std::uint32_t top = x.limb[x.count - 1];
    int digits = 1;
    while (digits < kLimbDigits && top >= kPowersOfTen[digits]) ++digits;
    return kLimbDigits * (x.count - 1) + digits;
}

int DigitAt(const DecimalLimbs& x, int place) {
    const int i = place / kLimbDigits;
    if (i >= x.count) return 0;
    return static_cast<int>(x.limb[i] / kPowersOfTen[place % kLimbDigits] % 10);
}

void LowDigits(const DecimalLimbs& x, int places, DecimalLimbs& low) {
    const int whole = places / kLimbDigits;
    low.count = whole < x.count ? whole : x.count;
    std::memcpy(low.limb, x.limb, static_cast<std::size_t>(low.count) * sizeof(std::uint32_t));
    if (whole < x.count && places % kLimbDigits != 0)
        low.limb[low.count++] = x.limb[whole] % kPowersOfTen[places % kLimbDigits];
    Trim(low);
}

std::uint64_t HighDigits(const DecimalLimbs& x, int places) {
    const int whole = places / kLimbDigits;
    const int part = places % kLimbDigits;
    if (whole >= x.count) return 0;
    std::uint64_t high = 0;
    for (int i = x.count - 1; i > whole; --i) high = high * kLimbBase + x.limb[i];
    return high * kPowersOfTen[kLimbDigits - part] + x.limb[whole] / kPowersOfTen[part];
}

int TrailingZeros(const DecimalLimbs& x) {
    for (int i = 0; i < x.count; ++i) {
        if (x.limb[i] == 0) continue;
        int zeros = kLimbDigits * i;
        for (std::uint32_t limb = x.limb[i]; limb % 10 == 0; limb /= 10) ++zeros;
        return zeros;
    }
    return 0;
}

bool LowDigitsZero(const DecimalLimbs& x, int places) {
    const int whole = places / kLimbDigits;
    for (int i = 0; i < whole && i < x.count; ++i) {
        if (x.limb[i] != 0) return false;
    }
    return whole >= x.count || places % kLimbDigits == 0 ||
           x.limb[whole] % kPowersOfTen[places % kLimbDigits] == 0;
}

namespace {

// The nine digits of a limb, leading zeros included: the first, then two
// halves of four, each two pairs.
void PutNineDigits(char* p, std::uint32_t limb) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    const std::uint32_t first = limb / 100000000;
    const std::uint32_t rest = limb - first * 100000000;
    const std::uint32_t high = rest / 10000;
    const std::uint32_t low = rest - high * 10000;
    p[0] = static_cast<char>('0' + first);
    std::memcpy(p + 1, kPairs + 2 * (high / 100), 2);
    std::memcpy(p + 3, kPairs + 2 * (high % 100), 2);
    std::memcpy(p + 5, kPairs + 2 * (low / 100), 2);
    std::memcpy(p + 7, kPairs + 2 * (low % 100), 2);
}

}  // namespace

void AppendDigits(const DecimalLimbs& x, int top, int bottom, std::string& out) {
    if (top <= bottom) return;
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(top - bottom));
    char* p = &out[start];
    for (int i = (top - 1) / kLimbDigits; i >= bottom / kLimbDigits; --i) {
        const std::uint32_t limb = i < x.count ? x.limb[i] : 0;
        // The places of this limb within [bottom, top), as digit indexes
        // counted from its top digit.
        const int low = i * kLimbDigits;
        const int first =
            kLimbDigits - 1 -
            ((top - 1 < low + kLimbDigits - 1 ? top - 1 : low + kLimbDigits - 1) - low);
        const int end = kLimbDigits - ((bottom > low ? bottom : low) - low);
        if (first == 0 && end == kLimbDigits) {
            PutNineDigits(p, limb);
        } else {
            char digits[kLimbDigits];
            PutNineDigits(digits, limb);
            std::memcpy(p, digits + first, static_cast<std::size_t>(end - first));
        }
        p += end - first;
    }
}

}  // namespace zelquin::explain
