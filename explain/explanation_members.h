// The explanation record's members, listed once: the JSON writer writes them
// in this order under these names, the record is reset from this list (and
// the list of its workings, which are not written) before it is filled again,
// and the tests write the same object with a JSON library from it.
#pragma once

#include <tuple>

#include "explanation.h"

namespace zelquin::explain {

template <typename T>
struct Member {
    const char* name;
    T Explanation::*field;
};

template <typename T>
struct Working {
    T Explanation::*field;
};

inline constexpr auto kExplanationMembers = std::tuple{
    Member<Command>{"command", &Explanation::command},
    Member<std::u16string>{"text", &Explanation::text},
    Member<std::size_t>{"textUnits", &Explanation::textUnits},
    Member<std::string>{"result", &Explanation::result},
    Member<FloatFormat>{"format", &Explanation::layout},
    Member<Hex>{"hex", &Explanation::hex},
    Member<int>{"sign", &Explanation::sign},
    Member<int>{"exponentField", &Explanation::exponentField},
    Member<Hex>{"fraction", &Explanation::fraction},
    Member<FormatClass>{"class", &Explanation::numberClass},
    Member<Nullable<int>>{"exponent", &Explanation::exponent},
    Member<Nullable<std::string>>{"exact", &Explanation::exact},
    Member<Nullable<Integer>>{"integer", &Explanation::integer},
    Member<Nullable<std::string>>{"typed", &Explanation::typed},
    Member<Nullable<std::string>>{"difference", &Explanation::difference},
    Member<bool>{"truncated", &Explanation::truncated},
    Member<bool>{"noNumber", &Explanation::noNumber},
    Member<bool>{"textAfterIgnored", &Explanation::textAfterIgnored},
    Member<bool>{"overflowed", &Explanation::overflowed},
    Member<bool>{"wrapped", &Explanation::wrapped},
    Member<Nullable<Hex>>{"quietedFrom", &Explanation::quietedFrom},
    Member<Nullable<Hex>>{"narrowedFrom", &Explanation::narrowedFrom},
    Member<std::string>{"shortest", &Explanation::shortest},
    Member<Nullable<Hex>>{"nearest", &Explanation::nearest},
    Member<Nullable<bool>>{"nearestDiffers", &Explanation::nearestDiffers},
    Member<Nullable<std::string>>{"differsBecause", &Explanation::differsBecause},
    Member<Nullable<std::string>>{"ulps", &Explanation::ulps},
    Member<Nullable<Hex>>{"nextUp", &Explanation::nextUp},
    Member<Nullable<Hex>>{"nextDown", &Explanation::nextDown},
    Member<Nullable<std::string>>{"significand", &Explanation::significand},
    Member<Nullable<TextList>>{"differsAlsoBecause", &Explanation::differsAlsoBecause},
    Member<TextList>{"notes", &Explanation::notes},
    Member<Lines>{"lines", &Explanation::lines},
    Member<std::vector<BitEntry>>{"bits", &Explanation::bits},
    Member<Nullable<Entry>>{"nextUpEntry", &Explanation::nextUpEntry},
    Member<Nullable<Entry>>{"nextDownEntry", &Explanation::nextDownEntry},
    Member<Nullable<Entry>>{"nearestEntry", &Explanation::nearestEntry},
    Member<Nullable<std::string>>{"hexFloat", &Explanation::hexFloat},
    Member<Nullable<Interval>>{"interval", &Explanation::interval},
    Member<Nullable<std::string>>{"rounding", &Explanation::rounding},
    Member<Nullable<std::string>>{"overflow", &Explanation::overflow},
    Member<Nullable<TextList>>{"via", &Explanation::via},
    Member<Nullable<ViaSteps>>{"viaResult", &Explanation::viaResult},
    Member<const std::vector<LandmarkEntry>*>{"landmarks", &Explanation::landmarks},
    Member<std::vector<Entry>>{"landmarkEntries", &Explanation::landmarkEntries},
};

inline constexpr auto kExplanationWorkings = std::tuple{
    Working<const BinaryFormat*>{&Explanation::format},
    Working<FormatOption>{&Explanation::option},
    Working<bool>{&Explanation::refused},
    Working<bool>{&Explanation::wideInteger},
    Working<std::uint64_t>{&Explanation::binary64Bits},
    Working<const char*>{&Explanation::noDifference},
    Working<Decimal>{&Explanation::exactValue},
    Working<TypedDecimal>{&Explanation::typedValue},
    Working<Decimal>{&Explanation::differenceValue},
};

// Calls visit(member) for each member, in order.
template <typename Visit>
void ForEachMember(Visit&& visit) {
    std::apply([&visit](const auto&... member) { (visit(member), ...); }, kExplanationMembers);
}

template <typename Visit>
void ForEachWorking(Visit&& visit) {
    std::apply([&visit](const auto&... working) { (visit(working), ...); }, kExplanationWorkings);
}

// Each kind of member back to its default, keeping its storage.
template <typename T>
void Clear(T& value) {
    value = T{};
}
inline void Clear(const BinaryFormat*& value) { value = &kBinary32; }
inline void Clear(std::string& value) { value.clear(); }
inline void Clear(std::u16string& value) { value.clear(); }
inline void Clear(TextList& value) { value.clear(); }
inline void Clear(Lines& value) { value.clear(); }
inline void Clear(std::vector<BitEntry>& value) { value.clear(); }
inline void Clear(std::vector<Entry>& value) { value.clear(); }
inline void Clear(ViaSteps& value) {
    value.steps.clear();
    value.once = Hex{};
    value.differs = false;
}
inline void Clear(Interval& value) {
    value.lower.present = false;
    value.lower.value.clear();
    value.lowerIncluded = false;
    value.upper.present = false;
    value.upper.value.clear();
    value.upperIncluded = false;
}
inline void Clear(Decimal& value) {
    value.negative = false;
    value.digits.clear();
    value.scale = 0;
}
inline void Clear(TypedDecimal& value) {
    Clear(value.value);
    value.hugeExponent = false;
    value.scientificExponentNegative = false;
    value.scientificExponent.clear();
}
template <typename T>
void Clear(Nullable<T>& value) {
    value.present = false;
    Clear(value.value);
}

}  // namespace zelquin::explain
