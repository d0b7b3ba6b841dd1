// Names for the cases of parameterized tests, so that a test list and a
// failure name the input instead of its bytes. GoogleTest takes only ASCII
// letters, digits and underscores in a name, and a name used twice in one
// instantiation stops the test program as it starts.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace zelquin::test_names {

// The word for a unit that is not an ASCII letter or digit: a name for the
// few that numbers are written with, the code of any other.
inline std::string UnitWord(char16_t unit) {
    if (unit == u' ') return "space";
    if (unit == u'.') return "dot";
    if (unit == u'-') return "minus";
    if (unit == u'+') return "plus";
    char code[8];
    std::snprintf(code, sizeof code, "u%04X", static_cast<unsigned>(unit));
    return code;
}

// A text spelled in name characters: each run of ASCII letters and digits as
// it is, every other unit as its word, with an underscore between pieces.
// "-1.5E-3" gives "minus_1_dot_5E_minus_3", "\u00A03" gives "u00A0_3", and the
// empty text gives "empty".
inline std::string TextName(std::u16string_view text) {
    if (text.empty()) return "empty";
    std::string name;
    bool inRun = false;  // the last piece is a run of letters and digits
    for (const char16_t unit : text) {
        const bool alnum = (unit >= u'0' && unit <= u'9') || (unit >= u'A' && unit <= u'Z') ||
                           (unit >= u'a' && unit <= u'z');
        if (!name.empty() && !(alnum && inRun)) name += '_';
        if (alnum) {
            name += static_cast<char>(unit);
        } else {
            name += UnitWord(unit);
        }
        inRun = alnum;
    }
    return name;
}

// "Binary64_0x7FF0000000000001".
inline std::string Binary64Name(std::uint64_t bits) {
    char name[32];
    std::snprintf(name, sizeof name, "Binary64_0x%016llX", static_cast<unsigned long long>(bits));
    return name;
}

// Name generators for INSTANTIATE_TEST_SUITE_P that name each case by members
// of its parameter: ByText(&ValueCase::value),
// ByText(&PatternCase::pattern, &PatternCase::treatAsDouble, "AsDouble") (the
// word is added when the flag is set), ByBinary64(&NarrowCase::binary64).
template <typename Case>
auto ByText(std::u16string Case::*text) {
    return
        [text](const ::testing::TestParamInfo<Case>& info) { return TextName(info.param.*text); };
}

template <typename Case>
auto ByText(std::u16string Case::*text, bool Case::*flag, std::string_view flagWord) {
    return [text, flag, flagWord](const ::testing::TestParamInfo<Case>& info) {
        std::string name = TextName(info.param.*text);
        if (info.param.*flag) name.append("_").append(flagWord);
        return name;
    };
}

template <typename Case>
auto ByBinary64(std::uint64_t Case::*bits) {
    return [bits](const ::testing::TestParamInfo<Case>& info) {
        return Binary64Name(info.param.*bits);
    };
}

}  // namespace zelquin::test_names
