#include "mainwnd/TabStrip.h"

namespace tabstrip {

namespace {
Rect Xywh(int x, int y, int w, int h) { return Rect{x, y, x + w, y + h}; }
}  // namespace

int TabIndexAt(int x) { return (x - kFirstTabLeft) / kTabWidth; }

bool InHitZone(int x, int y, int pages) {
    return x > kFirstTabLeft && x < kFirstTabLeft + kTabWidth * pages && y >= 3 && y <= 24;
}

bool InCloseBox(int i, int x, int y) {
    return x >= 296 + kTabWidth * i && x < 309 + kTabWidth * i && y >= 3 && y < 16;
}

int HoverPart(int i, int x, int y, bool leftDown) {
    if (!InCloseBox(i, x, y)) return 0;
    return leftDown ? 2 : 1;
}

std::vector<Rect> HoverRepaints(int oldTab, int oldPart, int newTab, int newPart) {
    std::vector<Rect> rects;
    if (oldTab == newTab && oldPart == newPart) return rects;
    if (oldTab >= 0) rects.push_back(oldTab == newTab ? CloseBoxRect(oldTab) : TabRepaintRect(oldTab));
    if (newTab >= 0 && newTab != oldTab) rects.push_back(TabRepaintRect(newTab));
    return rects;
}

Rect TabImageRect(int i) { return Xywh(kFirstTabLeft + kTabWidth * i, kTabTop, kTabWidth, kTabHeight); }
Rect CloseBoxRect(int i) { return Xywh(296 + kTabWidth * i, kTabTop, kCloseSize, kCloseSize); }
Rect TabTextRect(int i) { return Rect{136 + kTabWidth * i, 8, 296 + kTabWidth * i, 22}; }
Rect TabRepaintRect(int i) { return Rect{120 + kTabWidth * i, 3, 309 + kTabWidth * i, 25}; }
Rect StripRepaintRect(int pages) { return Rect{120, 3, 120 + kTabWidth * pages, 25}; }
Rect StripAfterCloseRect(int pages) { return Rect{120, 3, 309 + kTabWidth * pages, 25}; }

Rect PageArea(int cx, int cy) { return Rect{kInset, kCaptionHeight, cx - kInset, cy - kInset}; }

int MinWindowWidth(int pages) { return kTabWidth * pages + 483; }

std::wstring DisplayTitle(const std::wstring& title, const std::function<int(const std::wstring&)>& measure) {
    if (measure(title) <= kTitleMaxWidth) return title;
    // Never half a character: a cut after a high surrogate keeps it out too.
    std::size_t cut = kTitleCutChars;
    if (cut <= title.size() && cut > 0 && title[cut - 1] >= 0xD800 && title[cut - 1] <= 0xDBFF) --cut;
    return title.substr(0, cut) + L"...";
}

CaptionControls PlaceCaptionControls(int cx) {
    CaptionControls c;
    c.hide = Xywh(cx - 114, 0, 27, 27);
    c.sound = Xywh(cx - 141, 0, 27, 27);
    c.system = Xywh(cx - 185, 0, 44, 28);
    c.hall = Xywh(cx - 264, 0, 79, 28);
    c.addAccount = Xywh(cx - 360, 7, 92, 16);
    return c;
}

}  // namespace tabstrip
