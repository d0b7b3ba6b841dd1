// The Win32 window: its class, its five windows created from the control
// table, and its window procedure, which hands the fields' change
// notifications to the field synchronisation and ends the loop on destroy.
#include "win32_main_window.h"

#include <cstddef>

#include "field_sync.h"

namespace zelquin::win32 {
namespace {

// The table's styles and position are the system's values.
static_assert(kMainWindowStyle == WS_OVERLAPPEDWINDOW);
static_assert(kControlStyle == (WS_CHILD | WS_VISIBLE | WS_TABSTOP));
static_assert(kCheckBoxStyle == (kControlStyle | BS_AUTOCHECKBOX));
static_assert(kFieldExStyle == WS_EX_CLIENTEDGE);
static_assert(kSystemChosenPosition == CW_USEDEFAULT);

// Creates the window of a table row, with a null menu (child identifier),
// instance and creation parameter.
HWND CreateWindowOfRow(const WindowRow& row, HWND parent) {
    return CreateWindowExW(row.exStyle, WideText(row.className), WideText(row.text), row.style,
                           row.x, row.y, row.width, row.height, parent, nullptr, nullptr, nullptr);
}

void OnFieldChanged(HWND hwnd, int fieldId) noexcept {
    zelquin::OnFieldChanged(
        fieldId,
        [hwnd](int id, char16_t* buffer, std::size_t capacity) {
            const int copied = GetWindowTextW(
                GetDlgItem(hwnd, id), reinterpret_cast<LPWSTR>(buffer), static_cast<int>(capacity));
            return copied > 0 ? static_cast<std::size_t>(copied) : std::size_t{0};
        },
        [hwnd] { return IsDlgButtonChecked(hwnd, kDoubleOptionId) != 0; },
        [hwnd](int id, const char16_t* text) {
            SendMessageW(GetDlgItem(hwnd, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        });
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) == EN_CHANGE) {
                const int id = LOWORD(wParam);
                if (id == kPatternFieldId || id == kValueFieldId) OnFieldChanged(hwnd, id);
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

    const HWND main = CreateWindowOfRow(kMainWindowRow, nullptr);
    if (main == nullptr) return nullptr;

    HWND controls[kControlRows.size()];
    for (std::size_t i = 0; i < kControlRows.size(); ++i) {
        controls[i] = CreateWindowOfRow(kControlRows[i], main);
    }
    // The identifiers are given once all the windows exist.
    for (std::size_t i = 0; i < kControlRows.size(); ++i) {
        if (kControlRows[i].id != 0) SetWindowLongW(controls[i], GWL_ID, kControlRows[i].id);
    }

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
