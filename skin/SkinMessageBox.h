// The skinned message box: the one way a message or question reaches the
// user. A modal CDlgEx with the small-dialog skin, the caller's title in the
// caption band, the text centred as a block and drawn line by line, and one
// or two image buttons following the classic message-box types.
#pragma once

#include <windows.h>

#include <string>

#include "skin/DlgEx.h"

class CMessageBox : public CDlgEx {
public:
    static constexpr int kIdBtn1 = 5000;
    static constexpr int kIdBtn2 = 5001;
    // Frame size used when the button strip could not be loaded.
    static constexpr int kFallbackBtnWidth = 57;
    static constexpr int kFallbackBtnHeight = 23;

    explicit CMessageBox(HWND owner);
    ~CMessageBox() override;

    // Runs one box modally and returns its result. A NULL text or title
    // counts as empty. All four bitmaps are taken over (hBack by the frame).
    static int Show(HWND hOwner, LPCWSTR pszText, LPCWSTR pszTitle, UINT nType, HBITMAP hBack, HBITMAP hClose,
                    HBITMAP hBtn1, HBITMAP hBtn2);

    HBITMAP m_hBack = nullptr;
    HBITMAP m_hClose = nullptr;
    HBITMAP m_hBtn1 = nullptr;
    HBITMAP m_hBtn2 = nullptr;
    std::wstring m_strText;   // '\n' separates lines
    std::wstring m_strTitle;
    UINT m_nType = 0;         // 0 "确定"; 1 "确定"/"取消"; 4 "是"/"否"; others as 0
    int m_nLines = 1;
    HFONT m_pFont = nullptr;  // the dialog's font, not owned
    COLORREF m_crText = RGB(0, 0, 0);
    CBtnEx m_btn1;
    CBtnEx m_btn2;

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape must not close the box.
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnPaint();

private:
    void PlaceOverOwner();
    SIZE MeasureText(HDC dc) const;
};

// types: 0 "确定"; 1 "确定"/"取消"; 4 "是"/"否"; any other as 0.
// Returns IDOK, IDCANCEL, IDYES or IDNO; the close button gives IDCANCEL.
// owner may be NULL.
int SkinMessageBox(HWND owner, const wchar_t* text, const wchar_t* title, int type);
