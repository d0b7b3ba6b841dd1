// TEMPORARY: the page's explanation record, read back from the command-line
// program's --explain block until the explanation has a JSON form of its own.
#pragma once

#include <string>
#include <string_view>

namespace zelquin::web {

// A JSON object with the keys "format", "pattern", "sign", "exponent_field",
// "fraction_field", "class", "exponent" (null without one), "exact" (null for
// infinities and NaNs) and, for a value field block, "typed" and "difference"
// (null when there is none), from the lines of an --explain block.
std::string ExplanationJson(std::string_view block, bool valueField);

}  // namespace zelquin::web
