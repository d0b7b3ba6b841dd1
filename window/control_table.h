// The main window and its four controls, in the order they are created: the
// one description that both windows (Win32, Qt) are built from and that their
// tests check. Styles are the Win32 values; positions and sizes are pixels, a
// control's relative to the main window's client area, the main window's
// size its outer size, frame included.
#pragma once

#include <climits>
#include <cstdint>
#include <span>

namespace zelquin {

// Control identifiers. The main window and the label have none (0).
inline constexpr int kPatternFieldId = 1;
inline constexpr int kValueFieldId = 2;
inline constexpr int kDoubleOptionId = 3;

// The classes of the system's controls.
inline constexpr char16_t kEditClass[] = u"edit";
inline constexpr char16_t kStaticClass[] = u"static";
inline constexpr char16_t kButtonClass[] = u"button";

// Styles, each with its Win32 spelling.
inline constexpr std::uint32_t kMainWindowStyle = 0x00CF0000;  // WS_OVERLAPPEDWINDOW
inline constexpr std::uint32_t kControlStyle = 0x50010000;     // WS_CHILD | WS_VISIBLE | WS_TABSTOP
inline constexpr std::uint32_t kCheckBoxStyle = kControlStyle | 0x3;  // and BS_AUTOCHECKBOX
inline constexpr std::uint32_t kFieldExStyle = 0x200;                 // WS_EX_CLIENTEDGE

// The main window's position is the system's choice (CW_USEDEFAULT).
inline constexpr int kSystemChosenPosition = INT_MIN;

struct WindowRow {
    const char16_t* className;
    const char16_t* text;
    std::uint32_t exStyle;
    std::uint32_t style;
    int x, y;
    int width, height;
    int id;
};

inline constexpr WindowRow kWindowTable[] = {
    {u"clsZelquin", u"Zelquin", 0, kMainWindowStyle, kSystemChosenPosition, kSystemChosenPosition,
     300, 120, 0},
    {kEditClass, u"", kFieldExStyle, kControlStyle, 5, 5, 280, 22, kPatternFieldId},
    {kEditClass, u"", kFieldExStyle, kControlStyle, 55, 35, 230, 22, kValueFieldId},
    {kStaticClass, u"Float:", 0, kControlStyle, 5, 35, 50, 22, 0},
    {kButtonClass, u"Treat as 'double'", 0, kCheckBoxStyle, 5, 60, 280, 22, kDoubleOptionId},
};

// The first row is the main window; the controls, its children, follow.
inline constexpr const WindowRow& kMainWindowRow = kWindowTable[0];
inline constexpr std::span<const WindowRow> kControlRows = std::span(kWindowTable).subspan(1);

}  // namespace zelquin
