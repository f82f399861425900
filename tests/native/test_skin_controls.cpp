// Logic of the skinned controls: button faces, label wrapping, progress fill
// halves, message box size, buttons, lines and results.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/ControlLayout.h"

namespace {

using skin::Blit;
using skin::Rect;

TEST(SkinButtonFace, StatesPickTheirFrames) {
    bool latch = false;
    EXPECT_EQ(skin::BtnFrameIndex(false, false, false, latch), 0);
    EXPECT_EQ(skin::BtnFrameIndex(false, false, true, latch), 1);
    EXPECT_FALSE(latch);
    EXPECT_EQ(skin::BtnFrameIndex(false, true, true, latch), 2);
    EXPECT_TRUE(latch);
}

TEST(SkinButtonFace, LatchKeepsPressedWhileDraggedOff) {
    bool latch = false;
    EXPECT_EQ(skin::BtnFrameIndex(false, true, true, latch), 2);
    // Pointer off the held button: not selected, no hover, still pressed.
    EXPECT_EQ(skin::BtnFrameIndex(false, false, false, latch), 2);
    EXPECT_EQ(skin::BtnFrameIndex(false, true, true, latch), 2);
    latch = false;  // released
    EXPECT_EQ(skin::BtnFrameIndex(false, false, true, latch), 1);
}

TEST(SkinButtonFace, DisabledWinsOverEverything) {
    bool latch = true;
    EXPECT_EQ(skin::BtnFrameIndex(true, true, true, latch), 3);
    latch = false;
    EXPECT_EQ(skin::BtnFrameIndex(true, false, true, latch), 3);
    EXPECT_FALSE(latch);
}

// Every character 12 pixels wide, like the full-width glyphs of a 12-pixel font.
int Fixed12(const std::wstring& s) { return 12 * (int)s.size(); }

TEST(SkinLabelWrap, HundredPixelsHoldEightCharacters) {
    std::wstring text(20, L'汉');
    auto lines = skin::WrapLabel(text, 100, 12, Fixed12);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 8u);
    EXPECT_EQ(lines[1].size(), 8u);
    EXPECT_EQ(lines[2].size(), 4u);
    EXPECT_EQ(skin::LabelHeight(16, 3, 3), 3 * 16 + 2 * 3);
}

TEST(SkinLabelWrap, CrLfBreaksOnceAndDoubleNewlineLeavesAnEmptyLine) {
    auto a = skin::WrapLabel(L"ab\r\ncd", 100, 12, Fixed12);
    EXPECT_EQ(a, (std::vector<std::wstring>{L"ab", L"cd"}));
    auto b = skin::WrapLabel(L"ab\n\ncd", 100, 12, Fixed12);
    EXPECT_EQ(b, (std::vector<std::wstring>{L"ab", L"", L"cd"}));
    auto c = skin::WrapLabel(L"ab\n", 100, 12, Fixed12);
    EXPECT_EQ(c, (std::vector<std::wstring>{L"ab", L""}));
}

TEST(SkinLabelWrap, ExactFitStaysOnTheLine) {
    auto lines = skin::WrapLabel(L"abcdefgh", 96, 12, Fixed12);
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"abcdefgh"}));
    lines = skin::WrapLabel(L"abcdefghi", 96, 12, Fixed12);
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"abcdefgh", L"i"}));
}

TEST(SkinLabelWrap, OverWideCharacterStandsAloneAndTheWrapMovesOn) {
    // 'W' is 40 pixels in a 30-pixel label (that still passes the 12-pixel average test).
    auto measure = [](const std::wstring& s) {
        int w = 0;
        for (wchar_t c : s) w += c == L'W' ? 40 : 10;
        return w;
    };
    auto lines = skin::WrapLabel(L"aWWbcde", 30, 12, measure);
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"a", L"W", L"W", L"bcd", L"e"}));
}

TEST(SkinLabelWrap, NarrowerThanOneGlyphDrawsNothing) {
    EXPECT_TRUE(skin::WrapLabel(L"abc", 11, 12, Fixed12).empty());
    EXPECT_EQ(skin::LabelHeight(16, 3, 0), 0);
}

