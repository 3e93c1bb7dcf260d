#include <gtest/gtest.h>

#include "com/Guid.h"
#include "com/Unknown.h"

TEST(Guid, FormatsAsTheRegistryHoldsIt) {
    constexpr GUID clsid = {0x5C0E7A21, 0x3B9D, 0x4F62, {0xA8, 0xE1, 0x2D, 0x74, 0xC9, 0xB0, 0xF6, 0x13}};
    EXPECT_EQ(com::GuidToString(clsid), u"{5C0E7A21-3B9D-4F62-A8E1-2D74C9B0F613}");
    EXPECT_EQ(com::GuidToString(IID_IDispatch), u"{00020400-0000-0000-C000-000000000046}");
}

TEST(Guid, ParsesEitherCaseAndRoundTrips) {
    auto parsed = com::GuidFromString(u"{b196b284-bab4-101a-b69c-00aa00341d07}");
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(*parsed == IID_IConnectionPointContainer);
    EXPECT_EQ(com::GuidToString(*parsed), u"{B196B284-BAB4-101A-B69C-00AA00341D07}");
}

TEST(Guid, RejectsMalformedText) {
    for (const char16_t* bad : {u"", u"5C0E7A21-3B9D-4F62-A8E1-2D74C9B0F613", u"{5C0E7A21-3B9D-4F62-A8E1-2D74C9B0F61}",
                                u"{5C0E7A21-3B9D-4F62-A8E12D74C9B0F6133}", u"{5C0E7A2G-3B9D-4F62-A8E1-2D74C9B0F613}"}) {
        EXPECT_FALSE(com::GuidFromString(bad)) << static_cast<int>(std::u16string(bad).size());
    }
}
