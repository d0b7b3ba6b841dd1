// Every pattern of every format of up to 16 bits against an oracle that knows
// nothing of the library's decoding or rounding: the test's own description
// of each layout gives every pattern's value as an integer number of the
// smallest subnormal's units, (-1)^s * 2^(field - bias) * (1 + f / 2^M) for a
// normal number; the sorted values then give the neighbours, and the rounding
// of any number is picked from them by the rounding's definition.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "big_unsigned.h"
#include "format_rounding.h"
#include "format_texts.h"
#include "formats.h"

namespace zelquin::explain {
namespace {

using exact::BigUnsigned;

// Which patterns are not numbers, as each format's definition says.
enum class Kind { Ieee, AllOnesNaN, NegativeZeroNaN, PowersOfTwo, FiniteOnly };

struct SmallFormat {
    const char* name;
    int exponentBits;
    int fractionBits;
    int bias;
    Kind kind;
};

constexpr SmallFormat kSmallFormats[] = {
    {"binary16", 5, 10, 15, Kind::Ieee},
    {"bfloat16", 8, 7, 127, Kind::Ieee},
    {"float8_e5m2", 5, 2, 15, Kind::Ieee},
    {"float8_e4m3", 4, 3, 7, Kind::Ieee},
    {"float8_e4m3fn", 4, 3, 7, Kind::AllOnesNaN},
    {"float8_e4m3fnuz", 4, 3, 8, Kind::NegativeZeroNaN},
    {"float8_e5m2fnuz", 5, 2, 16, Kind::NegativeZeroNaN},
    {"float8_e4m3b11fnuz", 4, 3, 11, Kind::NegativeZeroNaN},
    {"float8_e3m4", 3, 4, 3, Kind::Ieee},
    {"float8_e8m0fnu", 8, 0, 127, Kind::PowersOfTwo},
    {"float6_e2m3fn", 2, 3, 1, Kind::FiniteOnly},
    {"float6_e3m2fn", 3, 2, 3, Kind::FiniteOnly},
    {"float4_e2m1fn", 2, 1, 1, Kind::FiniteOnly},
    {"e2m1", 2, 1, 1, Kind::Ieee},
};

void PrintTo(const SmallFormat& format, std::ostream* os) { *os << format.name; }

// Test numbers are integers of 2^-kFineBits units: room for the midpoints
// and for points a hair beside them.
constexpr int kFineBits = 8;

struct Entry {
    std::uint32_t bits = 0;
    bool negative = false;
    bool nan = false;
    bool infinite = false;
    FormatClass numberClass = FormatClass::Zero;
    BigUnsigned units;  // |value| in units of 2^unitExponent
};

// A number to round: (-1)^negative * fine * 2^(unitExponent - kFineBits).
struct Point {
    bool negative;
    BigUnsigned fine;
};

struct Expected {
    bool hasPattern = true;
    std::uint32_t bits = 0;
    bool inexact = false;
    bool overflowed = false;
    bool underflowed = false;
};

class Oracle {
  public:
    explicit Oracle(const SmallFormat& f) : f_(f) {
        const bool sign = f.kind != Kind::PowersOfTwo;
        width_ = (sign ? 1 : 0) + f.exponentBits + f.fractionBits;
        unitExponent_ = f.kind == Kind::PowersOfTwo ? -f.bias : 1 - f.bias - f.fractionBits;
        const std::uint32_t topField = (1u << f.exponentBits) - 1;
        const std::uint32_t fractionMask = (1u << f.fractionBits) - 1;
        for (std::uint32_t bits = 0; bits < (1u << width_); ++bits) {
            Entry e;
            e.bits = bits;
            e.negative = sign && (bits >> (width_ - 1)) != 0;
            const std::uint32_t field = (bits >> f.fractionBits) & topField;
            const std::uint32_t fraction = bits & fractionMask;
            e.units = ValueOf(field, fraction);
            if (field == 0 && f.kind != Kind::PowersOfTwo) {
                e.numberClass = fraction == 0 ? FormatClass::Zero : FormatClass::Subnormal;
            } else {
                e.numberClass = FormatClass::Normal;
            }
            switch (f.kind) {
                case Kind::Ieee:
                    if (field == topField) {
                        e.infinite = fraction == 0;
                        e.nan = !e.infinite;
                        e.numberClass = e.infinite ? FormatClass::Infinity
                                        : (fraction >> (f.fractionBits - 1)) != 0
                                            ? FormatClass::QuietNaN
                                            : FormatClass::SignallingNaN;
                    }
                    break;
                case Kind::AllOnesNaN:
                    e.nan = field == topField && fraction == fractionMask;
                    break;
                case Kind::NegativeZeroNaN:
                    e.nan = bits == 1u << (width_ - 1);
                    break;
                case Kind::PowersOfTwo:
                    e.nan = field == topField;
                    break;
                case Kind::FiniteOnly:
                    break;
            }
            if (e.nan && f.kind != Kind::Ieee) e.numberClass = FormatClass::NaN;
            entries_.push_back(e);
            if (!e.nan && !e.infinite && !e.negative) {
                magnitudes_.push_back(e.units);
                positive_.push_back(bits);
            }
        }
        // The patterns of the positive magnitudes, in the order of their values.
        std::vector<std::size_t> order(magnitudes_.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(),
                  [&](std::size_t a, std::size_t b) { return magnitudes_[a] < magnitudes_[b]; });
        std::vector<BigUnsigned> sorted;
        std::vector<std::uint32_t> sortedBits;
        for (const std::size_t i : order) {
            sorted.push_back(magnitudes_[i]);
            sortedBits.push_back(positive_[i]);
        }
        magnitudes_ = sorted;
        positive_ = sortedBits;
        // The grid point after the largest finite magnitude, where an
        // overflow goes: one step further in the fields.
        const std::uint32_t largest = positive_.back();
        std::uint32_t field = (largest >> f.fractionBits) & topField;
        std::uint32_t fraction = (largest & fractionMask) + 1;
        if (fraction > fractionMask) {
            fraction = 0;
            ++field;
        }
        beyond_ = ValueOf(field, fraction);
        beyondEven_ = ((largest + 1) & 1) == 0;
        smallestNormal_ = ValueOf(f.kind == Kind::PowersOfTwo ? 0 : 1, 0);
        for (const BigUnsigned& units : magnitudes_) fineMagnitudes_.push_back(units << kFineBits);
        fineBeyond_ = beyond_ << kFineBits;
    }

