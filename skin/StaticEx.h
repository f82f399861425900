// CStaticEx: the label of the skinned dialogs. Paints the parent's background
// under itself, an optional small image at its left and its text in its own
// font, wrapped by hand character by character; grows (never shrinks) when
// the text needs more lines. With SS_NOTIFY, m_bHandCursor and m_bUnderline
// it is a link: hand cursor, underline, hover tracking, clicks reach the owner
// as commands with the control's id.
//
// CImgProgress: the progress bar of the update and download dialogs, a track
// image with the fill image over it, the fill cut in two halves so that both
// rounded ends stay visible at every position.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Wnd.h"

class CStaticEx : public CWnd {
public:
    CStaticEx() = default;
    ~CStaticEx() override;

    // One-frame image list from the bitmap (magenta masked); the bitmap stays
    // the caller's. FALSE, and the old image kept, for an invalid bitmap.
    BOOL SetImage(HBITMAP hImage);
    // The label's font, made on first use from the control's font and the
    // font members ("微软雅黑"); later member changes do not affect it.
    HFONT GetLabelFont();

    // Lines drawn by the last DrawLabel (0 when the label was too narrow).
    int GetLastLineCount() const { return m_nLastLines; }

    std::wstring m_strText;
    int m_nFontWidth = 0;      // 0 keeps the base font's
    int m_nFontWeight = -1;    // -1 keeps the base font's
    int m_nFontHeight = 0;     // LOGFONT convention; 0 means -12
    BOOL m_bHandCursor = FALSE;
    BOOL m_bUnderline = FALSE;
    HFONT m_font = nullptr;
    COLORREF m_crText = RGB(0, 0, 0);
    COLORREF m_crHover = RGB(0, 0, 0);
    int m_nLineSpacing = 3;
    BOOL m_bHoverColor = FALSE;
    BOOL m_bHover = FALSE;
    BOOL m_bTracking = FALSE;
    HIMAGELIST m_imgList = nullptr;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    int m_nImage = 0;

    // Draws the text into `dc` (client coordinates) and grows the window
    // when the text needs more height.
    virtual void DrawLabel(HDC dc);
    // The whole control (parent background, image, text) drawn off-screen
    // and copied to `dc` at (0, 0); what WM_PAINT shows.
    void Render(HDC dc);

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnPaint();
    LRESULT OnSetCursor();
    LRESULT OnMouseMove();
    LRESULT OnMouseHover();
    LRESULT OnMouseLeave();

private:
    int m_nLastLines = 0;
};

class CImgProgress : public CWnd {
public:
    CImgProgress() = default;
    ~CImgProgress() override;

    // Takes both bitmaps over, sizes the control to the track and centres the
    // fill in it. Call once the dialog is initialised.
    void SetImages(HBITMAP hTrack, HBITMAP hFill);
    // The whole bar drawn off-screen and copied to `dc` at (0, 0); what
    // WM_PAINT shows.
    void Render(HDC dc);

    HBITMAP m_hTrack = nullptr;
    HBITMAP m_hFill = nullptr;
    RECT m_rcCtrl{};
    RECT m_rcFill{};
    BOOL m_bShowText = FALSE;
    COLORREF m_crText = CLR_INVALID;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnPaint();
};
