// Test tool: starts the program named by the first argument, waits for the
// Zelquin main window that this process (and no other) shows, closes it with
// WM_CLOSE and waits for the program to end.
//
// With a second argument, that text is typed into the pattern field first;
// then "ready X Y WIDTH HEIGHT" (the window's place on the screen) is printed
// and the window stays open until a line arrives on the standard input. The
// screenshot script uses this.
//
// Exit status: 0 when the window showed up, visible and titled "Zelquin", and
// the program then ended with status 0; 1 otherwise, with the reason printed.
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr DWORD kWindowWaitMs = 60000;
constexpr DWORD kExitWaitMs = 30000;
constexpr DWORD kPollMs = 20;

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t className[64] = {};
    GetClassNameW(hwnd, className, 64);
    if (owner == search->processId && std::wcscmp(className, L"clsZelquin") == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

int Fail(const char* reason, unsigned long detail) {
    std::printf("FAILED: %s (%lu)\n", reason, detail);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) return Fail("usage: zelquin_start_and_close PROGRAM [TEXT]", 0);

    std::string commandLine = std::string("\"") + argv[1] + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return Fail("the program could not be started", GetLastError());
    }
    CloseHandle(process.hThread);

    const DWORD start = GetTickCount();
    Search search = {process.dwProcessId, nullptr};
    while (search.found == nullptr) {
        if (WaitForSingleObject(process.hProcess, kPollMs) == WAIT_OBJECT_0) {
            DWORD status = 0;
            GetExitCodeProcess(process.hProcess, &status);
            return Fail("the program ended before showing its window", status);
        }
        if (GetTickCount() - start > kWindowWaitMs) {
            TerminateProcess(process.hProcess, 3);
            return Fail("no window within the time limit (ms)", kWindowWaitMs);
        }
        EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&search));
    }
    const DWORD shownAfter = GetTickCount() - start;

    // The window is shown before the program waits for messages; give it a
    // moment to become visible rather than racing its start-up.
    while (!IsWindowVisible(search.found) && GetTickCount() - start < kWindowWaitMs) Sleep(kPollMs);
    wchar_t title[32] = {};
    GetWindowTextW(search.found, title, 32);
    const bool visible = IsWindowVisible(search.found) != 0;

    if (argc == 3) {
        const HWND patternField = GetDlgItem(search.found, 1);
        for (const char* unit = argv[2]; *unit != '\0'; ++unit) {
            SendMessageW(patternField, WM_CHAR, static_cast<unsigned char>(*unit), 1);
        }
        RECT bounds;
        GetWindowRect(search.found, &bounds);
        std::printf("ready %ld %ld %ld %ld\n", bounds.left, bounds.top, bounds.right - bounds.left,
                    bounds.bottom - bounds.top);
        std::fflush(stdout);
        char line[16];
        std::fgets(line, sizeof line, stdin);
    }

    PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, kExitWaitMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 3);
        return Fail("the program did not end after WM_CLOSE within (ms)", kExitWaitMs);
    }
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);

    std::printf("window found after %lu ms, title \"%ls\", %s; exit status %lu\n",
                static_cast<unsigned long>(shownAfter), title, visible ? "visible" : "hidden",
                static_cast<unsigned long>(status));
    if (!visible) return Fail("the window is not visible", 0);
    if (std::wcscmp(title, L"Zelquin") != 0) return Fail("the window's title is wrong", 0);
    if (status != 0) return Fail("the program's exit status is not 0", status);
    return 0;
}