    const SmallFormat& format() const { return f_; }
    int width() const { return width_; }
    int unitExponent() const { return unitExponent_; }
    const std::vector<Entry>& entries() const { return entries_; }
    const std::vector<BigUnsigned>& magnitudes() const { return magnitudes_; }
    const std::vector<std::uint32_t>& positivePatterns() const { return positive_; }
    const BigUnsigned& beyond() const { return beyond_; }
    bool hasSign() const { return f_.kind != Kind::PowersOfTwo; }
    bool hasInfinity() const { return f_.kind == Kind::Ieee; }
    bool hasNaN() const { return f_.kind != Kind::FiniteOnly; }
    bool hasNegativeZero() const {
        return f_.kind != Kind::NegativeZeroNaN && f_.kind != Kind::PowersOfTwo;
    }
    std::uint32_t signBit() const { return hasSign() ? 1u << (width_ - 1) : 0; }

    std::uint32_t WithSign(bool negative, std::uint32_t magnitude) const {
        if (!negative || !hasSign() || (magnitude == 0 && !hasNegativeZero())) return magnitude;
        return magnitude | signBit();
    }
    std::uint32_t InfinityPattern() const {
        return ((1u << f_.exponentBits) - 1) << f_.fractionBits;
    }
    std::uint32_t NaNPattern(bool negative) const {
        switch (f_.kind) {
            case Kind::Ieee:
                return WithSign(negative, InfinityPattern() | 1u << (f_.fractionBits - 1));
            case Kind::AllOnesNaN:
                return WithSign(negative, (1u << (width_ - 1)) - 1);
            case Kind::NegativeZeroNaN:
                return 1u << (width_ - 1);
            default:
                return 0xff;
        }
    }

