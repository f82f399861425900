#include "skin/SkinMessageBox.h"

#include "framework/Handles.h"
#include "framework/WinApp.h"
#include "resource.h"
#include "skin/ControlLayout.h"
#include "skin/SkinImage.h"

CMessageBox::CMessageBox(HWND owner) : CDlgEx(IDD_SKIN_MESSAGEBOX, owner) {}

CMessageBox::~CMessageBox() {
    // The background belongs to the frame once the box has shown; before that
    // it is still ours.
    if (m_hBack) ::DeleteObject(m_hBack);
    if (m_hClose) ::DeleteObject(m_hClose);
    if (m_hBtn1) ::DeleteObject(m_hBtn1);
    if (m_hBtn2) ::DeleteObject(m_hBtn2);
}

int CMessageBox::Show(HWND hOwner, LPCWSTR pszText, LPCWSTR pszTitle, UINT nType, HBITMAP hBack, HBITMAP hClose,
                      HBITMAP hBtn1, HBITMAP hBtn2) {
    CMessageBox box(hOwner);
    box.m_nType = nType;
    box.m_strTitle = pszTitle ? pszTitle : L"";
    box.m_strText = pszText ? pszText : L"";
    box.m_hBack = hBack;
    box.m_hClose = hClose;
    box.m_hBtn1 = hBtn1;
    box.m_hBtn2 = hBtn2;
    return (int)box.DoModal();
}

SIZE CMessageBox::MeasureText(HDC dc) const {
    RECT rc{0, 0, 0, 0};
    if (!m_strText.empty()) ::DrawTextW(dc, m_strText.c_str(), (int)m_strText.size(), &rc, DT_CALCRECT);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

void CMessageBox::PlaceOverOwner() {
    // The box sets its size only; centring it over the owner (or the work
    // area without one) is this framework's placement of a modal dialog.
    RECT self{}, over{};
    ::GetWindowRect(m_hWnd, &self);
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) ::GetWindowRect(owner, &over);
    if (over.right - over.left <= 1 || over.bottom - over.top <= 1)
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
    const int w = self.right - self.left, h = self.bottom - self.top;
    const int x = over.left + ((over.right - over.left) - w) / 2;
    const int y = over.top + ((over.bottom - over.top) - h) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CMessageBox::OnInitDialog() {
    CDlgEx::OnInitDialog();

    m_nCaptionHeight = 30;
    m_nBorder = 4;
    m_nBtnRightMargin = 0;
    m_nBtnTop = 0;
    m_nBtnGap = 0;
    SetSkin(m_hBack, FALSE, TRUE, m_hClose, nullptr, nullptr, nullptr);
    m_hBack = nullptr;  // the frame owns it now
    SetTitle(m_strTitle.c_str());

    m_nLines = skin::MessageBoxLineCount(m_strText);

    m_pFont = (HFONT)::SendMessageW(m_hWnd, WM_GETFONT, 0, 0);
    SIZE text{};
    {
        fw::WindowDC dc(m_hWnd);
        fw::SelectObj sel(dc.Get(), m_pFont);
        text = MeasureText(dc.Get());
    }

    SIZE strip = SkinBitmapSize(m_hBtn1);
    // Without its strip a button keeps the standard frame size, so that it
    // still shows its label and can be clicked.
    const bool haveStrip = strip.cx >= 4 && strip.cy > 0;
    if (!haveStrip) strip = SIZE{4 * kFallbackBtnWidth, kFallbackBtnHeight};
    const skin::MsgBoxLayout l =
        skin::LayOutMessageBox((int)m_nType, text.cx, text.cy, m_nLines, strip.cx, strip.cy);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, l.width, l.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceOverOwner();

    const bool two = skin::MessageBoxHasTwoButtons((int)m_nType);
    struct ButtonSlot {
        CBtnEx& btn;
        int id;
        skin::Rect rc;
        HBITMAP strip;
        int index;
    };
    ButtonSlot slots[] = {{m_btn1, kIdBtn1, l.btn1, m_hBtn1, 0}, {m_btn2, kIdBtn2, l.btn2, m_hBtn2, 1}};
    for (ButtonSlot& s : slots) {
        if (s.index == 1 && !two) break;
        s.btn.CreateEx(0, L"BUTTON", two ? L"" : L"确定", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, s.rc.left, s.rc.top,
                       s.rc.Width(), s.rc.Height(), m_hWnd, (HMENU)(INT_PTR)s.id);
        s.btn.SetImage(s.strip, haveStrip && SkinBitmapSize(s.strip).cx >= 4);
        s.btn.m_strText = skin::MessageBoxLabel((int)m_nType, s.index);
        s.btn.Invalidate();
    }
    return TRUE;
}

LRESULT CMessageBox::OnPaint() {
    // Only what the default painting renewed gets its text again; drawing
    // transparent text over itself would thicken it.
    fw::Region update(::CreateRectRgn(0, 0, 0, 0));
    const bool partial = ::GetUpdateRgn(m_hWnd, update.Get(), FALSE) != ERROR;
    LRESULT r = Default();
    fw::WindowDC dc(m_hWnd);
    if (!dc.Get()) return r;
    if (partial) ::SelectClipRgn(dc.Get(), update.Get());
    fw::SelectObj sel(dc.Get(), m_pFont);
    ::SetBkMode(dc.Get(), TRANSPARENT);
    ::SetTextColor(dc.Get(), m_crText);
    const SIZE text = MeasureText(dc.Get());
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    for (const skin::MsgLine& line :
         skin::MessageBoxTextLines(m_strText, client.right, text.cx, text.cy, m_nLines)) {
        RECT rc{line.rc.left, line.rc.top, line.rc.right, line.rc.bottom};
        ::DrawTextW(dc.Get(), line.text.c_str(), (int)line.text.size(), &rc, 0);
    }
    return r;
}

LRESULT CMessageBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        return OnPaint();
    case WM_CLOSE:
        EndDialog(IDCANCEL);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == kIdBtn1 || LOWORD(wParam) == kIdBtn2)) {
            EndDialog(skin::MessageBoxResult((int)m_nType, LOWORD(wParam)));
            return 0;
        }
        break;
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}

int SkinMessageBox(HWND owner, const wchar_t* text, const wchar_t* title, int type) {
    HINSTANCE inst = CWinApp::Get() && CWinApp::Get()->m_hInstance ? CWinApp::Get()->m_hInstance
                                                                    : ::GetModuleHandleW(nullptr);
    // The push-button strip is loaded once per button.
    return CMessageBox::Show(owner, text, title, (UINT)type, LoadSkinBitmap(inst, IDB_SMALLDLG_BK),
                             LoadSkinBitmap(inst, IDB_CLOSE), LoadSkinBitmap(inst, IDB_PUSHBUTTON),
                             LoadSkinBitmap(inst, IDB_PUSHBUTTON));
}
