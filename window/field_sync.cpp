// The window's two guard flags, and the conversion an edit of either field
// calls for.
#include "field_sync.h"

namespace zelquin {
namespace {

std::uint8_t patternGuard = 0;
std::uint8_t valueGuard = 0;

}  // namespace

std::uint8_t* FieldGuard(int fieldId) {
    if (fieldId == kPatternFieldId) return &patternGuard;
    if (fieldId == kValueFieldId) return &valueGuard;
    return nullptr;
}

char16_t* ConvertFieldText(int editedId, std::u16string_view text, FormatOption option,
                           char16_t* out) {
    return editedId == kPatternFieldId ? PatternToValueText(text, option, out)
                                       : ValueToPatternText(text, option, out);
}

}  // namespace zelquin
