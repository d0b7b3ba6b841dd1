// The --explain block: what the conversion chose and what number it stores.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "binary_format.h"

namespace zelquin::cli {

// The name of a class in the explanations: "zero", "quiet NaN", ...
const char* ClassName(NumberClass numberClass);

// The blocks for a text of the pattern or the value field. `text` is what is
// converted (at most the first 199 units), `textUnits` the length of the whole
// text. Each line starts with two spaces; an empty line ends the block.
std::string ExplainPattern(std::u16string_view text, std::size_t textUnits, bool treatAsDouble);
std::string ExplainValue(std::u16string_view text, std::size_t textUnits, bool treatAsDouble);

// The block given in place of an explanation for a text that is not converted.
std::string ExplainNotConverted(std::string_view reason);

}  // namespace zelquin::cli
