// Texts as the program receives them: UTF-8 bytes (arguments and standard
// input) or UTF-16 units (the Windows command line and console), of which the
// first 199 UTF-16 units are converted, as the window converts its fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "conversion.h"

namespace zelquin::cli {

class TextBuilder {
  public:
    void AddBytes(const char* bytes, std::size_t count);  // UTF-8
    void AddUnits(const char16_t* units, std::size_t count);
    // Ends the text; an unfinished UTF-8 sequence at its end makes it invalid.
    void Finish();
    void Clear();

    bool Valid() const { return errorByte_ == 0; }
    // Position (from 1) of the first byte of the first sequence that is not UTF-8.
    std::size_t ErrorByte() const { return errorByte_; }
    // The first 199 units, and the number of units of the whole text.
    std::u16string_view Converted() const { return std::u16string_view(units_, kept_); }
    std::size_t UnitCount() const { return unitCount_; }

  private:
    void Put(char16_t unit) {
        if (kept_ < kFieldUnitsConverted) units_[kept_++] = unit;
        ++unitCount_;
    }
    void PutCodePoint(std::uint32_t codePoint);
    void Fail() { errorByte_ = sequenceStart_ + 1; }

    char16_t units_[kFieldUnitsConverted];
    std::size_t kept_ = 0;
    std::size_t unitCount_ = 0;
    std::size_t byteCount_ = 0;
    std::size_t errorByte_ = 0;
    // The UTF-8 sequence being read.
    int continuationsNeeded_ = 0;
    std::uint32_t codePoint_ = 0;
    unsigned char lowest_ = 0x80;  // range of the next continuation byte
    unsigned char highest_ = 0xBF;
    std::size_t sequenceStart_ = 0;
};

// One line of input: the text before the LF, without a CR that ends it.
// The CR is held back until it is known whether the line ends after it.
class LineBuilder {
  public:
    void Add(const char* bytes, std::size_t count);
    void Add(const char16_t* units, std::size_t count);
    const TextBuilder& Finish();
    void Clear();
    bool Started() const { return started_; }

  private:
    TextBuilder text_;
    bool started_ = false;
    bool heldCr_ = false;
};

}  // namespace zelquin::cli
