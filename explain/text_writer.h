// Writing text through a pointer. The writers of the explanation take room
// once for an upper bound of what they write, write through the pointer
// without a check per piece, and keep what they wrote (AppendWritten): on the
// stack when the bound is small, otherwise in a buffer kept for the next
// call, so that only the bytes written are copied.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace zelquin::explain {

inline constexpr std::size_t kStackRoom = 8192;

// Appends what write(char* start) writes, returning one past its end, into at
// most `room` bytes.
template <typename Write>
void AppendWritten(std::string& out, std::size_t room, Write write) {
    if (room <= kStackRoom) {
        char local[kStackRoom];
        const char* end = write(local);
        out.append(local, static_cast<std::size_t>(end - local));
    } else {
        // A larger room is kept from one call to the next, so that only the
        // bytes written are copied, and nothing is cleared first.
        thread_local std::vector<char> scratch;
        if (scratch.size() < room) scratch.resize(room);
        const char* end = write(scratch.data());
        out.append(scratch.data(), static_cast<std::size_t>(end - scratch.data()));
    }
}

inline char* Put(char* p, std::string_view text) {
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

inline char* Put(char* p, char c) {
    *p = c;
    return p + 1;
}

// "0x" and every hexadecimal digit of the width: 2 + 16 at most. The widths
// here are whole bytes but for the fractions (23 and 52 bits): an odd number
// of digits starts with a single one.
inline char* PutFullHex(char* p, std::uint64_t bits, int bitCount) {
    static constexpr char kDigits[] = "0123456789abcdef";
    *p++ = '0';
    *p++ = 'x';
    int digits = (bitCount + 3) / 4;
    if (digits % 2 != 0) *p++ = kDigits[(bits >> (4 * --digits)) & 0xF];
    for (int i = digits / 2 - 1; i >= 0; --i) {
        const unsigned byte = static_cast<unsigned>(bits >> (8 * i)) & 0xFF;
        p[0] = kDigits[byte >> 4];
        p[1] = kDigits[byte & 0xF];
        p += 2;
    }
    return p;
}

inline constexpr std::size_t kFullHexRoom = 18;

// The same for a pattern of up to 128 bits, `high` its bits above the low 64:
// "0x" and (bitCount + 3) / 4 digits.
inline char* PutWideHex(char* p, std::uint64_t bits, std::uint64_t high, int bitCount) {
    if (bitCount <= 64) return PutFullHex(p, bits, bitCount);
    p = PutFullHex(p, high, bitCount - 64);
    static constexpr char kDigits[] = "0123456789abcdef";
    for (int i = 15; i >= 0; --i) *p++ = kDigits[(bits >> (4 * i)) & 0xF];
    return p;
}

inline constexpr std::size_t kWideHexRoom = 2 + 32;

}  // namespace zelquin::explain
