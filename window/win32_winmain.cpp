// zelquin.exe: the Win32 program.
#include "win32_main_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The window is shown whatever show command the program was started with.
    if (zelquin::win32::StartMainWindow() == nullptr) return 1;
    zelquin::win32::RunMessageLoop();
    return 0;
}
