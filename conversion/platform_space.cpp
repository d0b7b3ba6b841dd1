// The platform seam of the conversion core: which code units from U+0100 up
// are space characters. Windows answers through its character type query;
// elsewhere a fixed table of the Unicode space separators and line and
// paragraph separators above U+00FF serves.
#include "platform_space.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace zelquin {

bool IsTableSpaceAbove00FF(char16_t unit) {
    switch (unit) {
        case 0x1680:
        case 0x2028:
        case 0x2029:
        case 0x202F:
        case 0x205F:
        case 0x3000:
            return true;
        default:
            return unit >= 0x2000 && unit <= 0x200A;
    }
}

#ifdef _WIN32
bool IsPlatformSpaceAbove00FF(char16_t unit) {
    const WCHAR text[1] = {static_cast<WCHAR>(unit)};
    WORD type = 0;
    if (!GetStringTypeW(CT_CTYPE1, text, 1, &type)) return false;
    return (type & C1_SPACE) != 0;
}
#else
bool IsPlatformSpaceAbove00FF(char16_t unit) { return IsTableSpaceAbove00FF(unit); }
#endif

}  // namespace zelquin
