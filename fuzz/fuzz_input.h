// The fuzz targets' reading of their bytes: the low bit of the first byte is
// the option, the rest are UTF-16 code units in little-endian order (an odd
// last byte is dropped). The units go into a heap block of exactly their
// number, so that a read past the end of the text is a reported overflow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "text_forms.h"

namespace zelquin::check {

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : option_(size > 0 && (data[0] & 1) != 0),
          count_(size > 0 ? (size - 1) / 2 : 0),
          units_(new char16_t[count_]) {
        for (std::size_t i = 0; i < count_; ++i) {
            units_[i] = static_cast<char16_t>(data[1 + 2 * i] | (data[2 + 2 * i] << 8));
        }
    }

    bool Option() const { return option_; }
    std::u16string_view Text() const { return std::u16string_view(units_.get(), count_); }

    // The text up to its first NUL.
    std::u16string_view TextBeforeNul() const {
        const std::u16string_view text = Text();
        return text.substr(0, text.find(u'\0'));
    }

  private:
    bool option_;
    std::size_t count_;
    std::unique_ptr<char16_t[]> units_;
};

// Reports a broken property with the input and stops the run; the fuzzer
// keeps the input as a crash file.
[[noreturn]] inline void Fail(const FuzzInput& input, const char* what,
                              std::u16string_view got = {}, std::u16string_view expected = {}) {
    std::fprintf(stderr, "\n*** %s\n    option: %d\n    input (%zu units): \"%s\"\n", what,
                 input.Option() ? 1 : 0, input.Text().size(),
                 Printable(input.Text().substr(0, 400)).c_str());
    if (!got.empty()) std::fprintf(stderr, "    got:      \"%s\"\n", Printable(got).c_str());
    if (!expected.empty())
        std::fprintf(stderr, "    expected: \"%s\"\n", Printable(expected).c_str());
    std::abort();
}

// The text that convert(text, option) gives for the input, once what holds for
// either conversion is checked: a second call gives the same text, and so
// does the text cut at its first NUL. The parameter's type picks the form of
// the conversion that returns its text.
inline std::u16string ConvertChecked(const FuzzInput& input,
                                     std::u16string (*convert)(std::u16string_view, FormatOption)) {
    const std::u16string result = convert(input.Text(), CheckBoxOption(input.Option()));
    const std::u16string again = convert(input.Text(), CheckBoxOption(input.Option()));
    if (again != result) Fail(input, "second call gave another text", again, result);
    if (input.TextBeforeNul().size() != input.Text().size()) {
        const std::u16string cut = convert(input.TextBeforeNul(), CheckBoxOption(input.Option()));
        if (cut != result) Fail(input, "text after a NUL changed the result", result, cut);
    }
    return result;
}

}  // namespace zelquin::check