    // The rounding picked from the sorted magnitudes by its definition.
    Expected Round(const Point& x, RoundingMode mode, OverflowPolicy policy) const {
        Expected r;
        const bool powersOfTwo = f_.kind == Kind::PowersOfTwo;
        const BigUnsigned& v = x.fine;
        if (v.IsZero() || (powersOfTwo && x.negative)) {
            if (powersOfTwo) {
                r.bits = 0xff;
                r.inexact = true;
            } else {
                r.bits = WithSign(x.negative, 0);
            }
            return r;
        }
        // The candidates: every magnitude and the grid point beyond them.
        const std::size_t n = magnitudes_.size();
        const auto candidate = [&](std::size_t i) -> const BigUnsigned& {
            return i < n ? fineMagnitudes_[i] : fineBeyond_;
        };
        // The first candidate not below v (n + 1: past even the point beyond).
        std::size_t lo = 0, hi = n + 1;
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (candidate(mid) < v) {
                lo = mid + 1;
            } else {
                hi = mid;
            }
        }
        const std::size_t above = lo;  // n + 1: past even the point beyond
        const bool exact = above <= n && candidate(above) == v;
        std::optional<std::size_t> chosen;  // n + 1: past the point beyond
        const bool away =
            (mode == RoundingMode::Up && !x.negative) || (mode == RoundingMode::Down && x.negative);
        const bool hasBelow = above > 0;
        if (exact) {
            chosen = above;
        } else if (mode == RoundingMode::NearestEven || mode == RoundingMode::NearestAway) {
            if (!hasBelow) {
                chosen = above;
            } else if (above > n) {
                chosen = n + 1;
            } else {
                const BigUnsigned& below = candidate(above - 1);
                const BigUnsigned& upper = candidate(above);
                const BigUnsigned toBelow = v - below;
                const BigUnsigned toAbove = upper - v;
                if (toBelow < toAbove) {
                    chosen = above - 1;
                } else if (toAbove < toBelow) {
                    chosen = above;
                } else if (mode == RoundingMode::NearestAway) {
                    chosen = above;
                } else {
                    chosen = IsEven(above - 1) ? above - 1 : above;
                }
            }
        } else if (away) {
            chosen = above;
        } else if (hasBelow) {
            chosen = above - 1;
        }
        r.inexact = !exact;
        r.underflowed = !exact && v < (smallestNormal_ << kFineBits);
        if (!chosen) {  // below 2^-127 toward zero
            r.bits = 0xff;
            return r;
        }
        if (*chosen >= n) {
            r.overflowed = true;
            r.inexact = true;
            const bool toInfinity =
                mode == RoundingMode::NearestEven || mode == RoundingMode::NearestAway || away;
            if (policy == OverflowPolicy::Saturate || !toInfinity) {
                r.bits = WithSign(x.negative, positive_.back());
            } else if (hasInfinity()) {
                r.bits = WithSign(x.negative, InfinityPattern());
            } else if (hasNaN()) {
                r.bits = NaNPattern(x.negative);
            } else {
                r.bits = WithSign(x.negative, positive_.back());
            }
            return r;
        }
        r.bits = WithSign(x.negative, positive_[*chosen]);
        return r;
    }

    // The ends of the interval of the positive magnitude at index i, in fine
    // units, and whether they belong to it: the midpoints to the
    // neighbouring candidates, which go to the even one.
    struct Interval {
        BigUnsigned lower, upper;
        bool lowerIncluded, upperIncluded;
    };
    Interval IntervalAt(std::size_t i) const {
        const std::size_t n = magnitudes_.size();
        const BigUnsigned v = magnitudes_[i] << kFineBits;
        const BigUnsigned next = (i + 1 < n ? magnitudes_[i + 1] : beyond_) << kFineBits;
        Interval interval;
        interval.upper = (v + next) >> 1;
        interval.upperIncluded = IsEven(i);
        if (i == 0) {  // 2^-127: down to 0, which is NaN
            interval.lowerIncluded = false;
        } else {
            interval.lower = (v + (magnitudes_[i - 1] << kFineBits)) >> 1;
            interval.lowerIncluded = IsEven(i);
        }
        return interval;
    }