TEST(SkinLabelWrap, UsesTheMeasureForEveryGrowingLine) {
    std::vector<std::wstring> measured;
    skin::WrapLabel(L"abc", 100, 12, [&](const std::wstring& s) {
        measured.push_back(s);
        return 12 * (int)s.size();
    });
    // Single characters always fit their line; longer prefixes are measured.
    EXPECT_EQ(measured, (std::vector<std::wstring>{L"ab", L"abc"}));
}

TEST(SkinProgress, FillRectIsCentredInTheTrack) {
    EXPECT_EQ(skin::CenteredRect(390, 21, 390, 21), (Rect{0, 0, 390, 21}));
    EXPECT_EQ(skin::CenteredRect(390, 21, 380, 15), (Rect{5, 3, 385, 18}));
    EXPECT_EQ(skin::CenteredRect(390, 21, 381, 16), (Rect{4, 2, 385, 18}));
}

TEST(SkinProgress, PositionFiftyOf390FillsColumns0To96And292To389) {
    EXPECT_EQ(skin::ProgressFillWidth(390, 50, 0, 100), 195);
    auto pieces = skin::ProgressFillPieces({0, 0, 390, 21}, 195);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], (Blit{0, 0, 97, 21, 0, 0, 97, 21, false}));   // columns 0..96
    EXPECT_EQ(pieces[1], (Blit{97, 0, 98, 21, 292, 0, 98, 21, false}));  // columns 292..389
}

TEST(SkinProgress, PiecesFollowAnOffsetFillRect) {
    auto pieces = skin::ProgressFillPieces({5, 3, 385, 18}, 11);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], (Blit{5, 3, 5, 15, 0, 0, 5, 15, false}));
    EXPECT_EQ(pieces[1], (Blit{10, 3, 6, 15, 374, 0, 6, 15, false}));
}

TEST(SkinProgress, ZeroDrawsTrackOnlyAndHundredTheWholeFill) {
    EXPECT_EQ(skin::ProgressFillWidth(390, 0, 0, 100), 0);
    EXPECT_TRUE(skin::ProgressFillPieces({0, 0, 390, 21}, 0).empty());
    EXPECT_EQ(skin::ProgressFillWidth(390, 100, 0, 100), 390);
    auto pieces = skin::ProgressFillPieces({0, 0, 390, 21}, 390);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].sx + pieces[0].sw, 195);
    EXPECT_EQ(pieces[1].sx, 195);
    EXPECT_EQ(pieces[1].sx + pieces[1].sw, 390);
}

TEST(SkinProgress, OnePixelFillUsesTheRightEnd) {
    auto pieces = skin::ProgressFillPieces({0, 0, 390, 21}, 1);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], (Blit{0, 0, 1, 21, 389, 0, 1, 21, false}));
}

TEST(SkinProgress, EmptyOrOutOfRangeNeverReadsOutsideTheImage) {
    EXPECT_EQ(skin::ProgressFillWidth(390, 50, 0, 0), 0);
    EXPECT_EQ(skin::ProgressFillWidth(390, 50, 10, 5), 0);
    EXPECT_EQ(skin::ProgressFillWidth(390, 150, 0, 100), 390);
    EXPECT_EQ(skin::ProgressFillWidth(390, -5, 0, 100), 0);
    EXPECT_EQ(skin::ProgressFillWidth(390, 60, 10, 110), 195);  // measured from the lower bound
    for (const Blit& b : skin::ProgressFillPieces({0, 0, 390, 21}, 1000)) {
        EXPECT_GE(b.sx, 0);
        EXPECT_LE(b.sx + b.sw, 390);
    }
}

TEST(SkinMessageBox, ResultsPerTypeAndButton) {
    EXPECT_EQ(skin::MessageBoxResult(0, 5000), 1);
    EXPECT_EQ(skin::MessageBoxResult(1, 5000), 1);
    EXPECT_EQ(skin::MessageBoxResult(1, 5001), 2);
    EXPECT_EQ(skin::MessageBoxResult(4, 5000), 6);
    EXPECT_EQ(skin::MessageBoxResult(4, 5001), 7);
    EXPECT_EQ(skin::MessageBoxResult(3, 5000), 1);
    EXPECT_FALSE(skin::MessageBoxHasTwoButtons(0));
    EXPECT_TRUE(skin::MessageBoxHasTwoButtons(1));
    EXPECT_TRUE(skin::MessageBoxHasTwoButtons(4));
    EXPECT_FALSE(skin::MessageBoxHasTwoButtons(2));
    EXPECT_FALSE(skin::MessageBoxHasTwoButtons(0x30));
}

