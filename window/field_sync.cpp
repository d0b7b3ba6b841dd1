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

std::u16string ConvertFieldText(int editedId, std::u16string_view text, bool treatAsDouble) {
    return editedId == kPatternFieldId ? PatternToValueText(text, treatAsDouble)
                                       : ValueToPatternText(text, treatAsDouble);
}

}  // namespace zelquin
