// Geometry of the main window's tab strip, page area and caption-bar
// controls, in client pixels. No Windows here.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "skin/FrameLayout.h"

namespace tabstrip {

using skin::Rect;

inline constexpr int kCaptionHeight = 30;  // page area top inset
inline constexpr int kInset = 4;           // page area left, right and bottom inset
inline constexpr int kFirstTabLeft = 120;
inline constexpr int kTabWidth = 189;
inline constexpr int kTabTop = 3;
inline constexpr int kTabHeight = 22;
inline constexpr int kCloseSize = 13;
inline constexpr int kTitleMaxWidth = 160;
inline constexpr int kTitleCutChars = 18;

// Index of the tab under x (any x; callers check InHitZone first).
int TabIndexAt(int x);
// The strip where tabs react: 120 < x < 120 + 189*pages, 3 <= y <= 24.
bool InHitZone(int x, int y, int pages);
// The close box of tab i: 296 + 189i <= x < 309 + 189i, 3 <= y < 16.
bool InCloseBox(int i, int x, int y);

// What part of tab i lies under a point of the hit zone: 0 the tab, 1 its
// close box, 2 its close box with the left button down.
int HoverPart(int i, int x, int y, bool leftDown);
// What moving the hover from (oldTab, oldPart) to (newTab, newPart)
// repaints: nothing when neither changes; else the old close box when only
// the part of the same tab changed, or the whole old tab (nothing without
// one), then the new tab when it is another one. Tab -1 is none.
std::vector<Rect> HoverRepaints(int oldTab, int oldPart, int newTab, int newPart);

Rect TabImageRect(int i);   // 189 x 22 at (120 + 189i, 3)
Rect CloseBoxRect(int i);   // 13 x 13 at (296 + 189i, 3)
Rect TabTextRect(int i);    // 136 + 189i, 8, 296 + 189i, 22
Rect TabRepaintRect(int i); // 120 + 189i, 3, 309 + 189i, 25
// Strip to repaint after a registration: x 120 .. 120 + 189*pages, y 3 .. 25.
Rect StripRepaintRect(int pages);
// After a tab was closed: x 120 .. 309 + 189*pages, y 3 .. 25.
Rect StripAfterCloseRect(int pages);

// The page area of a client of cx x cy.
Rect PageArea(int cx, int cy);

// Smallest window size with `pages` >= 1 registered pages.
int MinWindowWidth(int pages);
inline constexpr int kMinWindowHeight = 260;

// The text drawn for a title: the title itself, or its first 18 characters
// and "..." when `measure` says it is wider than 160 pixels.
std::wstring DisplayTitle(const std::wstring& title, const std::function<int(const std::wstring&)>& measure);

// Caption-bar controls for a client width cx: hide 1001, sound 1002, system
// 1003, hall 1004, add-account label 1005.
struct CaptionControls {
    Rect hide, sound, system, hall, addAccount;
};
CaptionControls PlaceCaptionControls(int cx);

}  // namespace tabstrip
