// CBtnEx: the push button of the skinned windows. Owner-drawn: its face is
// one frame of a four-frame strip (normal, hover, pressed, disabled) drawn
// over a copy of the parent's own background, so the strip's magenta pixels
// look transparent; an optional centred caption and tooltip.
//
// Use: SubclassDlgItem(id, dialog) on a template push button, or CreateEx on
// a BUTTON with BS_OWNERDRAW; then SetImage and, if wanted, SetTooltip. The
// parent must be a framework window (it passes WM_DRAWITEM back here).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Wnd.h"

class CBtnEx : public CWnd {
public:
    CBtnEx() = default;
    ~CBtnEx() override;

    // Builds the frames from a strip W × H (frames W/4 × H, magenta masked).
    // The strip stays the caller's. bResize sizes the button to one frame.
    BOOL SetImage(HBITMAP hStrip, BOOL bResize);
    // Tooltip text; the tooltip control is made once, later texts show from
    // the next hover on.
    void SetTooltip(const std::wstring& strTip);

    // The window's tooltip control, or NULL before SetTooltip.
    HWND GetTooltipWnd() const { return m_tooltip; }
    int GetImageCount() const { return m_imgList ? ImageList_GetImageCount(m_imgList) : 0; }
    // The face DrawItem chose last time (0 normal, 1 hover, 2 pressed, 3 disabled), -1 before.
    int GetLastFrame() const { return m_nLastFrame; }

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    BOOL m_bTracking = FALSE;  // a hover/leave tracking request is active
    BOOL m_bHover = FALSE;     // the pointer rests on the button
    RECT m_rcWnd{};            // window rectangle (screen); its size is the drawing size
    std::wstring m_strText;    // caption; owners may set it and invalidate
    COLORREF m_crText = RGB(0, 0, 0);
    HIMAGELIST m_imgList = nullptr;
    BOOL m_bPressed = FALSE;   // keeps the pressed face until the button is released
    BOOL m_bTooltip = FALSE;
    HWND m_tooltip = nullptr;
    std::wstring m_strTip;

protected:
    void PreSubclassWindow() override;
    virtual void DrawItem(const DRAWITEMSTRUCT* dis);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    LRESULT OnMouseMove();
    LRESULT OnMouseHover();
    LRESULT OnMouseLeave();
    LRESULT OnLButtonUp();
    LRESULT OnNotify(NMHDR* hdr);

private:
    void StoreWindowRect();
    void DestroyTooltip();

    int m_nLastFrame = -1;
};

// Paints `parent`'s background into `dc` as it lies under `child`: the DC's
// window origin is moved to the child's offset in the parent, the parent is
// asked to erase into it, and the viewport origin is moved the same way so
// that the DC maps 1:1 again afterwards.
void PaintParentBackground(HWND child, HDC dc);

// Adds `bmp` to `list` masked with magenta without altering `bmp`; the index
// of the first image added, or -1.
int AddMaskedCopy(HIMAGELIST list, HBITMAP bmp);
