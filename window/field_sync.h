// Keeping the two fields in step: the platform-neutral part of the window.
//
// An edit in one field converts its text and replaces the other field's text.
// Replacing a field's text makes that field report a change of its own,
// synchronously, before the replacing call returns; the guard of the replaced
// field is set around the call so that this report is not taken for an edit.
// Each window (Win32, Qt) only adapts its platform to OnFieldChanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "control_table.h"
#include "conversion.h"

namespace zelquin {

// A field is read into a zeroed buffer of 200 units: at most its first 199
// units are converted.
inline constexpr std::size_t kFieldBufferUnits = kFieldUnitsConverted + 1;

// The replacement text is handed over from a buffer that holds the longest
// value text whole, with its terminator.
inline constexpr std::size_t kResultBufferUnits = kLongestValueText + 1;
static_assert(kLongestPatternText < kLongestValueText);

// The guard flag of a field (1 while the program replaces its text), or null
// for any other identifier. Both flags start clear and are process-wide.
std::uint8_t* FieldGuard(int fieldId);

// Writes the text for the other field after an edit of field `editedId` into
// out (kLongestValueText units) and returns one past its end.
char16_t* ConvertFieldText(int editedId, std::u16string_view text, FormatOption option,
                           char16_t* out);

// Handles a change notification of the control `editedId`. Unless it is the
// pattern or value field with its guard clear, nothing happens and false is
// returned. Otherwise:
//   readField(id, buffer, 200) copies at most 199 units of the field's text
//     into the zeroed buffer and returns how many it copied;
//   readOption() returns the state of the double option at this moment;
//   replaceField(id, text) replaces the field's text with the NUL-terminated
//     text; the field's own change notification may arrive, synchronously,
//     before it returns.
// The other field's guard is set to 1 just before replaceField and back to 0
// just after it.
template <typename ReadField, typename ReadOption, typename ReplaceField>
bool OnFieldChanged(int editedId, ReadField&& readField, ReadOption&& readOption,
                    ReplaceField&& replaceField) {
    const std::uint8_t* guard = FieldGuard(editedId);
    if (guard == nullptr || *guard != 0) return false;

    char16_t fieldText[kFieldBufferUnits] = {};
    std::size_t length = readField(editedId, fieldText, kFieldBufferUnits);
    if (length > kFieldUnitsConverted) length = kFieldUnitsConverted;
    const FormatOption option = CheckBoxOption(readOption());

    char16_t result[kResultBufferUnits];
    *ConvertFieldText(editedId, std::u16string_view(fieldText, length), option, result) = u'\0';

    const int otherId = editedId == kPatternFieldId ? kValueFieldId : kPatternFieldId;
    std::uint8_t* otherGuard = FieldGuard(otherId);
    *otherGuard = 1;
    replaceField(otherId, static_cast<const char16_t*>(result));
    *otherGuard = 0;
    return true;
}

}  // namespace zelquin
