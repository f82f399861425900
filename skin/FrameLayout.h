// Geometry of the skinned dialog frame, free of Windows: the nine-part
// drawing of the background, hit-test codes, sizing commands, the own
// maximize rectangle, caption positions and the system buttons' row.
#pragma once

#include <vector>

namespace skin {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// One block transfer: destination (x, y, w, h) ← source (x, y, w, h). A copy
// has the same size on both sides; a stretch scales.
struct Blit {
    int dx, dy, dw, dh;
    int sx, sy, sw, sh;
    bool stretch;
    bool operator==(const Blit& o) const {
        return dx == o.dx && dy == o.dy && dw == o.dw && dh == o.dh && sx == o.sx && sy == o.sy &&
               sw == o.sw && sh == o.sh && stretch == o.stretch;
    }
};

// The pieces that draw a bw × bh skin onto a w × h window with border B and
// caption height C (−1: no caption band), in drawing order. `stretch` picks
// the nine-part grid; otherwise the skin is copied 1:1 and only its right
// edge and bottom row follow the window. Pieces that would be empty or
// mirrored (a window smaller than its borders) are left out.
std::vector<Blit> FrameBlits(bool stretch, int border, int caption, int skinW, int skinH, int wndW,
                             int wndH);

// Hit-test answers of the frame; the Windows side maps them to HT* codes.
enum class Hit { Default, Caption, Left, Right, Top, TopLeft, TopRight, Bottom, BottomLeft, BottomRight };

struct HitParams {
    bool maximized = false;
    bool resizable = false;
    int border = 3;
    int caption = -1;
    int clientW = 0;
    int clientH = 0;
};

// (x, y) in client coordinates. A resizable frame resizes from its border
// bands, but from a fixed 3-pixel band at the top, whatever the border.
Hit FrameHitTest(const HitParams& p, int x, int y);

// The edge part of SC_SIZE (0xF000 + edge) that starts sizing for a border
// code, or 0 for codes that do not size.
int SizeEdge(Hit hit);

// The first restore rectangle of a frame: an eighth in from every side of the
// work area, the left and top taken as the eighths themselves.
Rect InitialRestoreRect(const Rect& workArea);

// The frame's own maximized rectangle: the work area, narrowed (centred) to
// at most maxW × maxH.
Rect MaximizedRect(const Rect& workArea, int maxW, int maxH);

// Caption band positions (caption height C, border B).
int CaptionIconY(int caption);
int CaptionTitleY(int caption);
int CaptionTitleX(int border, bool hasIcon);
// Top of the text area that SetTitle invalidates, for a font of the given
// absolute height.
int TitleAreaTop(int caption, int fontHeight);

// Lays buttons out from `right` leftwards, `gap` apart: the i-th button of
// widths[i] gets the returned left edge; its right edge is left + widths[i].
std::vector<int> RightToLeft(int right, int gap, const std::vector<int>& widths);

// Width of one frame of a four-frame image strip.
constexpr int StripFrameWidth(int stripWidth) { return stripWidth / 4; }

}  // namespace skin
