#include "skin/FrameLayout.h"

namespace skin {

namespace {

void Add(std::vector<Blit>& out, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, bool stretch) {
    // A negative size would mirror the piece and a zero one draws nothing.
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    out.push_back({dx, dy, dw, dh, sx, sy, sw, sh, stretch});
}

void Copy(std::vector<Blit>& out, int dx, int dy, int w, int h, int sx, int sy) {
    Add(out, dx, dy, w, h, sx, sy, w, h, false);
}

void Stretch(std::vector<Blit>& out, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
    Add(out, dx, dy, dw, dh, sx, sy, sw, sh, true);
}

}  // namespace

std::vector<Blit> FrameBlits(bool stretch, int border, int caption, int bw, int bh, int w, int h) {
    std::vector<Blit> out;
    const int B = border;
    // The top band is the caption, or just the border when there is none.
    const int T = caption < 0 ? B : caption;
    if (stretch) {
        Copy(out, 0, 0, B, T, 0, 0);
        Stretch(out, B, 0, w - 2 * B, T, B, 0, bw - 2 * B, T);
        Copy(out, w - B, 0, B, T, bw - B, 0);
        Stretch(out, 0, T, B, h - T - B, 0, T, B, bh - T - B);
        Stretch(out, w - B, T, B, h - T - B, bw - B, T, B, bh - T - B);
        Stretch(out, B, T, w - 2 * B, h - T - B, B, T, bw - 2 * B, bh - T - B);
    } else {
        Copy(out, 0, 0, w, h, 0, 0);
        Copy(out, w - B, 0, B, T, bw - B, 0);
        Stretch(out, w - B, T, B, h - T - B, bw - B, T, B, bh - T - B);
    }
    Copy(out, 0, h - B, B, B, 0, bh - B);
    Stretch(out, B, h - B, w - 2 * B, B, B, bh - B, bw - 2 * B, B);
    Copy(out, w - B, h - B, B, B, bw - B, bh - B);
    return out;
}

Hit FrameHitTest(const HitParams& p, int x, int y) {
    const int B = p.border, C = p.caption;
    if (p.maximized) return Hit::Default;
    if (!p.resizable) return (C == -1 || (y >= 0 && y < C)) ? Hit::Caption : Hit::Default;
    const bool topBand = y >= 0 && y < B;
    const bool bottomBand = y >= p.clientH - B && y < p.clientH;
    if (x >= 0 && x < B) return topBand ? Hit::TopLeft : bottomBand ? Hit::BottomLeft : Hit::Left;
    if (x >= p.clientW - B && x < p.clientW) return topBand ? Hit::TopRight : bottomBand ? Hit::BottomRight : Hit::Right;
    if (y >= 0 && y < 3) return Hit::Top;
    if (C == -1 || (y >= 3 && y < C)) return Hit::Caption;
    if (bottomBand) return Hit::Bottom;
    return Hit::Default;
}

int SizeEdge(Hit hit) {
    switch (hit) {
    case Hit::Left: return 1;
    case Hit::Right: return 2;
    case Hit::Top: return 3;
    case Hit::TopLeft: return 4;
    case Hit::TopRight: return 5;
    case Hit::Bottom: return 6;
    case Hit::BottomLeft: return 7;
    case Hit::BottomRight: return 8;
    default: return 0;
    }
}

Rect InitialRestoreRect(const Rect& work) {
    const int w8 = work.Width() / 8, h8 = work.Height() / 8;
    return {w8, h8, work.right - w8, work.bottom - h8};
}

Rect MaximizedRect(const Rect& work, int maxW, int maxH) {
    Rect r = work;
    if (r.Width() > maxW) {
        const int inset = (r.Width() - maxW) / 2;
        r.left += inset;
        r.right -= inset;
    }
    if (r.Height() > maxH) {
        const int inset = (r.Height() - maxH) / 2;
        r.top += inset;
        r.bottom -= inset;
    }
    return r;
}

int CaptionIconY(int caption) { return caption == -1 ? 6 : (caption - 15) / 2; }

int CaptionTitleY(int caption) {
    const int y0 = (caption - 11) / 2;
    return y0 < 0 ? 4 : y0 - 2;
}

int CaptionTitleX(int border, bool hasIcon) { return (hasIcon ? 16 : 0) + border + 5; }

int TitleAreaTop(int caption, int fontHeight) {
    const int h = fontHeight < 0 ? -fontHeight : fontHeight;
    const int y0 = (caption - h + 1) / 2;
    return (y0 >= 0 ? y0 : 6) - 2;
}

std::vector<int> RightToLeft(int right, int gap, const std::vector<int>& widths) {
    std::vector<int> lefts;
    int x = right;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        if (i > 0) x -= widths[i - 1] + gap;
        lefts.push_back(x - widths[i]);
    }
    return lefts;
}

}  // namespace skin
