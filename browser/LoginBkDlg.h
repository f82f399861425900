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

// Starts decoding the background on a worker thread, so that the decoding
// runs beside the making of the dialog (its font is slow to find under
// Wine); the next CLoginBkDlg takes the result in its initialisation, waiting
// for it if need be. Without this call the dialog decodes the image itself.
// Needs GDI+ started. Call at most once, before the dialog.
void StartLoginBackgroundDecode();

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
    // Posted by the initialisation: show the background, then make the page.
    static constexpr UINT UM_SHOW_BACKGROUND = WM_APP + 1;

    // `layer`: the image as premultiplied 32-bit ARGB, the form the layered
    // window takes (it keeps a copy).
    void PaintLayered(HBITMAP layer);

    // Keeps the page dialog at its place over the background.
    void GluePage();

    IStream* m_pImageStream = nullptr;  // the image reads from it for its whole life
};
