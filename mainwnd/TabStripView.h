// The tab strip in the main window's caption band. Not a window of its own:
// the main window hands it the messages of its band. It draws the tabs,
// keeps the hovered tab and close box, shows the hovered title as a tooltip,
// and turns clicks into "select tab i" and "close tab i", which the window
// carries out. Geometry is tabstrip:: (TabStrip.h).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Handles.h"
#include "mainwnd/PageRegistry.h"
#include "mainwnd/TabStrip.h"

class TabStripView {
public:
    TabStripView() = default;
    TabStripView(const TabStripView&) = delete;
    TabStripView& operator=(const TabStripView&) = delete;

    // The tab and close-box image lists from the skin and the tooltip, one
    // tool over the whole owner. The tooltip is the owner's and goes with it.
    void Create(HWND owner);

    // Draws every tab into `dc`, in the owner's client coordinates, with the
    // owner's font at 12 pixels.
    void Paint(HDC dc, const PageRegistry& pages) const;

    // Every non-client hit test of the owner: hover state, repaints and the
    // tooltip. `frameHit` is the frame's own hit-test result.
    void OnHitTest(POINT client, LRESULT frameHit, const PageRegistry& pages);
    // Left button down in the hit zone: the tab to select (-1 when the point
    // lies past the tabs). A press on the tab's close box shows it pressed.
    int OnButtonDown(POINT client, int pageCount);
    // Button up in the hit zone: the tab to close (the middle button anywhere
    // on a tab, the left one on its close box), or -1.
    int OnButtonUp(POINT client, bool middle) const;
    // Mouse-leave: client (`client` true) or non-client.
    void OnMouseLeave(bool client);
    // No tab hot any more; repaints tab i's close box or the whole tab.
    void ResetHot(int i, bool closeBoxOnly);
    // No tab hot any more, without a repaint (the caller repaints more).
    void ClearHot() { hotTab = hotPart = -1; }
    // Mouse messages for the tooltip.
    void RelayEvent(MSG* msg) const;

    void Repaint(const skin::Rect& r) const;
    void RepaintTab(int i) const { Repaint(tabstrip::TabRepaintRect(i)); }
    void RepaintCloseBox(int i) const { Repaint(tabstrip::CloseBoxRect(i)); }

    fw::ImageList tabImages;    // 0 normal, 1 hot, 2 selected
    fw::ImageList closeImages;  // 0 normal, 1 hovered, 2 pressed
    HWND tooltip = nullptr;
    int hotTab = -1;   // tab under the mouse, -1 none
    int hotPart = -1;  // -1 none, 0 tab, 1 close box hovered, 2 close box pressed
    int tipActive = 0;
    int trackingMouse = 0;  // a client mouse-leave is armed

private:
    void CreateTooltip();
    void ActivateTip(bool on, const std::wstring& text = L"");
    void SetHot(int tab, int part);

    HWND m_owner = nullptr;
};
