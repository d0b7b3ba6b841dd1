// The synchronisation of the two fields, on a simulated window whose field
// replacement reports the change synchronously, as the platforms do.
#include "field_sync.h"

#include <gtest/gtest.h>

#include <string>

#include "window_edit_cases.h"

namespace zelquin {
namespace {

using window_cases::Action;

// Two fields and a check box. Every change of a field's text, by the user or
// by the program, notifies OnFieldChanged at once.
struct SimulatedWindow {
    std::u16string text[3];  // indexed by field identifier 1 and 2
    bool checked = false;
    int conversions = 0;
    int notifications = 0;

    void SetText(int id, std::u16string newText) {
        text[id] = std::move(newText);
        Notify(id);
    }

    void Notify(int id) {
        ++notifications;
        const bool converted = OnFieldChanged(
            id,
            [&](int field, char16_t* buffer, std::size_t capacity) {
                const std::u16string& t = text[field];
                const std::size_t n = t.size() < capacity - 1 ? t.size() : capacity - 1;
                t.copy(buffer, n);
                return n;
            },
            [&] { return checked; },
            [&](int field, const char16_t* replacement) { SetText(field, replacement); });
        if (converted) ++conversions;
    }

    void Apply(const window_cases::Step& step) {
        switch (step.action) {
            case Action::TypePattern:
            case Action::TypeValue: {
                const int id = step.action == Action::TypePattern ? kPatternFieldId : kValueFieldId;
                for (char16_t unit : step.text) SetText(id, text[id] + unit);
                break;
            }
            case Action::ErasePattern:
                SetText(kPatternFieldId, u"");
                break;
            case Action::EraseValue:
                SetText(kValueFieldId, u"");
                break;
            case Action::PastePattern:
                SetText(kPatternFieldId, step.text);
                break;
            case Action::PasteValue:
                SetText(kValueFieldId, step.text);
                break;
            case Action::ToggleDouble:
                checked = !checked;
                break;
        }
    }
};

class FieldSync : public ::testing::TestWithParam<window_cases::EditCase> {};

TEST_P(FieldSync, EditsLeaveTheExpectedTexts) {
    SimulatedWindow window;
    for (const auto& step : GetParam().steps) window.Apply(step);
    EXPECT_EQ(window.text[kPatternFieldId], GetParam().pattern);
    EXPECT_EQ(window.text[kValueFieldId], GetParam().value);
    EXPECT_EQ(window.checked, GetParam().treatAsDouble);
    EXPECT_EQ(*FieldGuard(kPatternFieldId), 0);
    EXPECT_EQ(*FieldGuard(kValueFieldId), 0);
}

INSTANTIATE_TEST_SUITE_P(EditCases, FieldSync, ::testing::ValuesIn(window_cases::EditCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FieldSync, EachEditConvertsExactlyOnce) {
    SimulatedWindow window;
    window.SetText(kValueFieldId, u"1");
    EXPECT_EQ(window.conversions, 1);
    EXPECT_EQ(window.notifications, 2);  // the edit and the replacement's own report
    window.SetText(kPatternFieldId, u"0x40000000");
    EXPECT_EQ(window.conversions, 2);
    EXPECT_EQ(window.text[kValueFieldId], u"2.000000");
}

TEST(FieldSync, OtherControlsAndGuardedFieldsAreIgnored) {
    int reads = 0;
    const auto read = [&](int, char16_t*, std::size_t) {
        ++reads;
        return std::size_t{0};
    };
    const auto option = [] { return false; };
    const auto replace = [](int, const char16_t*) { FAIL() << "nothing may be replaced"; };
    EXPECT_FALSE(OnFieldChanged(kDoubleOptionId, read, option, replace));
    EXPECT_FALSE(OnFieldChanged(0, read, option, replace));
    *FieldGuard(kValueFieldId) = 1;
    EXPECT_FALSE(OnFieldChanged(kValueFieldId, read, option, replace));
    *FieldGuard(kValueFieldId) = 0;
    EXPECT_EQ(reads, 0);
}

TEST(FieldSync, GuardIsSetOnlyAroundTheReplacement) {
    std::uint8_t seenDuring = 0;
    const bool converted = OnFieldChanged(
        kPatternFieldId,
        [](int, char16_t*, std::size_t) {
            EXPECT_EQ(*FieldGuard(kValueFieldId), 0);
            return std::size_t{0};
        },
        [] { return false; },
        [&](int id, const char16_t* text) {
            EXPECT_EQ(id, kValueFieldId);
            EXPECT_EQ(std::u16string(text), u"0.000000");
            seenDuring = *FieldGuard(kValueFieldId);
        });
    EXPECT_TRUE(converted);
    EXPECT_EQ(seenDuring, 1);
    EXPECT_EQ(*FieldGuard(kValueFieldId), 0);
}

TEST(FieldSync, AReaderThatOverfillsIsStillCutTo199Units) {
    std::u16string received;
    OnFieldChanged(
        kValueFieldId,
        [](int, char16_t* buffer, std::size_t capacity) {
            for (std::size_t i = 0; i < capacity; ++i) buffer[i] = u'1';
            return capacity;  // claims 200 units
        },
        [] { return true; }, [&](int, const char16_t* text) { received = text; });
    // 199 ones overflow binary64 (about 1.1e198 is finite; 200 ones too): the
    // 199-unit prefix is what was read.
    EXPECT_EQ(received, ValueToPatternText(std::u16string(199, u'1'), FormatOption::TreatAsDouble));
}

}  // namespace
}  // namespace zelquin
