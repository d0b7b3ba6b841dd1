#include "win32_main_window.h"

#include <cstddef>

#include "field_sync.h"

namespace zelquin::win32 {
namespace {

// Child window style of every control: WS_CHILD | WS_VISIBLE | WS_TABSTOP.
constexpr DWORD kControlStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
static_assert(kControlStyle == 0x50010000);

// UTF-16 text crosses between the conversion code (char16_t) and the system
// (WCHAR) unchanged: both are 16-bit units.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

void OnFieldChange(HWND hwnd, int fieldId) {
    OnFieldEdited(
        fieldId,
        [hwnd](int id, char16_t* buffer, std::size_t capacity) {
            const int copied = GetWindowTextW(GetDlgItem(hwnd, id),
                                              reinterpret_cast<LPWSTR>(buffer),
                                              static_cast<int>(capacity));
            return copied > 0 ? static_cast<std::size_t>(copied) : std::size_t{0};
        },
        [hwnd] { return IsDlgButtonChecked(hwnd, kDoubleOptionId) != 0; },
        [hwnd](int id, const char16_t* text) {
            SendMessageW(GetDlgItem(hwnd, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        });
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) == EN_CHANGE) {
                const int id = LOWORD(wParam);
                if (id == kPatternFieldId || id == kValueFieldId) OnFieldChange(hwnd, id);
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND StartMainWindow() {
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);

    WNDCLASSW windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = nullptr;
    windowClass.hIcon = nullptr;
    windowClass.hCursor = arrow;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kMainWindowClass;
    if (RegisterClassW(&windowClass) == 0) return nullptr;

    const HWND main = CreateWindowExW(0, kMainWindowClass, kMainWindowTitle, WS_OVERLAPPEDWINDOW,
                                      CW_USEDEFAULT, CW_USEDEFAULT, 300, 120, nullptr, nullptr,
                                      nullptr, nullptr);
    if (main == nullptr) return nullptr;

    const HWND patternField = CreateWindowExW(WS_EX_CLIENTEDGE, L"edit", L"", kControlStyle, 5, 5,
                                              280, 22, main, nullptr, nullptr, nullptr);
    const HWND valueField = CreateWindowExW(WS_EX_CLIENTEDGE, L"edit", L"", kControlStyle, 55, 35,
                                            230, 22, main, nullptr, nullptr, nullptr);
    CreateWindowExW(0, L"static", L"Float:", kControlStyle, 5, 35, 50, 22, main, nullptr, nullptr,
                    nullptr);
    const HWND doubleOption =
        CreateWindowExW(0, L"button", L"Treat as 'double'", kControlStyle | BS_AUTOCHECKBOX, 5, 60,
                        280, 22, main, nullptr, nullptr, nullptr);

    SetWindowLongW(patternField, GWL_ID, kPatternFieldId);
    SetWindowLongW(valueField, GWL_ID, kValueFieldId);
    SetWindowLongW(doubleOption, GWL_ID, kDoubleOptionId);

    ShowWindow(main, SW_SHOW);
    UpdateWindow(main);
    return main;
}

void RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace zelquin::win32
