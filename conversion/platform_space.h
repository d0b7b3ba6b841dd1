// The one platform seam of the conversion core: the Unicode space
// classification of code units from U+0100 up.
#pragma once

namespace zelquin {

// The platform's classification: GetStringTypeW with CT_CTYPE1 and C1_SPACE
// on Windows (a failed call is "not a space"), the table below elsewhere.
bool IsPlatformSpaceAbove00FF(char16_t unit);

// The space characters from U+0100 up, as a fixed table: U+1680,
// U+2000..U+200A, U+2028, U+2029, U+202F, U+205F, U+3000.
bool IsTableSpaceAbove00FF(char16_t unit);

}  // namespace zelquin
