// UTF-8 decoding with full validation (no overlong forms, no surrogates, no
// code points above U+10FFFF) into UTF-16 units.
#include "text_input.h"

namespace zelquin::cli {

void TextBuilder::PutCodePoint(std::uint32_t codePoint) {
    if (codePoint < 0x10000) {
        Put(static_cast<char16_t>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    Put(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    Put(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
}

void TextBuilder::AddBytes(const char* bytes, std::size_t count) {
    if (!Valid()) {
        byteCount_ += count;
        return;
    }
    for (std::size_t i = 0; i < count; ++i, ++byteCount_) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (continuationsNeeded_ != 0) {
            if (byte < lowest_ || byte > highest_) {
                Fail();
                byteCount_ += count - i;
                return;
            }
            codePoint_ = (codePoint_ << 6) | (byte & 0x3Fu);
            lowest_ = 0x80;
            highest_ = 0xBF;
            if (--continuationsNeeded_ == 0) PutCodePoint(codePoint_);
            continue;
        }
        sequenceStart_ = byteCount_;
        if (byte < 0x80) {
            Put(byte);
        } else if (byte >= 0xC2 && byte <= 0xDF) {
            continuationsNeeded_ = 1;
            codePoint_ = byte & 0x1Fu;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            continuationsNeeded_ = 2;
            codePoint_ = byte & 0x0Fu;
            if (byte == 0xE0) lowest_ = 0xA0;   // no overlong forms
            if (byte == 0xED) highest_ = 0x9F;  // no surrogates
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            continuationsNeeded_ = 3;
            codePoint_ = byte & 0x07u;
            if (byte == 0xF0) lowest_ = 0x90;   // no overlong forms
            if (byte == 0xF4) highest_ = 0x8F;  // nothing above U+10FFFF
        } else {
            Fail();
            byteCount_ += count - i;
            return;
        }
    }
}

void TextBuilder::AddUnits(const char16_t* units, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) Put(units[i]);
}

void TextBuilder::Finish() {
    if (Valid() && continuationsNeeded_ != 0) Fail();
}

void TextBuilder::Clear() {
    kept_ = 0;
    unitCount_ = 0;
    byteCount_ = 0;
    errorByte_ = 0;
    continuationsNeeded_ = 0;
    lowest_ = 0x80;
    highest_ = 0xBF;
}

void LineBuilder::Add(const char* bytes, std::size_t count) {
    if (count == 0) return;
    started_ = true;
    if (heldCr_) {
        text_.AddBytes("\r", 1);
        heldCr_ = false;
    }
    if (bytes[count - 1] == '\r') {
        heldCr_ = true;
        --count;
    }
    text_.AddBytes(bytes, count);
}

void LineBuilder::Add(const char16_t* units, std::size_t count) {
    if (count == 0) return;
    started_ = true;
    if (heldCr_) {
        const char16_t cr = u'\r';
        text_.AddUnits(&cr, 1);
        heldCr_ = false;
    }
    if (units[count - 1] == u'\r') {
        heldCr_ = true;
        --count;
    }
    text_.AddUnits(units, count);
}

const TextBuilder& LineBuilder::Finish() {
    text_.Finish();
    return text_;
}

void LineBuilder::Clear() {
    text_.Clear();
    started_ = false;
    heldCr_ = false;
}

}  // namespace zelquin::cli
