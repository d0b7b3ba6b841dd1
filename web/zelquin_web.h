// The page's way into the conversion core and the explanation library: plain
// C functions over the core's caller's-buffer forms, exported from the
// WebAssembly module.
//
// Text crosses as UTF-16 code units in the module's memory and is not
// converted on the way: the page's script writes a field's code units into
// the field buffer, a conversion writes the other field's units into the
// result buffer, and the script makes its string from them.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// The buffers the page's script shares with the module. The field buffer
// holds zelquin_field_units() units, the result buffer the longest text a
// conversion writes, and the choice buffer (bytes) the format chosen.
char16_t* zelquin_field_buffer(void);
char16_t* zelquin_result_buffer(void);
char* zelquin_choice_buffer(void);
std::size_t zelquin_choice_bytes(void);

// How many units of a field's text are converted (199): the script copies at
// most that many into the field buffer.
std::size_t zelquin_field_units(void);

// Convert the first `units` units at `text` (at most zelquin_field_units() are
// read) as an edit of the pattern field or of the value field; write the other
// field's text at `out` and return its length in units. `option` is the
// format option: 0 binary32 (the check box clear), 1 "Treat as 'double'" (the
// box set), 2 binary64 both ways.
std::size_t zelquin_pattern_to_value(const char16_t* text, std::size_t units, int option,
                                     char16_t* out);
std::size_t zelquin_value_to_pattern(const char16_t* text, std::size_t units, int option,
                                     char16_t* out);

// The explanation of the number the same conversion chose, as a NUL-terminated
// JSON object in UTF-8, valid until the next call of any of these functions.
// `textUnits` is the length of the field's whole text, of which the first
// `units` are converted: the explanation says when some are not.
const char* zelquin_explain_pattern(const char16_t* text, std::size_t units, std::size_t textUnits,
                                    int option);
const char* zelquin_explain_value(const char16_t* text, std::size_t units, std::size_t textUnits,
                                  int option);

// The explanation of a text in another format than binary32 and binary64
// (`command` 0 for the pattern field, 1 for the value field), the format, the
// rounding mode, the overflow policy and the formats of the chain written in
// the choice buffer as "name|mode|policy|via" (via empty or names with
// commas), NUL-terminated. Its "result" member is the other field's text; a
// pattern wider than the format gives {"command":...,"error":...}, as does a
// name that is not known.
const char* zelquin_explain_in_format(int command, const char16_t* text, std::size_t units,
                                      std::size_t textUnits);

// The registry's formats as a JSON array of {"name","aliases","holds"}.
const char* zelquin_formats(void);

// The entries of the bits, the neighbours, the nearest pattern and the
// landmarks of the number explained last, again for the check box as it is
// now (non-zero when it is checked): which field takes each and its text, or
// why none can. A NUL-terminated JSON object in UTF-8, valid until the next
// call.
const char* zelquin_entries(int treatAsDouble);

}  // extern "C"
