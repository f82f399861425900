// Geometry of the skinned frame: nine-part pieces, hit testing, sizing
// commands, maximize and restore rectangles, caption positions, button row.
#include <gtest/gtest.h>

#include <vector>

#include "skin/FrameLayout.h"

namespace {

using skin::Blit;
using skin::Hit;
using skin::Rect;

Blit Copy(int dx, int dy, int w, int h, int sx, int sy) { return {dx, dy, w, h, sx, sy, w, h, false}; }
Blit Stretch(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
    return {dx, dy, dw, dh, sx, sy, sw, sh, true};
}

TEST(SkinNinePart, StretchedWithCaptionBand) {
    // The main window's skin 134 (30 × 51), caption 30, border 4, on 800 × 600.
    const int B = 4, C = 30, bw = 30, bh = 51, w = 800, h = 600;
    std::vector<Blit> expected = {
        Copy(0, 0, B, C, 0, 0),
        Stretch(B, 0, w - 2 * B, C, B, 0, bw - 2 * B, C),
        Copy(w - B, 0, B, C, bw - B, 0),
        Stretch(0, C, B, h - C - B, 0, C, B, bh - C - B),
        Stretch(w - B, C, B, h - C - B, bw - B, C, B, bh - C - B),
        Stretch(B, C, w - 2 * B, h - C - B, B, C, bw - 2 * B, bh - C - B),
        Copy(0, h - B, B, B, 0, bh - B),
        Stretch(B, h - B, w - 2 * B, B, B, bh - B, bw - 2 * B, B),
        Copy(w - B, h - B, B, B, bw - B, bh - B),
    };
    EXPECT_EQ(skin::FrameBlits(true, B, C, bw, bh, w, h), expected);
}

TEST(SkinNinePart, StretchedWithoutCaptionBandUsesTheBorderAtTheTop) {
    const int B = 3, bw = 30, bh = 51, w = 200, h = 100;
    std::vector<Blit> expected = {
        Copy(0, 0, B, B, 0, 0),
        Stretch(B, 0, w - 2 * B, B, B, 0, bw - 2 * B, B),
        Copy(w - B, 0, B, B, bw - B, 0),
        Stretch(0, B, B, h - 2 * B, 0, B, B, bh - 2 * B),
        Stretch(w - B, B, B, h - 2 * B, bw - B, B, B, bh - 2 * B),
        Stretch(B, B, w - 2 * B, h - 2 * B, B, B, bw - 2 * B, bh - 2 * B),
        Copy(0, h - B, B, B, 0, bh - B),
        Stretch(B, h - B, w - 2 * B, B, B, bh - B, bw - 2 * B, B),
        Copy(w - B, h - B, B, B, bw - B, bh - B),
    };
    EXPECT_EQ(skin::FrameBlits(true, B, -1, bw, bh, w, h), expected);
}

TEST(SkinNinePart, OneToOneCopiesTheSkinThenTheRightEdgeAndBottomRow) {
    // The add-account dialog: 284 × 150 skin on a window of its size, caption 30, border 3.
    const int B = 3, C = 30, bw = 284, bh = 150, w = 284, h = 150;
    std::vector<Blit> expected = {
        Copy(0, 0, w, h, 0, 0),
        Copy(w - B, 0, B, C, bw - B, 0),
        Stretch(w - B, C, B, h - C - B, bw - B, C, B, bh - C - B),
        Copy(0, h - B, B, B, 0, bh - B),
        Stretch(B, h - B, w - 2 * B, B, B, bh - B, bw - 2 * B, B),
        Copy(w - B, h - B, B, B, bw - B, bh - B),
    };
    EXPECT_EQ(skin::FrameBlits(false, B, C, bw, bh, w, h), expected);
}

TEST(SkinNinePart, TinyWindowGetsNoMirroredOrEmptyPieces) {
    // The main window waits at 1 × 1 pixel for its first page.
    for (const Blit& b : skin::FrameBlits(true, 4, 30, 30, 51, 1, 1)) {
        EXPECT_GT(b.dw, 0);
        EXPECT_GT(b.dh, 0);
        EXPECT_GT(b.sw, 0);
        EXPECT_GT(b.sh, 0);
    }
}

TEST(SkinNinePart, PiecesTileTheWholeWindowExactlyOnce) {
    const int w = 321, h = 123;
    std::vector<int> cover(w * h, 0);
    for (const Blit& b : skin::FrameBlits(true, 4, 30, 30, 51, w, h))
        for (int y = b.dy; y < b.dy + b.dh; ++y)
            for (int x = b.dx; x < b.dx + b.dw; ++x) ++cover[y * w + x];
    for (int i = 0; i < w * h; ++i) ASSERT_EQ(cover[i], 1) << "pixel " << i % w << "," << i / w;
}

skin::HitParams Params(bool resizable, int border, int caption, int cw = 400, int ch = 300, bool maximized = false) {
    skin::HitParams p;
    p.maximized = maximized;
    p.resizable = resizable;
    p.border = border;
    p.caption = caption;
    p.clientW = cw;
    p.clientH = ch;
    return p;
}

TEST(SkinHitTest, NonResizableDragsByTheCaptionBandOnly) {
    auto p = Params(false, 4, 30);
    EXPECT_EQ(skin::FrameHitTest(p, 200, 0), Hit::Caption);
    EXPECT_EQ(skin::FrameHitTest(p, 0, 29), Hit::Caption);
    EXPECT_EQ(skin::FrameHitTest(p, 200, 30), Hit::Default);
    EXPECT_EQ(skin::FrameHitTest(p, 0, 299), Hit::Default);
}

TEST(SkinHitTest, CaptionMinusOneDragsAnywhere) {
    auto p = Params(false, 3, -1);
    EXPECT_EQ(skin::FrameHitTest(p, 150, 250), Hit::Caption);
    EXPECT_EQ(skin::FrameHitTest(p, 399, 299), Hit::Caption);
}

TEST(SkinHitTest, ResizableBordersAndCorners) {
    auto p = Params(true, 4, 30);
    EXPECT_EQ(skin::FrameHitTest(p, 0, 0), Hit::TopLeft);
    EXPECT_EQ(skin::FrameHitTest(p, 3, 3), Hit::TopLeft);
    EXPECT_EQ(skin::FrameHitTest(p, 3, 4), Hit::Left);
    EXPECT_EQ(skin::FrameHitTest(p, 0, 296), Hit::BottomLeft);
    EXPECT_EQ(skin::FrameHitTest(p, 0, 295), Hit::Left);
    EXPECT_EQ(skin::FrameHitTest(p, 396, 0), Hit::TopRight);
    EXPECT_EQ(skin::FrameHitTest(p, 399, 150), Hit::Right);
    EXPECT_EQ(skin::FrameHitTest(p, 396, 299), Hit::BottomRight);
    EXPECT_EQ(skin::FrameHitTest(p, 395, 299), Hit::Bottom);
    EXPECT_EQ(skin::FrameHitTest(p, 200, 296), Hit::Bottom);
    EXPECT_EQ(skin::FrameHitTest(p, 200, 150), Hit::Default);
}

TEST(SkinHitTest, TopResizeBandIsThreePixelsWhateverTheBorder) {
    auto p = Params(true, 4, 30);
    EXPECT_EQ(skin::FrameHitTest(p, 200, 0), Hit::Top);
    EXPECT_EQ(skin::FrameHitTest(p, 200, 2), Hit::Top);
    EXPECT_EQ(skin::FrameHitTest(p, 200, 3), Hit::Caption);
    EXPECT_EQ(skin::FrameHitTest(p, 200, 29), Hit::Caption);
    EXPECT_EQ(skin::FrameHitTest(p, 200, 30), Hit::Default);
    auto wide = Params(true, 8, 30);
    EXPECT_EQ(skin::FrameHitTest(wide, 200, 5), Hit::Caption);
}

TEST(SkinHitTest, ResizableWithoutCaptionBandHasNoBottomEdge) {
    auto p = Params(true, 4, -1);
    EXPECT_EQ(skin::FrameHitTest(p, 200, 1), Hit::Top);
    EXPECT_EQ(skin::FrameHitTest(p, 200, 299), Hit::Caption);
    EXPECT_EQ(skin::FrameHitTest(p, 0, 150), Hit::Left);
}

TEST(SkinHitTest, MaximizedNeitherDragsNorResizes) {
    auto p = Params(true, 4, 30, 400, 300, true);
    EXPECT_EQ(skin::FrameHitTest(p, 0, 0), Hit::Default);
    EXPECT_EQ(skin::FrameHitTest(p, 200, 10), Hit::Default);
    auto fixed = Params(false, 4, 30, 400, 300, true);
    EXPECT_EQ(skin::FrameHitTest(fixed, 200, 10), Hit::Default);
}

TEST(SkinHitTest, SizeCommandsFollowTheEdgeCodes) {
    EXPECT_EQ(0xF000 + skin::SizeEdge(Hit::Left), 0xF001);
    EXPECT_EQ(0xF000 + skin::SizeEdge(Hit::Right), 0xF002);
    EXPECT_EQ(0xF000 + skin::SizeEdge(Hit::Top), 0xF003);
    EXPECT_EQ(0xF000 + skin::SizeEdge(Hit::TopLeft), 0xF004);
    EXPECT_EQ(0xF000 + skin::SizeEdge(Hit::TopRight), 0xF005);
    EXPECT_EQ(0xF000 + skin::SizeEdge(Hit::Bottom), 0xF006);
    EXPECT_EQ(0xF000 + skin::SizeEdge(Hit::BottomLeft), 0xF007);
    EXPECT_EQ(0xF000 + skin::SizeEdge(Hit::BottomRight), 0xF008);
    EXPECT_EQ(skin::SizeEdge(Hit::Caption), 0);
    EXPECT_EQ(skin::SizeEdge(Hit::Default), 0);
}

TEST(SkinMaximize, LimitsEqualToTheWorkAreaCoverIt) {
    Rect work{0, 0, 1920, 1040};
    EXPECT_EQ(skin::MaximizedRect(work, 1920, 1040), work);
}

TEST(SkinMaximize, CappedWidthIsCentred) {
    Rect work{0, 0, 1920, 1040};
    EXPECT_EQ(skin::MaximizedRect(work, 1440, 1040), (Rect{240, 0, 1680, 1040}));
    EXPECT_EQ(skin::MaximizedRect(work, 1440, 900), (Rect{240, 70, 1680, 970}));
}

TEST(SkinMaximize, OddSurplusRoundsTheInsetDown) {
    Rect work{100, 50, 1101, 850};  // 1001 × 800
    EXPECT_EQ(skin::MaximizedRect(work, 1000, 799), (Rect{100, 50, 1101, 850}));
    EXPECT_EQ(skin::MaximizedRect(work, 998, 796), (Rect{101, 52, 1100, 848}));
}

TEST(SkinMaximize, InitialRestoreRectIsAnEighthIn) {
    EXPECT_EQ(skin::InitialRestoreRect({0, 0, 1280, 770}), (Rect{160, 96, 1120, 674}));
    // The left and top are the eighths themselves, not offsets from the origin.
    EXPECT_EQ(skin::InitialRestoreRect({0, 40, 1280, 800}), (Rect{160, 95, 1120, 705}));
}

TEST(SkinCaption, IconAndTitleAtTwentyFiveSevenForCaption30Border4) {
    EXPECT_EQ(skin::CaptionIconY(30), 7);
    EXPECT_EQ(skin::CaptionTitleX(4, true), 25);
    EXPECT_EQ(skin::CaptionTitleY(30), 7);
    EXPECT_EQ(skin::CaptionTitleX(4, false), 9);
}

TEST(SkinCaption, NoCaptionBand) {
    EXPECT_EQ(skin::CaptionIconY(-1), 6);
    EXPECT_EQ(skin::CaptionTitleY(-1), 4);  // (−12)/2 = −6 < 0
    EXPECT_EQ(skin::CaptionTitleY(5), 4);   // (−6)/2 = −3 < 0
    EXPECT_EQ(skin::CaptionTitleY(11), -2); // y0 = 0 → 0 − 2
}

TEST(SkinCaption, TitleAreaTop) {
    EXPECT_EQ(skin::TitleAreaTop(30, -11), 8);  // (30 − 11 + 1)/2 = 10
    EXPECT_EQ(skin::TitleAreaTop(30, 13), 7);   // 18/2 = 9
    EXPECT_EQ(skin::TitleAreaTop(-1, -11), 4);  // y0 = −5 → 6
}

TEST(SkinButtons, CloseMaxMinStandRightToLeft) {
    // 400 wide, right margin 0, gap 2: close 33, max 27, min 27.
    auto lefts = skin::RightToLeft(400, 2, {33, 27, 27});
    EXPECT_EQ(lefts, (std::vector<int>{367, 338, 309}));
    EXPECT_EQ(skin::RightToLeft(395, 0, {33}), (std::vector<int>{362}));
    EXPECT_EQ(skin::RightToLeft(400, 0, {33, 27}), (std::vector<int>{367, 340}));
}

TEST(SkinButtons, StripFramesAreAQuarterWide) {
    EXPECT_EQ(skin::StripFrameWidth(132), 33);
    EXPECT_EQ(skin::StripFrameWidth(228), 57);
    EXPECT_EQ(skin::StripFrameWidth(110), 27);  // the last two columns are ignored
}

}  // namespace
