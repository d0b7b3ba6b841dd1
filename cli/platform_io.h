// The program's only platform seam: its arguments and its standard streams as
// raw bytes, without text-mode translation or C library buffering.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelquin::cli {

// An argument as the platform gives it: bytes (expected to be UTF-8) or, on
// Windows, UTF-16 units from the wide command line.
struct Argument {
    std::string bytes;
    std::u16string units;
    bool wide = false;
};

std::vector<Argument> CommandLineArguments(int argc, char** argv);

// Sets up the streams: a write to a closed pipe must fail, not end the
// process.
void PrepareStreams();

// Writes everything; false once standard output can no longer be written.
bool WriteOutput(const char* data, std::size_t size);
void WriteError(std::string_view text);

// Standard input. On a Windows console it is read as UTF-16 units, elsewhere
// as bytes. The reads return the count read, 0 at the end, -1 on an error.
bool InputIsUnits();
std::ptrdiff_t ReadInputBytes(char* buffer, std::size_t capacity);
std::ptrdiff_t ReadInputUnits(char16_t* buffer, std::size_t capacity);

// Why the last failed write or read failed, in the platform's words; empty
// when standard output was a pipe whose reader has gone, which needs no
// message: the reader has stopped listening.
std::string LastFailure();

}  // namespace zelquin::cli
