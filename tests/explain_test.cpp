// The explanation's fast forms against their references: the base 10^9 limbs
// against the big integers, the exact values, the shortest texts, the
// subtraction, the units in the last place and the nearest check against the
// plain big-integer algorithms, the JSON writer against a JSON library, and a
// record used again against a fresh one.

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "big_unsigned.h"
#include "correct_rounding.h"
#include "decimal_limbs.h"
#include "exact_decimal.h"
#include "exact_decimal_reference.h"
#include "explanation.h"
#include "explanation_members.h"

namespace zelquin::explain {
namespace {

using exact::BigUnsigned;

std::string DigitsOf(const DecimalLimbs& x) {
    std::string text;
    AppendDigits(x, DigitCount(x), 0, text);
    return text.empty() ? "0" : text;
}

::testing::AssertionResult SameDecimal(const Decimal& fast, const Decimal& reference) {
    if (fast.negative == reference.negative && fast.digits == reference.digits &&
        fast.scale == reference.scale)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << (fast.negative ? "-" : "+") << fast.digits << "e" << fast.scale << " against "
           << (reference.negative ? "-" : "+") << reference.digits << "e" << reference.scale;
}

// A random pattern of the format, finite or not, with the exponent field
// drawn uniformly so that subnormals and the ends of the range come often.
std::uint64_t RandomPattern(std::mt19937_64& rng, const BinaryFormat& format) {
    const std::uint64_t field = rng() % static_cast<std::uint64_t>(format.MaxExponentField() + 1);
    std::uint64_t fraction = rng() & format.FractionMask();
    if (rng() % 8 == 0) fraction &= ~(format.FractionMask() >> (rng() % format.fractionBits));
    return (rng() % 2 == 0 ? format.SignBit() : 0) | field << format.fractionBits | fraction;
}

Decimal RandomDecimal(std::mt19937_64& rng, int maxDigits, int maxScale) {
    Decimal d;
    const int count = static_cast<int>(rng() % static_cast<std::uint64_t>(maxDigits + 1));
    for (int i = 0; i < count; ++i) {
        // Runs of nines and zeros make the carries long.
        const int kind = static_cast<int>(rng() % 4);
        d.digits += kind == 0 ? '9' : kind == 1 ? '0' : static_cast<char>('0' + rng() % 10);
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    const std::size_t first = d.digits.find_first_not_of('0');
    d.digits.erase(0, first == std::string::npos ? d.digits.size() : first);
    d.negative = rng() % 2 == 0;
    d.scale =
        static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(2 * maxScale + 1)) - maxScale;
    if (d.digits.empty()) d.scale = 0;
    return d;
}

TEST(DecimalLimbsTest, PowersProductsAndDigitsAgreeWithBigIntegers) {
    std::mt19937_64 rng(11);
    for (int n = 0; n <= kMaxTabledPower; n += 1 + static_cast<int>(rng() % 7)) {
        const std::uint64_t factor = rng() % 1000000000000000000u;
        DecimalLimbs two, five;
        ASSERT_TRUE(SetPowerOfTwo(two, n, factor));
        ASSERT_TRUE(SetPowerOfFive(five, n, factor));
        EXPECT_EQ(DigitsOf(two), ((BigUnsigned(1) << n) * BigUnsigned(factor)).ToDecimal()) << n;
        EXPECT_EQ(DigitsOf(five), (BigUnsigned::Power(5, n) * BigUnsigned(factor)).ToDecimal())
            << n;

        // Every digit place, the high and low parts at a random place.
        const std::string digits = DigitsOf(five);
        const int count = DigitCount(five);
        ASSERT_EQ(count, factor == 0 ? 0 : static_cast<int>(digits.size()));
        if (count == 0) continue;
        EXPECT_EQ(TrailingZeros(five),
                  static_cast<int>(digits.size() - 1 - digits.find_last_not_of('0')));
        const int place = static_cast<int>(rng() % static_cast<std::uint64_t>(count));
        EXPECT_EQ(DigitAt(five, place), digits[digits.size() - 1 - place] - '0');
        DecimalLimbs low;
        LowDigits(five, place, low);
        const std::string lowText = digits.substr(digits.size() - place);
        EXPECT_EQ(DigitsOf(low), BigUnsigned::FromDecimal(lowText).ToDecimal());
        EXPECT_EQ(LowDigitsZero(five, place), lowText.find_first_not_of('0') == std::string::npos);
        if (count - place <= 18) {
            EXPECT_EQ(HighDigits(five, place),
                      std::stoull(digits.substr(0, digits.size() - place)));
        }
        std::string slice;
        const int top = count + static_cast<int>(rng() % 12);
        AppendDigits(five, top, place, slice);
        EXPECT_EQ(slice, std::string(static_cast<std::size_t>(top - count), '0') +
                             digits.substr(0, digits.size() - place));
    }
}

TEST(DecimalLimbsTest, ReportsWhatDoesNotFit) {
    DecimalLimbs x;
    ASSERT_TRUE(SetPowerOfFive(x, kMaxTabledPower));
    EXPECT_FALSE(MultiplyByPowerOfFive(x, 1000));
    ASSERT_TRUE(FromDigits(x, std::string(kMaxLimbs * kLimbDigits, '9')));
    DecimalLimbs one;
    SetSmall(one, 1);
    EXPECT_FALSE(Add(x, one));
    EXPECT_FALSE(FromDigits(x, std::string(kMaxLimbs * kLimbDigits + 1, '1')));
}

TEST(ExactDecimalTest, BinaryToDecimalAgreesWithTheReference) {
    std::mt19937_64 rng(12);
    for (int i = 0; i < 3000; ++i) {
        const bool negative = rng() % 2 == 0;
        const std::uint64_t m = rng() >> (rng() % 64);
        const int e = static_cast<int>(rng() % 2300) - 1150;
        EXPECT_TRUE(
            SameDecimal(BinaryToDecimal(negative, m, e), BinaryToDecimalReference(negative, m, e)))
            << m << " * 2^" << e;
    }
}

TEST(ExactDecimalTest, SubtractAgreesWithTheReference) {
    std::mt19937_64 rng(13);
    for (int i = 0; i < 20000; ++i) {
        Decimal a = RandomDecimal(rng, 40, 60);
        Decimal b = rng() % 8 == 0 ? a : RandomDecimal(rng, 40, 60);
        if (rng() % 8 == 0) b.negative = !b.negative;
        if (rng() % 4 == 0) b.scale = a.scale + static_cast<std::int64_t>(rng() % 5) - 2;
        if (b.digits.empty()) b.scale = 0;
        EXPECT_TRUE(SameDecimal(Subtract(a, b), SubtractReference(a, b)))
            << FormatDecimal(a) << " - " << FormatDecimal(b);
    }
}

TEST(CorrectRoundingTest, ShortestTextAgreesWithTheReference) {
    std::mt19937_64 rng(14);
    std::vector<std::pair<std::uint64_t, const BinaryFormat*>> cases;
    for (const BinaryFormat* format : {&kBinary32, &kBinary64}) {
        // The ends of the ranges, the binades' lowest numbers (narrow below)
        // and their neighbours, and random patterns.
        for (std::uint64_t bits : {std::uint64_t{1}, std::uint64_t{2}, format->FractionMask(),
                                   format->ImplicitBit(), format->Infinity() - 1})
            cases.emplace_back(bits, format);
        for (int field = 1; field < format->MaxExponentField(); field += 7) {
            const std::uint64_t lowest = static_cast<std::uint64_t>(field) << format->fractionBits;
            for (std::uint64_t bits : {lowest, lowest + 1, lowest - 1})
                cases.emplace_back(bits, format);
        }
        for (int i = 0; i < 4000; ++i) cases.emplace_back(RandomPattern(rng, *format), format);
    }
    // Doubles whose shortest texts sit on powers of ten.
    for (std::uint64_t bits : {0x44b52d02c7e14af6u, 0x44b52d02c7e14af7u, 0x3ff0000000000000u,
                               0x4415af1d78b58c40u, 0x3f1a36e2eb1c432du, 0x7fefffffffffffffu})
        cases.emplace_back(bits, &kBinary64);
    for (const auto& [bits, format] : cases) {
        EXPECT_EQ(ShortestText(bits, *format), ShortestTextReference(bits, *format))
            << format->name << " 0x" << std::hex << bits;
    }
}

// A difference of exactly (2h + 1) / 2 hundredths of the unit 2^u: a tie.
Decimal HalfwayDifference(bool negative, std::uint64_t h, int u) {
    Decimal d = BinaryToDecimalReference(negative, 2 * h + 1, u - 1);
    d.scale -= 2;
    return d;
}

TEST(CorrectRoundingTest, UnitsInLastPlaceAgreeWithTheReference) {
    std::mt19937_64 rng(15);
    for (int i = 0; i < 4000; ++i) {
        const int u = static_cast<int>(rng() % 2200) - 1100;
        Decimal difference;
        switch (i % 3) {
            case 0:
                difference = RandomDecimal(rng, 30, 400);
                break;
            case 1:
                difference = HalfwayDifference(rng() % 2 == 0, rng() % 1000, u);
                break;
            default:
                // Near the unit itself: its exact value, cut or raised.
                difference = BinaryToDecimalReference(rng() % 2 == 0, 1 + rng() % 300, u);
                if (!difference.digits.empty() && rng() % 2 == 0) difference.digits.back() = '9';
        }
        std::string fast;
        AppendUnitsInLastPlace(difference, u, fast);
        EXPECT_EQ(fast, UnitsInLastPlaceReference(difference, u))
            << FormatDecimal(difference) << " in units of 2^" << u;
    }
}

// The typed number a few quarters of a unit away from a stored one, exactly on
// a midpoint or just beside it, checked against the full nearest search.
TEST(CorrectRoundingTest, StoredIsNearestAgreesWithTheSearch) {
    std::mt19937_64 rng(16);
    int checked = 0;
    for (int i = 0; i < 4000; ++i) {
        const BinaryFormat& format = i % 2 == 0 ? kBinary32 : kBinary64;
        std::uint64_t bits = RandomPattern(rng, format);
        if (i % 5 == 0) bits &= ~format.FractionMask();  // the lowest of a binade
        const BinaryFields f = SplitFields(bits, format);
        if (f.exponentField == format.MaxExponentField() || (bits & ~format.SignBit()) == 0)
            continue;
        const std::uint64_t m =
            f.exponentField == 0 ? f.fraction : f.fraction | format.ImplicitBit();
        const int e =
            format.SubnormalUnitExponent() + (f.exponentField == 0 ? 0 : f.exponentField - 1);
        const Decimal exact = BinaryToDecimalReference(f.negative, m, e);
        // offset = k quarter units, and one unit of the last typed digit more
        // or less.
        const int k = static_cast<int>(rng() % 9) - 4;
        Decimal offset =
            BinaryToDecimalReference(k < 0, static_cast<std::uint64_t>(k < 0 ? -k : k), e - 2);
        if (rng() % 3 != 0) {
            Decimal nudge;
            nudge.negative = rng() % 2 == 0;
            nudge.digits.assign(1, '1');
            nudge.scale = (offset.digits.empty() ? exact.scale : offset.scale) - 3;
            offset = Subtract(offset, nudge);
        }
        Decimal minusOffset = offset;
        minusOffset.negative = !offset.negative;
        const Decimal typed = Subtract(exact, minusOffset);
        if (typed.digits.empty()) continue;
        const Decimal difference = Subtract(typed, exact);
        Hundredths h;
        if (!HundredthsOfUnit(difference, e, h)) continue;
        const bool narrowBelow = m == format.ImplicitBit() && e > format.SubnormalUnitExponent();
        const bool fast =
            difference.digits.empty() ||
            StoredIsNearest(h, difference.negative == f.negative, (m & 1) == 0, narrowBelow);
        EXPECT_EQ(fast, NearestPattern(typed, false, false, format, bits) == bits)
            << format.name << " 0x" << std::hex << bits << " typed " << FormatDecimal(typed);
        ++checked;
    }
    EXPECT_GT(checked, 2000);
}

// The JSON object as the JSON library writes it from the record's list of
// members: each kind of member as the library makes it.
using Json = nlohmann::ordered_json;

Json ToJson(Command command) { return CommandName(command); }
Json ToJson(const std::u16string& text) { return Utf8FromUtf16(text); }
Json ToJson(std::size_t value) { return value; }
Json ToJson(int value) { return value; }
Json ToJson(bool value) { return value; }
Json ToJson(const std::string& text) { return text; }
Json ToJson(const FloatFormat& format) { return format.name; }
Json ToJson(const Hex& hex) {
    return hex.bitCount <= 64
               ? FullHex(hex.bits, hex.bitCount)
               : FullHex(hex.high, hex.bitCount - 64) + FullHex(hex.bits, 64).substr(2);
}
Json ToJson(FormatClass numberClass) { return FormatClassName(numberClass); }
Json ToJson(const Integer& integer) {
    if (integer.high == 0) return IntegerHex(integer.value);
    std::string high = IntegerHex(integer.high);
    return high + FullHex(integer.value, 64).substr(2);
}
Json ToJson(const TextList& list) {
    Json j = Json::array();
    for (std::size_t i = 0; i < list.size(); ++i) j.push_back(std::string(list[i]));
    return j;
}
Json ToJson(const Lines& lines) {
    Json j = Json::array();
    for (std::size_t i = 0; i < lines.size(); ++i)
        j.push_back(Json::array({std::string(lines.labels[i]), std::string(lines.texts[i])}));
    return j;
}
void AddEntry(Json& j, const Entry& entry) {
    if (entry.field == EntryField::None) {
        j["field"] = nullptr;
        j["reason"] = entry.reason;
    } else {
        j["field"] = std::string(EntryFieldName(entry.field));
        j["text"] = std::string(entry.Text());
    }
}
Json ToJson(const Entry& entry) {
    Json j = Json::object();
    AddEntry(j, entry);
    return j;
}
Json ToJson(const std::vector<BitEntry>& bits) {
    Json j = Json::array();
    for (const BitEntry& bit : bits) {
        Json b = Json::object();
        b["role"] = std::string(kBitRoles[static_cast<int>(bit.role)].name);
        AddEntry(b, bit.entry);
        j.push_back(b);
    }
    return j;
}
Json ToJson(const Interval& interval);
Json ToJson(const ViaSteps& via);
Json ToJson(const std::vector<Entry>& entries);
template <typename T>
Json ToJson(const Nullable<T>& value) {
    return value ? ToJson(*value) : Json(nullptr);
}
Json ToJson(const std::vector<Entry>& entries) {
    Json j = Json::array();
    for (const Entry& entry : entries) j.push_back(ToJson(entry));
    return j;
}
Json ToJson(const Interval& interval) {
    Json j = Json::object();
    j["lower"] = ToJson(interval.lower);
    j["lowerIncluded"] = interval.lowerIncluded;
    j["upper"] = ToJson(interval.upper);
    j["upperIncluded"] = interval.upperIncluded;
    return j;
}
Json ToJson(const ViaSteps& via) {
    Json j = Json::object();
    j["steps"] = ToJson(via.steps);
    j["once"] = ToJson(via.once);
    j["differs"] = via.differs;
    return j;
}
Json ToJson(const std::vector<LandmarkEntry>* landmarks) {
    Json j = Json::array();
    if (landmarks == nullptr) return j;
    for (const LandmarkEntry& mark : *landmarks) {
        Json m = Json::object();
        m["name"] = std::string(mark.name);
        m["hex"] = ToJson(mark.hex);
        m["value"] = ToJson(mark.value);
        j.push_back(m);
    }
    return j;
}

std::string ReferenceJson(const Explanation& e) {
    Json j = Json::object();
    ForEachMember([&](const auto& member) { j[member.name] = ToJson(e.*(member.field)); });
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Texts of every kind: numbers, notes, characters JSON escapes, text outside
// ASCII and lone surrogates, long texts.
std::u16string RandomText(std::mt19937_64& rng) {
    static const std::u16string kPieces[] = {
        u"0x3f800000",
        u"0.1",
        u"-2.5e-3",
        u"1e39",
        u"1e-45",
        u"9007199254740995",
        u"0x7ff0000000000001",
        u"-1",
        u" ",
        u"\t",
        u"\"",
        u"\\",
        u"\x01",
        u"\x1f",
        u"\x7f",
        u"\u00e9",
        u"\u3000",
        u"\u2028",
        u"\U0001F600",
        u"\xD800",
        u"\xDC00",
        u"e",
        u".",
        u"5",
        u"123456789012345678901234567890",
    };
    std::u16string text;
    const int count = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < count; ++i) text += kPieces[rng() % std::size(kPieces)];
    if (rng() % 16 == 0) text.append(200, u'7');
    return text;
}

TEST(ExplanationTest, JsonAgreesWithAJsonLibraryAndAReusedRecordWithAFreshOne) {
    std::mt19937_64 rng(17);
    Explanation reused;
    for (int i = 0; i < 3000; ++i) {
        std::u16string text = RandomText(rng);
        const std::size_t units = text.size();
        if (text.size() > kFieldUnitsConverted) text.resize(kFieldUnitsConverted);
        const Command command = rng() % 2 == 0 ? Command::Pattern : Command::Value;
        const FormatOption option = static_cast<FormatOption>(rng() % 3);
        const Explanation fresh = Explain(command, text, units, option);
        Explain(command, text, units, option, reused);
        const std::string json = ExplanationJson(fresh);
        EXPECT_EQ(json, ReferenceJson(fresh));
        EXPECT_LE(json.size(), ExplanationJsonRoom(fresh));
        EXPECT_EQ(ExplanationJson(reused), json);
        EXPECT_EQ(ExplanationText(reused), ExplanationText(fresh));
    }
    EXPECT_EQ(NotConvertedJson(Command::Value, "not valid UTF-8 at byte 3"),
              R"({"command":"value","error":"not valid UTF-8 at byte 3"})");
}

// The interval of a binary32 or binary64 that the record works out from the
// limbs is the registry's, by big integers, for finite numbers of every kind.
TEST(ExplanationTest, TheIntervalOfBinary32AndBinary64IsTheRegistrys) {
    std::mt19937_64 rng(19);
    for (int i = 0; i < 3000; ++i) {
        const bool binary64 = i % 2 == 0;
        const BinaryFormat& format = FormatOf(binary64);
        std::uint64_t bits = RandomPattern(rng, format);
        if (i % 7 == 0) bits &= ~format.FractionMask();  // a binade's lowest, narrow below
        if (i % 11 == 0) bits = format.Infinity() - 1 - (rng() % 3);  // the largest finite
        const std::string hex = FullHex(bits, format.TotalBits());
        const Explanation e =
            Explain(Command::Pattern, std::u16string(hex.begin(), hex.end()), hex.size(),
                    binary64 ? FormatOption::Binary64 : FormatOption::Binary32);
        const std::optional<FormatInterval> want =
            IntervalOf(*FindFormat(format.name), Bits128{0, e.hex.bits});
        ASSERT_EQ(e.interval.present, want.has_value()) << hex;
        if (!want) continue;
        const Interval& got = *e.interval;
        EXPECT_EQ(got.lower ? *got.lower : "-",
                  want->lowerUnbounded ? "-" : FormatDecimal(want->lower))
            << hex;
        EXPECT_EQ(got.upper ? *got.upper : "+",
                  want->upperUnbounded ? "+" : FormatDecimal(want->upper))
            << hex;
        EXPECT_EQ(got.lowerIncluded, want->lowerIncluded) << hex;
        EXPECT_EQ(got.upperIncluded, want->upperIncluded) << hex;
    }
}

// Where a flipped bit or a neighbour is entered: the pattern field's text
// when that field reads it as the number under the check box (with the box
// set, the upper half of a binary64 whose lower half is zero); else, with the
// box set, a binary64 as a decimal for the Float field; else no field, and
// why.
struct EntryCase {
    const char* name;
    std::uint64_t bits;
    bool binary64;
    bool treatAsDouble;
    EntryField field;
    const char* text;  // the text, or a part of the reason
};

constexpr EntryCase kEntryCases[] = {
    {"binary32", 0x3f800000, false, false, EntryField::Pattern, "0x3f800000"},
    {"binary32 zero", 0, false, false, EntryField::Pattern, "0x00000000"},
    {"binary32 under the check box", 0x3f800000, false, true, EntryField::None,
     "both fields give a binary64"},
    {"binary64 above 32 bits", 0x3ff0000000000000, true, false, EntryField::Pattern,
     "0x3ff0000000000000"},
    {"binary64 of 33 bits", 0x100000000, true, false, EntryField::Pattern, "0x0000000100000000"},
    {"binary64 within 32 bits", 0xffffffff, true, false, EntryField::None,
     "reads a binary64 whose upper 32 bits are zero as a binary32"},
    {"binary64 zero", 0, true, false, EntryField::None, "upper 32 bits are zero"},
    {"binary64 upper half under the check box", 0xbff0000000000000, true, true, EntryField::Pattern,
     "0xbff00000"},
    {"binary64 zero under the check box", 0, true, true, EntryField::Pattern, "0x00000000"},
    {"binary64 lower half under the check box", 0x3ff0000000000001, true, true, EntryField::Value,
     "1.0000000000000002"},
    {"binary64 NaN with a lower half under the check box", 0x7ff0000000000001, true, true,
     EntryField::None, "no decimal gives an infinity or a NaN"},
};

TEST(ExplanationTest, EntriesNameTheFieldThatTakesTheNumber) {
    for (const EntryCase& c : kEntryCases) {
        const BinaryFormat& format = FormatOf(c.binary64);
        const Entry entry = EntryFor(c.bits, format, c.treatAsDouble);
        EXPECT_EQ(entry.field, c.field) << c.name;
        if (entry.field == EntryField::None) {
            EXPECT_NE(std::string_view(entry.reason).find(c.text), std::string_view::npos)
                << c.name << ": " << entry.reason;
            continue;
        }
        EXPECT_EQ(entry.Text(), c.text) << c.name;
        // Typed into that field under that box, the text gives the number back.
        const std::u16string typed(entry.Text().begin(), entry.Text().end());
        const Explanation e =
            Explain(entry.field == EntryField::Value ? Command::Value : Command::Pattern, typed,
                    typed.size(), CheckBoxOption(c.treatAsDouble));
        EXPECT_EQ(e.hex.bits, c.bits) << c.name;
        EXPECT_EQ(e.format, &format) << c.name;
    }
}

// The record's entries of the bits and the neighbours are those of the
// flipped and the neighbouring patterns, however the record makes them.
TEST(ExplanationTest, TheRecordsEntriesAreThoseOfTheNumbersTheyEnter) {
    std::mt19937_64 rng(18);
    const auto same = [](const Entry& a, const Entry& b) {
        return a.field == b.field && a.Text() == b.Text() && a.reason == b.reason;
    };
    for (int i = 0; i < 400; ++i) {
        const bool binary64 = i % 2 == 0;
        std::uint64_t bits = RandomPattern(rng, FormatOf(binary64));
        if (binary64 && i % 8 == 0) bits &= (std::uint64_t{1} << (rng() % 64)) | 0xffffffffu;
        const bool treatAsDouble = rng() % 2 == 0;
        const std::string hex = FullHex(bits, 64);
        const std::u16string text(hex.begin(), hex.end());
        Explanation e = Explain(Command::Pattern, text, text.size(),
                                binary64 ? FormatOption::Binary64 : FormatOption::Binary32);
        SetEntries(e, treatAsDouble);
        ASSERT_EQ(e.bits.size(), static_cast<std::size_t>(e.format->TotalBits()));
        for (std::size_t bit = 0; bit < e.bits.size(); ++bit) {
            EXPECT_TRUE(same(e.bits[bit].entry, EntryFor(e.hex.bits ^ (std::uint64_t{1} << bit),
                                                         *e.format, treatAsDouble)))
                << FullHex(e.hex.bits, 64) << " bit " << bit;
        }
        for (const auto& [entry, number] :
             {std::pair(&e.nextUpEntry, &e.nextUp), std::pair(&e.nextDownEntry, &e.nextDown)}) {
            ASSERT_EQ(entry->present, number->present);
            if (*number) {
                EXPECT_TRUE(same(**entry, EntryFor((*number)->bits, *e.format, treatAsDouble)));
            }
        }
    }
}

}  // namespace
}  // namespace zelquin::explain
