// Edits of the window and the field texts they must leave behind. One table
// drives every window: the simulated one of the synchronisation tests, the
// Win32 window and the Qt window, so that all give the same texts for the
// same keystrokes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "conversion.h"
#include "field_sync.h"

namespace zelquin::window_cases {

// What the other field must show after field `fieldId` came to hold `text`:
// the conversion of its first 199 units.
inline std::u16string ExpectedOtherText(int fieldId, std::u16string_view text, bool treatAsDouble) {
    text = text.substr(0, kFieldUnitsConverted);
    return fieldId == kPatternFieldId ? PatternToValueText(text, CheckBoxOption(treatAsDouble))
                                      : ValueToPatternText(text, CheckBoxOption(treatAsDouble));
}

enum class Action {
    TypePattern,   // type the text into the pattern field, one unit at a time
    TypeValue,     // type the text into the value field, one unit at a time
    ErasePattern,  // delete the whole pattern field text at once
    EraseValue,    // delete the whole value field text at once
    PastePattern,  // replace the pattern field text with the text at once
    PasteValue,    // replace the value field text with the text at once
    ToggleDouble,  // click the "Treat as 'double'" check box
};

struct Step {
    Action action;
    std::u16string text;
};

struct EditCase {
    const char* name;
    std::vector<Step> steps;
    std::u16string pattern;  // pattern field text afterwards
    std::u16string value;    // value field text afterwards
    bool treatAsDouble;      // check box state afterwards
};

inline std::vector<EditCase> EditCases() {
    // 195 spaces and a pattern whose end lies beyond the 199th unit.
    const std::u16string longPattern = std::u16string(195, u' ') + u"0x40490fdb";
    // 198 ones and an exponent part that begins at the 199th unit.
    const std::u16string longValue = std::u16string(198, u'1') + u"e-400";
    return {
        {"TypingOneIntoValueGivesItsPattern",
         {{Action::TypeValue, u"1"}},
         u"0x3f800000",
         u"1",
         false},
        {"TypingPiPatternGivesItsValue",
         {{Action::TypePattern, u"0x40490fdb"}},
         u"0x40490fdb",
         u"3.141593",
         false},
        {"EveryKeystrokeConvertsThePrefix",
         {{Action::TypeValue, u"1.5"}},
         u"0x3fc00000",
         u"1.5",
         false},
        {"ErasingThePatternGivesZeroValue",
         {{Action::TypePattern, u"0x40490fdb"}, {Action::ErasePattern, u""}},
         u"",
         u"0.000000",
         false},
        {"ErasingTheValueGivesZeroPattern",
         {{Action::TypeValue, u"12"}, {Action::EraseValue, u""}},
         u"0",
         u"",
         false},
        {"TogglingTheOptionConvertsNothing",
         {{Action::TypeValue, u"1"}, {Action::ToggleDouble, u""}},
         u"0x3f800000",
         u"1",
         true},
        {"NextKeystrokeConvertsUnderTheNewOption",
         {{Action::TypeValue, u"1"}, {Action::ToggleDouble, u""}, {Action::TypeValue, u"5"}},
         u"0x402e000000000000",
         u"15",
         true},
        {"PatternUnderTheDoubleOptionIsTheUpperHalf",
         {{Action::ToggleDouble, u""}, {Action::TypePattern, u"0x3ff00000"}},
         u"0x3ff00000",
         u"1.000000",
         true},
        {"EditingTheOtherFieldTakesOver",
         {{Action::TypeValue, u"2"}, {Action::TypePattern, u"1"}},
         u"0x400000001",
         u"0.000000",
         false},
        {"LongPastedPatternConvertsItsFirst199Units",
         {{Action::PastePattern, longPattern}},
         longPattern,
         u"0.000000",
         false},
        {"LongPastedValueConvertsItsFirst199Units",
         {{Action::PasteValue, longValue}},
         u"0x7f800000",
         longValue,
         false},
        {"LongestValueTextIsWrittenWhole",
         {{Action::PastePattern, u"0xffefffffffffffff"}},
         u"0xffefffffffffffff",
         u"-17976931348623157" + std::u16string(292, u'0') + u".000000",
         false},
        {"NanPatternShowsTheSpecialText",
         {{Action::TypePattern, u"0xffc00000"}},
         u"0xffc00000",
         u"-1.#IND00",
         false},
    };
}

// The units of the random edits of the soak tests: both fields' grammars,
// white space, digits of other scripts and characters above U+00FF. The last
// one, a tab, cannot be typed into a single-line field but can be pasted.
inline constexpr std::u16string_view kSoakUnits =
    u"0123456789abcdefxXeEdD.+- \u00A0\u0660\u0669\uFF11\u20AC\u3000\t";

// A random unit of kSoakUnits; the tab only when pasted.
template <typename Random>
char16_t RandomSoakUnit(Random& rng, bool pasted) {
    return kSoakUnits[rng() % (pasted ? kSoakUnits.size() : kSoakUnits.size() - 1)];
}

}  // namespace zelquin::window_cases
