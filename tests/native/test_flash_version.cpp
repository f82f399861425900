#include <gtest/gtest.h>

#include "app/FlashVersion.h"

namespace {

TEST(FlashVersion, StrictlyNewerThanTheRequiredOne) {
    EXPECT_TRUE(IsFlashVersionNewer(L"11,2,202,235"));
    EXPECT_FALSE(IsFlashVersionNewer(L"10,3,102,64")) << "equal is too old";
    EXPECT_TRUE(IsFlashVersionNewer(L"10,3,102,65"));
    EXPECT_TRUE(IsFlashVersionNewer(L"10,3,103,0"));
    EXPECT_FALSE(IsFlashVersionNewer(L"10,3,101,999"));
    EXPECT_FALSE(IsFlashVersionNewer(L"9,9,999,999"));
}

TEST(FlashVersion, ShortOrOddTextsRepeatTheirLastComponent) {
    // 10,3 is compared as 10,3,3,3.
    EXPECT_FALSE(IsFlashVersionNewer(L"10,3"));
    EXPECT_TRUE(IsFlashVersionNewer(L"10,3", L"10,2,999,999"));
    EXPECT_TRUE(IsFlashVersionNewer(L"11"));
    EXPECT_FALSE(IsFlashVersionNewer(L""));
    EXPECT_FALSE(IsFlashVersionNewer(L"abc"));
    EXPECT_TRUE(IsFlashVersionNewer(L"32 r0,0,0,0")) << "leading digits of a component";
    EXPECT_TRUE(IsFlashVersionNewer(L"99999999999999999999999,0"));
}

}  // namespace