    // The neighbour of a number in the order of the values, or none.
    std::optional<std::uint32_t> Next(const Entry& e, bool up) const {
        if (e.nan) return std::nullopt;
        const std::size_t n = magnitudes_.size();
        // Signed position: magnitudes index for positive, mirrored for negative.
        if (e.infinite) {
            if (e.negative != up) return std::nullopt;
            return WithSign(e.negative, positive_.back());
        }
        const std::size_t i = IndexOf(e.units);
        const bool zero = e.units.IsZero();
        const bool outward = zero || (up != e.negative);
        if (outward) {
            const bool negative = zero ? !up : e.negative;
            const std::size_t next = zero ? (powersOfTwoFormat() ? 0 : 1) : i + 1;
            if (next < n) return WithSign(negative, positive_[next]);
            if (hasInfinity()) return WithSign(negative, InfinityPattern());
            return std::nullopt;
        }
        if (i == 0) return std::nullopt;  // 2^-127 has nothing below
        return WithSign(e.negative, positive_[i - 1]);
    }

    bool powersOfTwoFormat() const { return f_.kind == Kind::PowersOfTwo; }
    std::size_t IndexOf(const BigUnsigned& units) const {
        return static_cast<std::size_t>(
            std::lower_bound(magnitudes_.begin(), magnitudes_.end(), units) - magnitudes_.begin());
    }
    // Whether the candidate's pattern ends in 0; the point beyond is the
    // largest finite pattern plus one.
    bool IsEven(std::size_t i) const {
        return i < magnitudes_.size() ? (positive_[i] & 1) == 0 : beyondEven_;
    }

  private:
    BigUnsigned ValueOf(std::uint32_t field, std::uint32_t fraction) const {
        if (f_.kind == Kind::PowersOfTwo) return BigUnsigned(1) << static_cast<int>(field);
        if (field == 0) return BigUnsigned(fraction);
        return BigUnsigned((1u << f_.fractionBits) + fraction) << static_cast<int>(field - 1);
    }

