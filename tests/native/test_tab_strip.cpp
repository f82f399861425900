#include <gtest/gtest.h>

#include "mainwnd/CommandLines.h"
#include "mainwnd/TabStrip.h"

using namespace tabstrip;

namespace {

TEST(TabStrip, HitZoneIsOpenOnTheLeftAndEndsAtTheLastTab) {
    EXPECT_FALSE(InHitZone(120, 10, 1));
    EXPECT_TRUE(InHitZone(121, 10, 1));
    EXPECT_TRUE(InHitZone(308, 10, 1));
    EXPECT_FALSE(InHitZone(309, 10, 1));
    EXPECT_TRUE(InHitZone(309, 10, 2));
    EXPECT_TRUE(InHitZone(200, 3, 1));
    EXPECT_TRUE(InHitZone(200, 24, 1));
    EXPECT_FALSE(InHitZone(200, 2, 1));
    EXPECT_FALSE(InHitZone(200, 25, 1));
    EXPECT_FALSE(InHitZone(200, 10, 0));
    EXPECT_EQ(TabIndexAt(121), 0);
    EXPECT_EQ(TabIndexAt(308), 0);
    EXPECT_EQ(TabIndexAt(309), 1);
    EXPECT_EQ(TabIndexAt(120 + 189 * 3 - 1), 2);
}

TEST(TabStrip, CloseBoxOfEachTab) {
    EXPECT_TRUE(InCloseBox(0, 296, 3));
    EXPECT_TRUE(InCloseBox(0, 308, 15));
    EXPECT_FALSE(InCloseBox(0, 309, 10));
    EXPECT_FALSE(InCloseBox(0, 300, 16));
    EXPECT_FALSE(InCloseBox(0, 295, 10));
    EXPECT_TRUE(InCloseBox(2, 296 + 378, 10));
    EXPECT_FALSE(InCloseBox(1, 300, 10));
}

TEST(TabStrip, RectanglesOfTabTwo) {
    EXPECT_EQ(TabImageRect(2), (skin::Rect{498, 3, 687, 25}));
    EXPECT_EQ(CloseBoxRect(2), (skin::Rect{674, 3, 687, 16}));
    EXPECT_EQ(TabTextRect(2), (skin::Rect{514, 8, 674, 22}));
    EXPECT_EQ(TabRepaintRect(2), (skin::Rect{498, 3, 687, 25}));
    EXPECT_EQ(StripRepaintRect(3), (skin::Rect{120, 3, 687, 25}));
    EXPECT_EQ(StripAfterCloseRect(1), (skin::Rect{120, 3, 498, 25}));
}

TEST(TabStrip, PageAreaAndMinimumSize) {
    EXPECT_EQ(PageArea(1280, 800), (skin::Rect{4, 30, 1276, 796}));
    EXPECT_EQ(MinWindowWidth(1), 672);
    EXPECT_EQ(MinWindowWidth(2), 861);
    EXPECT_EQ(MinWindowWidth(3), 1050);
}

TEST(TabStrip, LongTitlesAreCutToEighteenCharacters) {
    auto tenPerChar = [](const std::wstring& s) { return int(s.size()) * 10; };
    EXPECT_EQ(DisplayTitle(L"12服-宝宝-abc", tenPerChar), L"12服-宝宝-abc");
    std::wstring sixteen(16, L'x');  // exactly 160 pixels: kept
    EXPECT_EQ(DisplayTitle(sixteen, tenPerChar), sixteen);
    std::wstring twenty = L"abcdefghijklmnopqrst";
    EXPECT_EQ(DisplayTitle(twenty, tenPerChar), L"abcdefghijklmnopqr...");
    // Width decides, not length: a short but wide title is cut too.
    auto wide = [](const std::wstring& s) { return int(s.size()) * 20; };
    EXPECT_EQ(DisplayTitle(L"123456789", wide), L"123456789...");
    // A character of two UTF-16 units across the cut goes whole.
    const std::wstring pair{wchar_t(0xD83D), wchar_t(0xDE00)};
    EXPECT_EQ(DisplayTitle(std::wstring(17, L'a') + pair + L"bc", tenPerChar), std::wstring(17, L'a') + L"...");
    EXPECT_EQ(DisplayTitle(std::wstring(16, L'a') + pair + L"bc", tenPerChar), std::wstring(16, L'a') + pair + L"...");
}

TEST(TabStrip, HoverPartOfATab) {
    EXPECT_EQ(HoverPart(0, 200, 10, false), 0);
    EXPECT_EQ(HoverPart(0, 200, 10, true), 0) << "pressing the tab itself is no close";
    EXPECT_EQ(HoverPart(0, 300, 10, false), 1);
    EXPECT_EQ(HoverPart(0, 300, 10, true), 2);
    EXPECT_EQ(HoverPart(1, 300, 10, false), 0) << "tab 1's close box lies further right";
    EXPECT_EQ(HoverPart(1, 300 + 189, 10, false), 1);
}

TEST(TabStrip, HoverRepaintsOnlyWhatChanged) {
    using V = std::vector<skin::Rect>;
    struct Case {
        int oldTab, oldPart, newTab, newPart;
        V expected;
    };
    const Case cases[] = {
        {1, 0, 1, 0, {}},                                    // no change
        {-1, -1, 0, 0, {TabRepaintRect(0)}},                 // entering
        {0, 0, 0, 1, {CloseBoxRect(0)}},                     // onto the close box
        {0, 1, 0, 2, {CloseBoxRect(0)}},                     // pressing it
        {0, 1, 1, 0, {TabRepaintRect(0), TabRepaintRect(1)}},  // to another tab
        {2, 0, -1, -1, {TabRepaintRect(2)}},                 // leaving
        {-1, -1, -1, -1, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HoverRepaints(c.oldTab, c.oldPart, c.newTab, c.newPart), c.expected)
            << c.oldTab << "," << c.oldPart << " -> " << c.newTab << "," << c.newPart;
}

TEST(TabStrip, CaptionControlsFollowTheRightEdge) {
    CaptionControls c = PlaceCaptionControls(1000);
    EXPECT_EQ(c.hide, (skin::Rect{886, 0, 913, 27}));
    EXPECT_EQ(c.sound, (skin::Rect{859, 0, 886, 27}));
    EXPECT_EQ(c.system, (skin::Rect{815, 0, 859, 28}));
    EXPECT_EQ(c.hall, (skin::Rect{736, 0, 815, 28}));
    EXPECT_EQ(c.addAccount, (skin::Rect{640, 7, 732, 23}));
}

TEST(CommandLines, PathIsQuotedAndNumbersDecimal) {
    const std::wstring exe = L"C:\\Program Files\\Vexo\\VexoQuon.exe";
    EXPECT_EQ(PageProcessCommandLine(exe, 65616, 2), L"\"" + exe + L"\" /newgm /65616 /2");
    EXPECT_EQ(FirstPageProcessCommandLine(exe, 4321), L"\"" + exe + L"\" /newgm /0 /0 /4321");
    EXPECT_EQ(HallProcessCommandLine(exe, 65616), L"\"" + exe + L"\" /gmhall /65616");
    EXPECT_EQ(NewMainWindowCommandLine(exe), L"\"" + exe + L"\"");
    EXPECT_EQ(UpdaterCommandLine(exe), L"\"" + exe + L"\" /update");
}

}  // namespace
