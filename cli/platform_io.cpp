// Arguments and standard streams on Windows (wide command line, console
// input as UTF-16, handles) and on POSIX systems (file descriptors).
#include "platform_io.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>
#else
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#endif

namespace zelquin::cli {

#ifdef _WIN32

namespace {

// One call moves at most this much, which keeps the DWORD counts exact.
constexpr std::size_t kLargestTransfer = 1u << 30;

DWORD lastError = 0;

// A pipe whose reader has gone. Windows says the pipe is broken or being
// closed; Wine, which maps a closed Unix pipe, says it is not connected.
bool ReaderGone(DWORD error) {
    return error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA ||
           error == ERROR_PIPE_NOT_CONNECTED;
}

DWORD Clamp(std::size_t size) {
    return static_cast<DWORD>(size < kLargestTransfer ? size : kLargestTransfer);
}

bool WriteHandle(HANDLE handle, const char* data, std::size_t size) {
    while (size != 0) {
        DWORD written = 0;
        if (!WriteFile(handle, data, Clamp(size), &written, nullptr)) {
            lastError = GetLastError();
            return false;
        }
        if (written == 0) {
            lastError = ERROR_WRITE_FAULT;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

std::vector<Argument> CommandLineArguments(int, char**) {
    std::vector<Argument> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return arguments;
    for (int i = 0; i < count; ++i) {
        Argument argument;
        argument.wide = true;
        for (const WCHAR* p = wide[i]; *p != 0; ++p) argument.units += static_cast<char16_t>(*p);
        arguments.push_back(std::move(argument));
    }
    LocalFree(wide);
    return arguments;
}

void PrepareStreams() {}

bool WriteOutput(const char* data, std::size_t size) {
    return WriteHandle(GetStdHandle(STD_OUTPUT_HANDLE), data, size);
}

void WriteError(std::string_view text) {
    const DWORD outputError = lastError;  // a failed message leaves the output's error
    WriteHandle(GetStdHandle(STD_ERROR_HANDLE), text.data(), text.size());
    lastError = outputError;
}

bool InputIsUnits() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

std::ptrdiff_t ReadInputBytes(char* buffer, std::size_t capacity) {
    DWORD read = 0;
    if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, Clamp(capacity), &read, nullptr)) {
        // The writer closing its end of a pipe is the end of the input.
        lastError = GetLastError();
        return lastError == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return static_cast<std::ptrdiff_t>(read);
}

std::ptrdiff_t ReadInputUnits(char16_t* buffer, std::size_t capacity) {
    static_assert(sizeof(WCHAR) == sizeof(char16_t));
    DWORD read = 0;
    if (!ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), buffer, Clamp(capacity), &read, nullptr)) {
        lastError = GetLastError();
        return -1;
    }
    // Ctrl+Z at the start of what is typed ends the input, as at a prompt.
    if (read != 0 && buffer[0] == 0x1A) return 0;
    return static_cast<std::ptrdiff_t>(read);
}

std::string LastFailure() {
    if (ReaderGone(lastError)) return std::string();
    char* message = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, lastError, 0, reinterpret_cast<LPSTR>(&message), 0, nullptr);
    std::string text = length != 0 && message != nullptr ? std::string(message, length)
                                                         : "error " + std::to_string(lastError);
    if (message != nullptr) LocalFree(message);
    // The system's messages end in a full stop and a line end.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

#else

std::vector<Argument> CommandLineArguments(int argc, char** argv) {
    std::vector<Argument> arguments;
    for (int i = 0; i < argc; ++i) {
        Argument argument;
        argument.bytes = argv[i];
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

void PrepareStreams() { std::signal(SIGPIPE, SIG_IGN); }

namespace {

int lastError = 0;

bool WriteDescriptor(int descriptor, const char* data, std::size_t size) {
    while (size != 0) {
        const ssize_t written = write(descriptor, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            lastError = errno;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

bool WriteOutput(const char* data, std::size_t size) {
    return WriteDescriptor(STDOUT_FILENO, data, size);
}

void WriteError(std::string_view text) {
    const int outputError = lastError;  // a failed message leaves the output's error
    WriteDescriptor(STDERR_FILENO, text.data(), text.size());
    lastError = outputError;
}

bool InputIsUnits() { return false; }

std::ptrdiff_t ReadInputBytes(char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t count = read(STDIN_FILENO, buffer, capacity);
        if (count >= 0) return count;
        if (errno != EINTR) {
            lastError = errno;
            return -1;
        }
    }
}

std::ptrdiff_t ReadInputUnits(char16_t*, std::size_t) { return -1; }

std::string LastFailure() {
    return lastError == EPIPE ? std::string() : std::string(std::strerror(lastError));
}

#endif

}  // namespace zelquin::cli