    SmallFormat f_;
    int width_ = 0;
    int unitExponent_ = 0;
    std::vector<Entry> entries_;
    std::vector<BigUnsigned> magnitudes_;
    std::vector<BigUnsigned> fineMagnitudes_;  // in the test numbers' units
    BigUnsigned fineBeyond_;
    std::vector<std::uint32_t> positive_;
    BigUnsigned beyond_;
    bool beyondEven_ = false;
    BigUnsigned smallestNormal_;
};

// One oracle per format for all its tests: building one takes a while.
const Oracle& OracleOf(const SmallFormat& format) {
    static std::vector<std::unique_ptr<Oracle>> oracles;
    for (const std::unique_ptr<Oracle>& oracle : oracles) {
        if (std::string_view(oracle->format().name) == format.name) return *oracle;
    }
    oracles.push_back(std::make_unique<Oracle>(format));
    return *oracles.back();
}

Bits128 B(std::uint32_t bits) { return Bits128{0, bits}; }

// (-1)^negative * units * 2^e as an exact decimal, by the plain expansion.
Decimal DecimalOf(bool negative, const BigUnsigned& units, int e) {
    Decimal d;
    d.negative = negative;
    if (units.IsZero()) return d;
    const BigUnsigned n = e >= 0 ? units << e : units * BigUnsigned::Power(5, -e);
    d.digits = n.ToDecimal();
    d.scale = e >= 0 ? 0 : e;
    while (d.digits.back() == '0') {
        d.digits.pop_back();
        ++d.scale;
    }
    return d;
}

std::string Text(const Decimal& d) { return FormatDecimal(d); }

class SmallFormatTest : public ::testing::TestWithParam<SmallFormat> {
  protected:
    FloatFormat Format() const {
        const std::optional<FloatFormat> f = FindFormat(GetParam().name);
        EXPECT_TRUE(f.has_value());
        return *f;
    }
};

std::string Hex(std::uint32_t bits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02x", bits);
    return text;
}

std::string HexOf(std::optional<Bits128> bits) {
    return bits ? Hex(static_cast<std::uint32_t>(bits->low)) : "none";
}

std::string HexOf(std::optional<std::uint32_t> bits) { return bits ? Hex(*bits) : "none"; }

// Decoding: the class, the sign, the exact value by two roads, and the
// neighbours, of every pattern.
TEST_P(SmallFormatTest, DecodesEveryPatternAsTheLayoutDefinesIt) {
    const Oracle& oracle = OracleOf(GetParam());
    const FloatFormat format = Format();
    ASSERT_EQ(PatternWidth(format), oracle.width());
    for (const Entry& e : oracle.entries()) {
        const DecodedPattern d = Decode(format, B(e.bits));
        SCOPED_TRACE(Hex(e.bits));
        ASSERT_EQ(d.numberClass, e.numberClass);
        ASSERT_EQ(d.negative, e.negative);
        ASSERT_EQ(d.finite, !e.nan && !e.infinite);
        if (d.finite) {
            ASSERT_EQ(
                exact::CompareScaled(d.significand, d.exponent, e.units, oracle.unitExponent()), 0);
            ASSERT_EQ(Text(d.exact), Text(DecimalOf(e.negative, e.units, oracle.unitExponent())));
        }
        ASSERT_EQ(HexOf(NextUp(format, B(e.bits))), HexOf(oracle.Next(e, true)));
        ASSERT_EQ(HexOf(NextDown(format, B(e.bits))), HexOf(oracle.Next(e, false)));
    }
}

// Rounding: every magnitude, the midpoints between neighbours and a hair
// either side of them, and numbers past the largest finite one, of either
// sign, in every mode, against the oracle's pick. The saturating policy only
// differs on overflow, so it is checked from the top binade up.
TEST_P(SmallFormatTest, RoundsAsTheDefinitionPicksFromTheSortedValues) {
    const Oracle& oracle = OracleOf(GetParam());
    const FloatFormat format = Format();
    const std::vector<BigUnsigned>& m = oracle.magnitudes();
    std::vector<BigUnsigned> points;
    for (std::size_t i = 0; i < m.size(); ++i) {
        const BigUnsigned v = m[i] << kFineBits;
        points.push_back(v);
        const BigUnsigned next = (i + 1 < m.size() ? m[i + 1] : oracle.beyond()) << kFineBits;
        const BigUnsigned mid = (v + next) >> 1;
        points.push_back(mid - BigUnsigned(1));
        points.push_back(mid);
        points.push_back(mid + BigUnsigned(1));
    }
    const BigUnsigned beyond = oracle.beyond() << kFineBits;
    points.push_back(BigUnsigned(1));  // far below the smallest subnormal
    points.push_back(beyond);
    points.push_back(beyond + BigUnsigned(1));
    points.push_back(beyond << 1);
    points.push_back(beyond << 40);
    const BigUnsigned topBinade = m.back() >> 1 << kFineBits;

    constexpr RoundingMode kModes[] = {RoundingMode::NearestEven, RoundingMode::NearestAway,
                                       RoundingMode::TowardZero, RoundingMode::Up,
                                       RoundingMode::Down};
    for (const BigUnsigned& v : points) {
        for (const bool negative : {false, true}) {
            const Point x{negative, v};
            const ExactNumber number =
                ExactOfBinary(negative, v, oracle.unitExponent() - kFineBits);
            for (const OverflowPolicy policy : {OverflowPolicy::Ieee, OverflowPolicy::Saturate}) {
                if (policy == OverflowPolicy::Saturate && v < topBinade) continue;
                for (const RoundingMode mode : kModes) {
                    const Expected want = oracle.Round(x, mode, policy);
                    const RoundResult got = Round(number, format, mode, policy);
                    if (got.hasPattern && got.bits == B(want.bits) && got.inexact == want.inexact &&
                        got.overflowed == want.overflowed && got.underflowed == want.underflowed)
                        continue;
                    SCOPED_TRACE(std::string(negative ? "-" : "") + v.ToDecimal() +
                                 " fine units, " + RoundingModeName(mode) + ", " +
                                 OverflowPolicyName(policy));
                    ASSERT_TRUE(got.hasPattern);
                    ASSERT_EQ(Hex(static_cast<std::uint32_t>(got.bits.low)), Hex(want.bits));
                    ASSERT_EQ(got.inexact, want.inexact);
                    ASSERT_EQ(got.overflowed, want.overflowed);
                    ASSERT_EQ(got.underflowed, want.underflowed);
                }
            }
        }
    }
}

// A zero, an infinity and a NaN go where the format's definition puts them.
TEST_P(SmallFormatTest, RoundsZerosInfinitiesAndNaNsToTheFormatsOwnPatterns) {
    const Oracle& oracle = OracleOf(GetParam());
    const FloatFormat format = Format();
    for (const bool negative : {false, true}) {
        ExactNumber x = ExactOfBinary(negative, BigUnsigned(), 0);
        const RoundResult zero = Round(x, format);
        if (oracle.powersOfTwoFormat()) {
            EXPECT_EQ(zero.bits, B(0xff));
        } else {
            EXPECT_EQ(zero.bits, B(oracle.WithSign(negative, 0)));
            EXPECT_FALSE(zero.inexact);
        }

        x.kind = ExactNumber::Kind::Infinity;
        const std::uint32_t largest = oracle.WithSign(negative, oracle.positivePatterns().back());
        const std::uint32_t infinity = oracle.hasInfinity()
                                           ? oracle.WithSign(negative, oracle.InfinityPattern())
                                       : oracle.powersOfTwoFormat() ? 0xff
                                       : oracle.hasNaN()            ? oracle.NaNPattern(negative)
                                                                    : largest;
        EXPECT_EQ(Round(x, format).bits, B(infinity));
        EXPECT_EQ(Round(x, format, RoundingMode::NearestEven, OverflowPolicy::Saturate).bits,
                  B(oracle.powersOfTwoFormat() && negative ? 0xff : largest));

        x.kind = ExactNumber::Kind::NaN;
        const RoundResult nan = Round(x, format);
        EXPECT_EQ(nan.hasPattern, oracle.hasNaN());
        if (oracle.hasNaN()) {
            EXPECT_EQ(nan.bits, B(oracle.NaNPattern(negative)));
        }
    }
}

// The shortest text of every finite non-zero pattern: it lies in the
// oracle's interval of the pattern, reads back to it, and no decimal of fewer
// digits lies there; of those with as many digits, it is the nearest.
TEST_P(SmallFormatTest, ShortestTextIsTheNearestOfTheFewestDigitsThatReadBack) {
    const Oracle& oracle = OracleOf(GetParam());
    const FloatFormat format = Format();
    const int unit = oracle.unitExponent() - kFineBits;
    // c * 10^j against the number fine * 2^unit.
    const auto compare = [unit](const BigUnsigned& c, int j, const BigUnsigned& fine) {
        if (j >= 0) return exact::CompareScaled(c * BigUnsigned::Power(5, j), j, fine, unit);
        return exact::CompareScaled(c, j, fine * BigUnsigned::Power(5, -j), unit);
    };
    const std::vector<BigUnsigned>& m = oracle.magnitudes();
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (m[i].IsZero()) continue;
        const std::uint32_t bits = oracle.positivePatterns()[i];
        SCOPED_TRACE(Hex(bits));
        const std::optional<std::string> text = ShortestOf(format, B(bits));
        ASSERT_TRUE(text.has_value());
        const FormatValueReading reading =
            ReadFormatValue(std::u16string(text->begin(), text->end()));
        ASSERT_FALSE(reading.textAfter) << *text;
        ASSERT_EQ(Round(reading.number, format).bits, B(bits)) << *text;
        if (oracle.hasSign()) {
            ASSERT_EQ(ShortestOf(format, B(bits | oracle.signBit())).value_or(""),
                      std::string("-") + *text);
        }

        const Decimal& d = reading.typed.value;
        const BigUnsigned digits = BigUnsigned::FromDecimal(d.digits);
        const int count = static_cast<int>(d.digits.size());
        const int t = static_cast<int>(d.scale);
        const Oracle::Interval interval = oracle.IntervalAt(i);
        const auto inside = [&](const BigUnsigned& c, int j) {
            const int low = interval.lower.IsZero() ? 1 : compare(c, j, interval.lower);
            const int high = compare(c, j, interval.upper);
            return (low > 0 || (low == 0 && interval.lowerIncluded)) &&
                   (high < 0 || (high == 0 && interval.upperIncluded));
        };
        ASSERT_TRUE(inside(digits, t)) << *text;

        // The multiples of 10^j nearest to the number, floor(v / 10^j) and
        // the next: if any decimal with fewer digits lies in the interval,
        // one of these does at some j; and of those with as many digits, at
        // j = t, the shortest is the nearer of the two.
        const BigUnsigned v = m[i] << kFineBits;
        const auto significantDigits = [](const BigUnsigned& c) {
            const std::string text = c.ToDecimal();
            return static_cast<int>(text.find_last_not_of('0') + 1);
        };
        for (int j = t - 1; j <= t + count + 1; ++j) {
            BigUnsigned numerator = v;
            BigUnsigned denominator(1);
            if (unit >= 0) {
                numerator <<= unit;
            } else {
                denominator <<= -unit;
            }
            if (j >= 0) {
                denominator = denominator * BigUnsigned::Power(10, j);
            } else {
                numerator = numerator * BigUnsigned::Power(10, -j);
            }
            BigUnsigned below, rest;
            DivMod(numerator, denominator, below, rest);
            const BigUnsigned above = below + BigUnsigned(1);
            for (const BigUnsigned& c : {below, above}) {
                if (c.IsZero() || significantDigits(c) >= count) continue;
                ASSERT_FALSE(inside(c, j))
                    << *text << " while " << c.ToDecimal() << "e" << j << " reads back";
            }
            if (j != t) continue;
            ASSERT_TRUE(digits == below || digits == above) << *text;
            const BigUnsigned& other = digits == below ? above : below;
            if (other.IsZero() || !inside(other, t)) continue;
            // (below + above) * 10^t against 2v: the midpoint of the two.
            const int midpoint = compare(below + above, t, v << 1);
            if (midpoint == 0) {
                ASSERT_EQ((d.digits.back() - '0') % 2, 0) << *text;
            } else {
                ASSERT_EQ(digits == below, midpoint > 0) << *text;
            }
        }
    }
}

