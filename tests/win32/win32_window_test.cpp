// The real Win32 main window, created by the start-up code of zelquin.exe and
// driven by sending the messages that keystrokes, pastes and clicks produce.
#include <gtest/gtest.h>

#include <cstdint>
#include <cwctype>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "control_table.h"
#include "field_sync.h"
#include "win32_main_window.h"
#include "window_edit_cases.h"

namespace zelquin::win32 {
namespace {

using window_cases::Action;

std::u16string WindowText(HWND hwnd) {
    std::vector<wchar_t> buffer(4096, L'\0');
    const int length = GetWindowTextW(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()),
                          length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::wstring ClassName(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetClassNameW(hwnd, buffer, 256);
    return buffer;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// Takes the quit message that the end of a main window posts off the queue
// and returns its exit code, or -1 if there is none.
int TakeQuitMessage() {
    MSG message;
    if (!PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return -1;
    return static_cast<int>(message.wParam);
}

// A main window as zelquin.exe starts it. Its end destroys it, takes the quit
// message off the queue and unregisters its class, so that the next one starts
// from scratch.
class LiveWindow {
  public:
    LiveWindow() : main_(StartMainWindow()) {}
    ~LiveWindow() {
        if (main_ != nullptr && IsWindow(main_)) {
            DestroyWindow(main_);
            TakeQuitMessage();
        }
        UnregisterClassW(kMainWindowClass, nullptr);
    }
    LiveWindow(const LiveWindow&) = delete;
    LiveWindow& operator=(const LiveWindow&) = delete;

    HWND main() const { return main_; }
    HWND control(int id) const { return GetDlgItem(main_, id); }
    std::u16string text(int id) const { return WindowText(control(id)); }
    bool checked() const { return IsDlgButtonChecked(main_, kDoubleOptionId) == BST_CHECKED; }

    void Apply(const window_cases::Step& step) const {
        switch (step.action) {
            case Action::TypePattern:
                Type(kPatternFieldId, step.text);
                break;
            case Action::TypeValue:
                Type(kValueFieldId, step.text);
                break;
            case Action::ErasePattern:
                Erase(kPatternFieldId);
                break;
            case Action::EraseValue:
                Erase(kValueFieldId);
                break;
            case Action::PastePattern:
                Paste(kPatternFieldId, step.text);
                break;
            case Action::PasteValue:
                Paste(kValueFieldId, step.text);
                break;
            case Action::ToggleDouble:
                SendMessageW(control(kDoubleOptionId), BM_CLICK, 0, 0);
                break;
        }
    }

  private:
    // The user puts the caret behind the field's text, then types.
    void Type(int id, const std::u16string& text) const {
        const HWND field = control(id);
        const LRESULT end = GetWindowTextLengthW(field);
        SendMessageW(field, EM_SETSEL, end, end);
        for (char16_t unit : text) SendMessageW(field, WM_CHAR, unit, 1);
    }

    void Erase(int id) const {
        const HWND field = control(id);
        SendMessageW(field, EM_SETSEL, 0, -1);
        SendMessageW(field, WM_CHAR, VK_BACK, 1);
    }

    // A paste replaces the whole text in one change. It is sent as WM_SETTEXT:
    // a real paste (EM_REPLACESEL) keeps only the units that fit in the
    // field's width, as the field does not scroll, and the table's long texts
    // would be cut. EM_REPLACESEL itself is tried with a text that fits below.
    void Paste(int id, const std::u16string& text) const {
        SendMessageW(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    HWND main_;
};

class Win32Window : public ::testing::TestWithParam<window_cases::EditCase> {};

TEST_P(Win32Window, EditsLeaveTheExpectedTexts) {
    const LiveWindow window;
    ASSERT_NE(window.main(), nullptr);
    for (const auto& step : GetParam().steps) window.Apply(step);
    EXPECT_EQ(window.text(kPatternFieldId), GetParam().pattern);
    EXPECT_EQ(window.text(kValueFieldId), GetParam().value);
    EXPECT_EQ(window.checked(), GetParam().treatAsDouble);
    EXPECT_EQ(*FieldGuard(kPatternFieldId), 0);
    EXPECT_EQ(*FieldGuard(kValueFieldId), 0);
}

INSTANTIATE_TEST_SUITE_P(EditCases, Win32Window, ::testing::ValuesIn(window_cases::EditCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Bits that the system adds to the styles given at creation, and only these,
// are ignored:
//   the main window: WS_CLIPSIBLINGS (every overlapped window has it),
//     WS_VISIBLE (from ShowWindow), and WS_EX_WINDOWEDGE (every window with a
//     caption or sizing border has it);
//   the controls: none.
constexpr std::uint32_t kMainStyleAdded = WS_CLIPSIBLINGS | WS_VISIBLE;
constexpr std::uint32_t kMainExStyleAdded = WS_EX_WINDOWEDGE;

TEST(Win32WindowStartUp, ControlsAreCreatedInTheTablesOrderWithItsValues) {
    const LiveWindow window;
    ASSERT_NE(window.main(), nullptr);

    // Siblings are enumerated in creation order: each new child goes to the
    // bottom of the order.
    HWND child = GetWindow(window.main(), GW_CHILD);
    for (const WindowRow& expected : kControlRows) {
        SCOPED_TRACE(testing::Message() << "control of class " << WideText(expected.className)
                                        << " with text \"" << WideText(expected.text) << "\"");
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(Lower(ClassName(child)), WideText(expected.className));
        EXPECT_EQ(WindowText(child), expected.text);
        EXPECT_EQ(static_cast<std::uint32_t>(GetWindowLongW(child, GWL_STYLE)), expected.style);
        EXPECT_EQ(static_cast<std::uint32_t>(GetWindowLongW(child, GWL_EXSTYLE)), expected.exStyle);
        EXPECT_EQ(GetWindowLongW(child, GWL_ID), expected.id);
        EXPECT_EQ(GetParent(child), window.main());
        EXPECT_EQ(SendMessageW(child, WM_GETFONT, 0, 0), 0) << "no font is set";

        RECT bounds;
        GetWindowRect(child, &bounds);
        MapWindowPoints(nullptr, window.main(), reinterpret_cast<POINT*>(&bounds), 2);
        EXPECT_EQ(bounds.left, expected.x);
        EXPECT_EQ(bounds.top, expected.y);
        EXPECT_EQ(bounds.right - bounds.left, expected.width);
        EXPECT_EQ(bounds.bottom - bounds.top, expected.height);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the table's";
}

TEST(Win32WindowStartUp, MainWindowIsAVisibleTopLevelWindowAsInTheTable) {
    const LiveWindow window;
    ASSERT_NE(window.main(), nullptr);
    const HWND main = window.main();

    EXPECT_EQ(ClassName(main), WideText(kMainWindowRow.className));
    EXPECT_EQ(WindowText(main), kMainWindowRow.text);
    const auto style = static_cast<std::uint32_t>(GetWindowLongW(main, GWL_STYLE));
    EXPECT_EQ(style & ~kMainStyleAdded, kMainWindowRow.style);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_EQ(static_cast<std::uint32_t>(GetWindowLongW(main, GWL_EXSTYLE)) & ~kMainExStyleAdded,
              kMainWindowRow.exStyle);
    EXPECT_EQ(GetParent(main), nullptr);
    EXPECT_EQ(GetMenu(main), nullptr);

    RECT bounds;
    GetWindowRect(main, &bounds);
    EXPECT_EQ(bounds.right - bounds.left, kMainWindowRow.width);
    EXPECT_EQ(bounds.bottom - bounds.top, kMainWindowRow.height);
}

TEST(Win32WindowStartUp, ClassIsRegisteredWithArrowCursorAndButtonFaceBackground) {
    const LiveWindow window;
    ASSERT_NE(window.main(), nullptr);

    // A class registered with a null instance belongs to the executable.
    WNDCLASSW registered = {};
    ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), kMainWindowClass, &registered));
    EXPECT_EQ(registered.style, 0u);
    EXPECT_EQ(registered.lpfnWndProc, &MainWindowProc);
    EXPECT_EQ(registered.cbClsExtra, 0);
    EXPECT_EQ(registered.cbWndExtra, 0);
    EXPECT_EQ(registered.hIcon, nullptr);
    EXPECT_EQ(registered.hCursor, LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(registered.hbrBackground, reinterpret_cast<HBRUSH>(16));
    EXPECT_EQ(registered.lpszMenuName, nullptr);
}

TEST(Win32WindowStartUp, StartFailsWhileTheClassIsRegistered) {
    const LiveWindow window;
    ASSERT_NE(window.main(), nullptr);
    EXPECT_EQ(StartMainWindow(), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
}

TEST(Win32WindowEnd, DestroyingTheMainWindowPostsQuitWith0) {
    const HWND main = StartMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(TakeQuitMessage(), -1);
    DestroyWindow(main);
    EXPECT_EQ(TakeQuitMessage(), 0);
    UnregisterClassW(kMainWindowClass, nullptr);
}

void CALLBACK QuitWith99(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(99); }

TEST(Win32WindowEnd, MessageLoopEndsWhenTheWindowIsClosed) {
    const HWND main = StartMainWindow();
    ASSERT_NE(main, nullptr);
    // Should the window fail to end, a timer ends the loop with another code.
    const UINT_PTR timer = SetTimer(nullptr, 0, 10000, QuitWith99);
    PostMessageW(main, WM_CLOSE, 0, 0);
    RunMessageLoop();
    KillTimer(nullptr, timer);
    EXPECT_FALSE(IsWindow(main)) << "the loop ended before the window was destroyed";
    EXPECT_EQ(TakeQuitMessage(), -1);
    UnregisterClassW(kMainWindowClass, nullptr);
}

TEST(Win32WindowMessages, PastingOverASelectionConvertsTheNewText) {
    const LiveWindow window;
    ASSERT_NE(window.main(), nullptr);
    const HWND value = window.control(kValueFieldId);
    for (char16_t unit : std::u16string_view(u"2.5")) SendMessageW(value, WM_CHAR, unit, 1);
    ASSERT_EQ(window.text(kPatternFieldId), u"0x40200000");
    SendMessageW(value, EM_SETSEL, 1, 3);  // ".5"
    SendMessageW(value, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"e-3"));
    EXPECT_EQ(window.text(kValueFieldId), u"2e-3");
    EXPECT_EQ(window.text(kPatternFieldId), u"0x3b03126f");
}

TEST(Win32WindowMessages, OnlyFieldChangesConvert) {
    const LiveWindow window;
    ASSERT_NE(window.main(), nullptr);
    SendMessageW(window.control(kPatternFieldId), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"0x40490fdb"));
    ASSERT_EQ(window.text(kValueFieldId), u"3.141593");

    // "8" into the value field unconverted, as the program's own replacement.
    *FieldGuard(kValueFieldId) = 1;
    SendMessageW(window.control(kValueFieldId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"8"));
    *FieldGuard(kValueFieldId) = 0;
    ASSERT_EQ(window.text(kValueFieldId), u"8");

    // A change reported under another identifier, or another notification of
    // the pattern field, converts nothing; its change does.
    const HWND pattern = window.control(kPatternFieldId);
    for (const WPARAM command :
         {MAKEWPARAM(kDoubleOptionId, EN_CHANGE), MAKEWPARAM(0, EN_CHANGE),
          MAKEWPARAM(kPatternFieldId, EN_UPDATE), MAKEWPARAM(kPatternFieldId, EN_SETFOCUS)}) {
        SendMessageW(window.main(), WM_COMMAND, command, reinterpret_cast<LPARAM>(pattern));
        EXPECT_EQ(window.text(kValueFieldId), u"8") << "command " << command;
    }
    SendMessageW(window.main(), WM_COMMAND, MAKEWPARAM(kPatternFieldId, EN_CHANGE),
                 reinterpret_cast<LPARAM>(pattern));
    EXPECT_EQ(window.text(kValueFieldId), u"3.141593");
}

// Thousands of random edits: typing at the end of a field, deleting, pasting
// long texts over everything and clicking the option. After each edit the
// edited field holds what the user put there and the other field holds the
// conversion of its first 199 units under the option of that moment.
TEST(Win32WindowSoak, RandomEditsKeepTheFieldsInStep) {
    const LiveWindow window;
    ASSERT_NE(window.main(), nullptr);
    std::mt19937 rng(20261207);
    int keys = 0, refused = 0;

    for (int edit = 0; edit < 3000; ++edit) {
        const int field = 1 + static_cast<int>(rng() % 2);
        const int other = field == kPatternFieldId ? kValueFieldId : kPatternFieldId;
        const HWND edited = window.control(field);
        const unsigned kind = rng() % 20;
        if (kind == 0) {
            const std::u16string before = window.text(other);
            SendMessageW(window.control(kDoubleOptionId), BM_CLICK, 0, 0);
            ASSERT_EQ(window.text(other), before) << "edit " << edit << ": the option converted";
            continue;
        }
        const std::u16string before = window.text(field);
        const std::u16string otherBefore = window.text(other);
        std::u16string expected;
        if (kind <= 16) {
            // A character typed, or one deleted, at the end of the text.
            if (kind > 12 && before.empty()) continue;
            const char16_t unit = window_cases::RandomSoakUnit(rng, false);
            const LRESULT end = GetWindowTextLengthW(edited);
            SendMessageW(edited, EM_SETSEL, end, end);
            SendMessageW(edited, WM_CHAR, kind <= 12 ? unit : VK_BACK, 1);
            const std::u16string intended =
                kind <= 12 ? before + unit : before.substr(0, before.size() - 1);
            // The field does not scroll: while its text is wider than the
            // field it may refuse a key, or undo its last change instead.
            // Either way the other field converts what the field shows.
            expected = window.text(field);
            if (expected != intended) {
                ++refused;
                if (expected == before) {
                    ASSERT_EQ(window.text(other), otherBefore) << "edit " << edit;
                    continue;
                }
            } else {
                ++keys;
            }
        } else {
            std::u16string pasted;
            const int length = static_cast<int>(rng() % 400);
            for (int i = 0; i < length; ++i) pasted += window_cases::RandomSoakUnit(rng, true);
            SendMessageW(edited, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pasted.c_str()));
            expected = pasted;
        }
        ASSERT_EQ(window.text(field), expected) << "edit " << edit;
        const std::u16string converted =
            window_cases::ExpectedOtherText(field, expected, window.checked());
        ASSERT_EQ(window.text(other), converted) << "edit " << edit << " of field " << field;
    }
    // Most keys must have done what they do.
    EXPECT_GT(keys, 4 * refused) << keys << " keys taken, " << refused << " refused";
}

}  // namespace
}  // namespace zelquin::win32
