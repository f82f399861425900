// CLoginBkDlg: the login's outer window, a modal dialog whose whole visible
// shape is a PNG with per-pixel transparency (a layered window). It owns the
// page dialog (CLoginDlg), keeps it glued to itself, and carries the login's
// result back to the page process: IDOK after a login the main window took,
// IDCANCEL when the player left or the login was refused.
#pragma once

#include <windows.h>

#include "browser/LoginDlg.h"
#include "framework/Dialog.h"

namespace Gdiplus {
class Image;
}

class CLoginBkDlg : public CDialog {
public:
    explicit CLoginBkDlg(HWND pParent);
    ~CLoginBkDlg() override;

    // Enter does nothing here.
    BOOL PreTranslateMessage(MSG* msg) override;

    Gdiplus::Image* m_pBackImage = nullptr;
    int m_nBackWidth = 0;
    int m_nBackHeight = 0;
    CLoginDlg m_dlgLogin;

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool LoadBackImage();
    void PaintLayered();

    IStream* m_pImageStream = nullptr;  // the image reads from it for its whole life
};