TEST(SkinMessageBox, Labels) {
    EXPECT_STREQ(skin::MessageBoxLabel(0, 0), L"确定");
    EXPECT_STREQ(skin::MessageBoxLabel(1, 0), L"确定");
    EXPECT_STREQ(skin::MessageBoxLabel(1, 1), L"取消");
    EXPECT_STREQ(skin::MessageBoxLabel(4, 0), L"是");
    EXPECT_STREQ(skin::MessageBoxLabel(4, 1), L"否");
    EXPECT_STREQ(skin::MessageBoxLabel(7, 0), L"确定");
}

TEST(SkinMessageBox, NarrowTextGivesTwoButtonsPlusSixty) {
    // 57 × 23 frames of the 228 × 23 strip.
    auto l = skin::LayOutMessageBox(4, 100, 14, 1, 228, 23);
    EXPECT_EQ(l.width, 174);
    EXPECT_EQ(l.height, 3 + 90 + 14 + 23);
    EXPECT_EQ(l.btn1, (Rect{87 - 10 - 57, 130 - 30 - 23, 77, 100}));
    EXPECT_EQ(l.btn2, (Rect{97, 77, 154, 100}));
}

TEST(SkinMessageBox, WideTextGivesTextPlusSixtyAndOneCentredButton) {
    auto l = skin::LayOutMessageBox(0, 300, 14, 1, 228, 23);
    EXPECT_EQ(l.width, 360);
    EXPECT_EQ(l.btn1, (Rect{151, 77, 208, 100}));
    EXPECT_EQ(l.btn2, Rect{});
    // At exactly 2·bw + 60 the buttons decide.
    EXPECT_EQ(skin::LayOutMessageBox(0, 174, 14, 1, 228, 23).width, 174);
    EXPECT_EQ(skin::LayOutMessageBox(0, 175, 14, 1, 228, 23).width, 235);
}

TEST(SkinMessageBox, ThreeLinesAddSixPixelsOfGaps) {
    auto l = skin::LayOutMessageBox(0, 100, 42, 3, 228, 23);
    EXPECT_EQ(l.height, 9 + 90 + 42 + 23);
    // 55 + th + 3·(lines − 1) + 8 = H − 30 − bh
    EXPECT_EQ(55 + 42 + 6 + 8, l.height - 30 - 23);
    auto lines = skin::MessageBoxTextLines(L"one\ntwo\nthree", l.width, 100, 42, 3);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, L"one");
    EXPECT_EQ(lines[0].rc, (Rect{37, 55, 137, 69}));
    EXPECT_EQ(lines[1].rc.top, 55 + 14 + 3);
    EXPECT_EQ(lines[2].rc.top, 55 + 2 * (14 + 3));
    EXPECT_EQ(lines[2].text, L"three");
}

TEST(SkinMessageBox, TrailingNewlineCountsButDrawsNothing) {
    EXPECT_EQ(skin::MessageBoxLineCount(L"abc\n"), 2);
    auto lines = skin::MessageBoxTextLines(L"abc\n", 174, 30, 28, 2);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, L"abc");
}

TEST(SkinMessageBox, CrBeforeNewlineStaysInItsLine) {
    EXPECT_EQ(skin::MessageBoxLineCount(L"a\r\nb"), 2);
    auto lines = skin::MessageBoxTextLines(L"a\r\nb", 174, 30, 28, 2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, L"a\r");
    EXPECT_EQ(lines[1].text, L"b");
}

TEST(SkinMessageBox, EmptyTextDrawsNoLine) {
    EXPECT_EQ(skin::MessageBoxLineCount(L""), 1);
    EXPECT_TRUE(skin::MessageBoxTextLines(L"", 174, 0, 0, 1).empty());
}

}  // namespace
