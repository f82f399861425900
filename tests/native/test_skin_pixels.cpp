// Alpha flattening into the key colour and the corner pixels that shape a
// skinned window.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "skin/SkinPixels.h"

namespace {

using skin::Point;

std::vector<uint8_t> Flat(uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
    uint8_t in[4] = {b, g, r, a};
    std::vector<uint8_t> out(4, 0xEE);
    skin::FlattenPixel(in, out.data());
    return out;
}

TEST(SkinFlatten, OpaquePixelsKeepTheirColour) {
    EXPECT_EQ(Flat(10, 20, 30, 255), (std::vector<uint8_t>{10, 20, 30, 0}));
    EXPECT_EQ(Flat(0, 0, 0, 255), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(SkinFlatten, FullyTransparentBecomesMagentaWhateverItsColour) {
    EXPECT_EQ(Flat(0, 0, 0, 0), (std::vector<uint8_t>{255, 0, 255, 0}));
    EXPECT_EQ(Flat(12, 200, 7, 0), (std::vector<uint8_t>{255, 0, 255, 0}));
}

TEST(SkinFlatten, HalfTransparentBlackAt128IsGrey127) {
    // (128·(0 − 255) + 65025) / 255 = 32385 / 255 = 127
    EXPECT_EQ(Flat(0, 0, 0, 128), (std::vector<uint8_t>{127, 127, 127, 0}));
}

TEST(SkinFlatten, BlendRoundsDown) {
    // a = 1, c = 0: (−255 + 65025) / 255 = 254
    EXPECT_EQ(skin::BlendOverWhite(0, 1), 254);
    // a = 200, c = 100: (200·(−155) + 65025)/255 = 34025/255 = 133.43 → 133
    EXPECT_EQ(skin::BlendOverWhite(100, 200), 133);
    // a = 254, c = 0: 255/255 = 1
    EXPECT_EQ(skin::BlendOverWhite(0, 254), 1);
    EXPECT_EQ(skin::BlendOverWhite(255, 64), 255);
}

TEST(SkinFlatten, NoHalfTransparentPixelTurnsIntoTheKey) {
    // The green channel would have to reach 0, which needs full opacity.
    for (int a = 1; a < 255; ++a)
        for (int g = 0; g < 256; ++g) ASSERT_GT(skin::BlendOverWhite((uint8_t)g, (uint8_t)a), 0) << a << " " << g;
}

TEST(SkinFlatten, RowsAreFlippedBottomUpAndUseTheSourceStride) {
    // 2 × 3 image with 4 padding bytes after every source row.
    const int w = 2, h = 3, stride = w * 4 + 4;
    std::vector<uint8_t> src(stride * h, 0x55);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &src[y * stride + x * 4];
            p[0] = (uint8_t)(10 * y + x);
            p[1] = 1;
            p[2] = 2;
            p[3] = 255;
        }
    src[1 * stride + 4 + 3] = 0;  // (1, 1) transparent
    std::vector<uint8_t> dst(w * h * 4, 0xAA);
    skin::FlattenToKeyed(src.data(), stride, w, h, dst.data());
    // Destination row 0 is the source's last row.
    EXPECT_EQ(dst[0], 20);
    EXPECT_EQ(dst[4], 21);
    EXPECT_EQ(dst[2 * w * 4 + 0], 0);   // source row 0 lands last
    EXPECT_EQ(dst[2 * w * 4 + 4], 1);
    const uint8_t* mid = &dst[1 * w * 4 + 4];
    EXPECT_EQ(mid[0], 255);
    EXPECT_EQ(mid[1], 0);
    EXPECT_EQ(mid[2], 255);
    for (int i = 3; i < (int)dst.size(); i += 4) EXPECT_EQ(dst[i], 0) << i;
}

TEST(SkinFlatten, NegativeStrideWalksUpwards) {
    // Rows stored bottom-up in memory: source row 0 (B = 7) sits after row 1 (B = 9).
    std::vector<uint8_t> buf = {9, 0, 0, 255, 7, 0, 0, 255};
    std::vector<uint8_t> dst(8, 0);
    skin::FlattenToKeyed(buf.data() + 4, -4, 1, 2, dst.data());
    EXPECT_EQ(dst[0], 9);  // the last source row comes first
    EXPECT_EQ(dst[4], 7);
}

// The staircase of the small-dialog skins: 3, 2, 1 transparent pixels in the
// first three rows from each outer edge at the top; square bottom corners.
bool Staircase(int bw, int x, int y) {
    const int fromEdge = std::min(x, bw - 1 - x);
    return y < 3 && fromEdge < 3 - y;
}

std::vector<Point> Sorted(std::vector<Point> v) {
    std::sort(v.begin(), v.end(), [](const Point& a, const Point& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    return v;
}

TEST(SkinRegion, StaircaseCornersCutSixPixelsEachSideAtAnyWindowSize) {
    const int bw = 30, bh = 51;
    auto isKey = [&](int x, int y) { return Staircase(bw, x, y); };
    auto cut = Sorted(skin::CornerCutPixels(bw, bh, 400, 300, isKey));
    std::vector<Point> expected = {{0, 0}, {1, 0}, {2, 0}, {397, 0}, {398, 0}, {399, 0},
                                   {0, 1}, {1, 1}, {398, 1}, {399, 1}, {0, 2}, {399, 2}};
    EXPECT_EQ(cut, expected);
}

TEST(SkinRegion, BottomCornersMapToTheWindowsBottomRows) {
    const int bw = 20, bh = 20, w = 100, h = 60;
    // Key only at the skin's bottom-left pixel and one pixel up-right of the bottom-right one.
    auto isKey = [&](int x, int y) { return (x == 0 && y == bh - 1) || (x == bw - 2 && y == bh - 2); };
    auto cut = Sorted(skin::CornerCutPixels(bw, bh, w, h, isKey));
    std::vector<Point> expected = {{98, 58}, {0, 59}};
    EXPECT_EQ(cut, expected);
}

TEST(SkinRegion, NoKeyPixelsGiveARectangularWindow) {
    EXPECT_TRUE(skin::CornerCutPixels(30, 51, 200, 100, [](int, int) { return false; }).empty());
}

TEST(SkinRegion, OnlyTheNineByNineCornersAreLookedAt) {
    std::vector<Point> asked;
    skin::CornerCutPixels(30, 51, 200, 100, [&](int x, int y) {
        asked.push_back({x, y});
        return true;
    });
    for (const Point& p : asked) {
        EXPECT_TRUE(p.x < 9 || p.x >= 30 - 9) << p.x;
        EXPECT_TRUE(p.y < 9 || p.y >= 51 - 9) << p.y;
    }
    // 4 corners × 81 pixels, every one of them magenta: 324 window pixels.
    EXPECT_EQ(skin::CornerCutPixels(30, 51, 200, 100, [](int, int) { return true; }).size(), 324u);
}

TEST(SkinRegion, SkinSmallerThanTheCornerBlocksStaysInside) {
    std::vector<Point> asked;
    auto cut = skin::CornerCutPixels(4, 3, 5, 5, [&](int x, int y) {
        asked.push_back({x, y});
        return true;
    });
    for (const Point& p : asked) {
        EXPECT_GE(p.x, 0);
        EXPECT_LT(p.x, 4);
        EXPECT_GE(p.y, 0);
        EXPECT_LT(p.y, 3);
    }
    for (const Point& p : cut) {
        EXPECT_GE(p.x, 0);
        EXPECT_LT(p.x, 5);
        EXPECT_GE(p.y, 0);
        EXPECT_LT(p.y, 5);
    }
    // Rows 0–2 and 2–4 of the 5-high window, all columns: everything.
    EXPECT_EQ(cut.size(), 25u);
}

}  // namespace
