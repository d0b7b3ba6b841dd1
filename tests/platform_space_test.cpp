// White space from U+0100 up: on Windows the character type query decides,
// elsewhere a fixed table. The two must agree for every code unit, or the
// value and pattern fields would read the same text differently by platform.
#include "platform_space.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "pattern_reading.h"

namespace zelquin {
namespace {

TEST(PlatformSpace, TableAndPlatformAgreeOnEveryUnitFromU0100) {
    std::u16string disagreements;
    for (unsigned unit = 0x0100; unit <= 0xFFFF; ++unit) {
        const auto u = static_cast<char16_t>(unit);
        if (IsPlatformSpaceAbove00FF(u) != IsTableSpaceAbove00FF(u)) disagreements += u;
    }
    std::string listed;
    for (char16_t u : disagreements) {
        char hex[8];
        std::snprintf(hex, sizeof hex, " U+%04X", static_cast<unsigned>(u));
        listed += hex;
    }
    EXPECT_TRUE(disagreements.empty()) << "the platform and the table disagree on" << listed;
}

TEST(PlatformSpace, TableHoldsExactlyTheSeventeenSpacesAboveU00FF) {
    int count = 0;
    for (unsigned unit = 0x0100; unit <= 0xFFFF; ++unit)
        count += IsTableSpaceAbove00FF(static_cast<char16_t>(unit));
    EXPECT_EQ(count, 17);
    for (char16_t u :
         {u'\u1680', u'\u2000', u'\u200A', u'\u2028', u'\u2029', u'\u202F', u'\u205F', u'\u3000'}) {
        EXPECT_TRUE(IsWhiteSpace(u)) << static_cast<unsigned>(u);
    }
    // Neighbours and look-alikes that are not white space.
    for (char16_t u :
         {u'\u180E', u'\u200B', u'\u2060', u'\uFEFF', u'\u1FFF', u'\u3001', u'\uFFFF'}) {
        EXPECT_FALSE(IsWhiteSpace(u)) << static_cast<unsigned>(u);
    }
}

}  // namespace
}  // namespace zelquin
