// The Win32 main window: a pattern field, a value field with its label, and
// the "Treat as 'double'" check box, created from the control table and kept
// in step by OnFieldChanged.
//
// zelquin.exe's WinMain is only StartMainWindow followed by RunMessageLoop;
// the tests create the window through the same functions.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include "control_table.h"

namespace zelquin::win32 {

// UTF-16 text crosses between the program's char16_t and the system's WCHAR
// unchanged: both are 16-bit units.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline const wchar_t* WideText(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

inline const wchar_t* const kMainWindowClass = WideText(kMainWindowRow.className);

// The main window's procedure. It converts on a change of the pattern or value
// field and hands every message, handled or not, to DefWindowProcW.
LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Registers the main window class, creates the main window and its four
// controls, gives the controls their identifiers and shows the window.
// Returns null, having created nothing more, when the class cannot be
// registered or the main window cannot be created. The class stays
// registered, so a second call fails unless the class was unregistered
// (UnregisterClassW(kMainWindowClass, nullptr)) after the first window's end.
HWND StartMainWindow();

// Retrieves and dispatches the thread's messages until WM_QUIT (or an error
// from GetMessageW).
void RunMessageLoop();

}  // namespace zelquin::win32