// The interval of each finite non-zero magnitude is the oracle's.
TEST_P(SmallFormatTest, IntervalsAreTheMidpointsToTheNeighbours) {
    const Oracle& oracle = OracleOf(GetParam());
    const FloatFormat format = Format();
    const int unit = oracle.unitExponent() - kFineBits;
    const std::vector<BigUnsigned>& m = oracle.magnitudes();
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (m[i].IsZero()) continue;
        const std::uint32_t bits = oracle.positivePatterns()[i];
        SCOPED_TRACE(Hex(bits));
        const std::optional<FormatInterval> got = IntervalOf(format, B(bits));
        ASSERT_TRUE(got.has_value());
        const Oracle::Interval want = oracle.IntervalAt(i);
        EXPECT_EQ(Text(got->lower), Text(DecimalOf(false, want.lower, unit)));
        EXPECT_EQ(Text(got->upper), Text(DecimalOf(false, want.upper, unit)));
        EXPECT_EQ(got->lowerIncluded, want.lowerIncluded);
        EXPECT_EQ(got->upperIncluded, want.upperIncluded);
        if (oracle.hasSign()) {
            const std::optional<FormatInterval> negative =
                IntervalOf(format, B(bits | oracle.signBit()));
            ASSERT_TRUE(negative.has_value());
            Decimal mirrored = got->upper;
            mirrored.negative = true;
            EXPECT_EQ(Text(negative->lower), Text(mirrored));
            EXPECT_EQ(negative->upperIncluded, got->lowerIncluded);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPattern, SmallFormatTest, ::testing::ValuesIn(kSmallFormats),
                         [](const ::testing::TestParamInfo<SmallFormat>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zelquin::explain
