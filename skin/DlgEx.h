// CDlgEx: base of every skinned dialog. Replaces the system caption and frame
// with a skin: a background bitmap drawn nine-part (or 1:1), window corners
// cut where the skin shows magenta, the small icon and the title in the
// caption band, and close/minimize/maximize image buttons made at run time.
// Drags by the caption band, resizes from its own border bands, and has its
// own maximize (the work area, capped and centred) instead of the system's.
//
// A derived dialog calls CDlgEx::OnInitDialog first, then sets the layout
// members, then SetTitle and SetSkin. All drawing happens on background
// erase; there is no WM_PAINT handling here.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "skin/BtnEx.h"

class CDlgEx : public CDialog {
public:
    static constexpr int kIdBtnClose = 50000;
    static constexpr int kIdBtnMin = 50001;
    static constexpr int kIdBtnMax = 50002;

    explicit CDlgEx(UINT templateId, HWND parent = nullptr);
    ~CDlgEx() override;

    // Installs the skin and (re)creates the system buttons, right to left:
    // close, maximize/restore, minimize; a NULL image skips that button.
    // hBack, hMax and hRestore are taken over; hClose and hMin stay the
    // caller's (the buttons copy them). bFitToBack sizes the window to hBack.
    BOOL SetSkin(HBITMAP hBack, BOOL bFitToBack, BOOL bStretch, HBITMAP hClose, HBITMAP hMin, HBITMAP hMax,
                 HBITMAP hRestore);
    // Sets the window text and repaints the title.
    void SetTitle(LPCWSTR pszTitle);
    // The caption band's height, the border and the system buttons' margins,
    // in pixels: what every skinned dialog sets after CDlgEx::OnInitDialog.
    void SetCaptionLayout(int captionHeight, int border, int btnRightMargin, int btnTop, int btnGap);
    // Repaints the existing system buttons (after a derived re-layout).
    void RedrawSysButtons();
    // Rebuilds the window region from the skin's 9 × 9 corners.
    void UpdateWindowRgn();

    // Message handlers; a derived window's own handlers of these messages
    // call them first and then add their work.
    BOOL OnEraseBkgnd(HDC hdc);
    LRESULT OnNcHitTest(POINT ptScreen);
    LRESULT OnNcLButtonDown(UINT nHitTest, POINT ptScreen);
    LRESULT OnNcLButtonDblClk(UINT nHitTest, POINT ptScreen);
    LRESULT OnLButtonDblClk(UINT nFlags, POINT ptClient);
    LRESULT OnSize(UINT nType, int cx, int cy);

    // Layout, set by derived dialogs after CDlgEx::OnInitDialog.
    BOOL m_bShowTitle = TRUE;
    BOOL m_bShowIcon = TRUE;
    int m_nCaptionHeight = -1;  // -1: the whole window is caption
    int m_nBtnRightMargin = 5;
    int m_nBtnTop = 1;
    int m_nBtnGap = 0;
    int m_nBorder = 3;
    COLORREF m_crTitle = RGB(255, 255, 255);
    int m_nTitleWeight = 400;
    fw::Bitmap m_bmpBack;
    CBtnEx m_btnClose;
    CBtnEx m_btnMin;
    CBtnEx m_btnMax;
    int m_nMaxWidth = 1440;
    int m_nMaxHeight = 900;
    RECT m_rcRestore{};
    BOOL m_bMaximized = FALSE;
    BOOL m_bResizable = FALSE;
    BOOL m_bStretch = FALSE;
    fw::Bitmap m_bmpMax;
    fw::Bitmap m_bmpRestore;

    virtual void OnBtnClose();
    virtual void OnBtnMin();
    // Toggles between the own maximized state and the restore rectangle.
    virtual LRESULT OnBtnMax();
    // Restore image and "还原" when maximized, else maximize image and "最大化".
    virtual void UpdateMaxBtn(BOOL bMaximized);

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void DrawFrame(HDC dc, int w, int h);
    void CreateSysButton(CBtnEx& btn, int id, HBITMAP strip, int right, int top, LPCWSTR tip);
};
