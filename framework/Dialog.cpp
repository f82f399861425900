#include "framework/Dialog.h"

#include "framework/WinApp.h"

INT_PTR CALLBACK FrameworkDlgProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    // Everything but WM_INITDIALOG already went through CDialog::WindowProc;
    // the dialog manager only needs to hear that we did not handle it.
    if (msg == WM_INITDIALOG) {
        auto* dlg = static_cast<CDialog*>(CWnd::FromHandle(hwnd));
        return dlg ? dlg->OnInitDialog() : TRUE;
    }
    return FALSE;
}

CDialog::CDialog(UINT templateId, HWND parent) : m_nIDTemplate(templateId), m_hWndParent(parent) {}

CDialog::~CDialog() = default;

HWND CDialog::CreateFromTemplate(HWND owner) {
    HINSTANCE inst = CWinApp::Get() ? CWinApp::Get()->m_hInstance : nullptr;
    if (!inst) inst = ::GetModuleHandleW(nullptr);
    HWND hwnd;
    {
        CreationScope scope(this);
        hwnd = ::CreateDialogParamW(inst, MAKEINTRESOURCEW(m_nIDTemplate), owner, FrameworkDlgProc, 0);
    }
    if (!hwnd && m_hWnd) Detach();
    return hwnd;
}

BOOL CDialog::Create(UINT templateId, HWND parent) {
    m_nIDTemplate = templateId;
    m_hWndParent = parent;
    m_bModal = false;
    return CreateFromTemplate(parent) != nullptr;
}

INT_PTR CDialog::DoModal() {
    // Like DialogBox: the owner is the top-level window of the given parent.
    HWND owner = m_hWndParent ? ::GetAncestor(m_hWndParent, GA_ROOT) : nullptr;
    if (owner && !::IsWindow(owner)) owner = nullptr;
    m_bModal = true;
    m_bEndModal = false;
    m_nModalResult = -1;

    if (!CreateFromTemplate(owner)) {
        m_bModal = false;
        return -1;
    }
    bool ownerDisabled = owner && ::IsWindowEnabled(owner);
    if (ownerDisabled) ::EnableWindow(owner, FALSE);
    // A modal dialog is shown even when its template is not visible, once its
    // initial messages are through (as the classic modal loop does).
    bool showWhenIdle = !(::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_VISIBLE);

    CWinApp* app = CWinApp::Get();
    MSG msg;
    while (!m_bEndModal && m_hWnd) {
        if (showWhenIdle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            showWhenIdle = false;
            ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
            ::UpdateWindow(m_hWnd);
            continue;
        }
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // WM_QUIT ends every modal loop on the way out to the outer loop.
            ::PostQuitMessage((int)msg.wParam);
            if (!m_bEndModal) m_nModalResult = IDCANCEL;
            break;
        }
        if (!(app && app->PreTranslateMessage(&msg))) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    // Re-enable the owner before the dialog goes so that activation returns to it.
    if (ownerDisabled) ::EnableWindow(owner, TRUE);
    if (m_hWnd) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::DestroyWindow(m_hWnd);
    }
    m_bModal = false;
    return m_nModalResult;
}

void CDialog::EndDialog(INT_PTR result) {
    m_nModalResult = result;
    if (m_bModal) {
        m_bEndModal = true;
        // Wake the modal loop in case we were called outside of its dispatch.
        if (m_hWnd) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    } else if (m_hWnd) {
        ::DestroyWindow(m_hWnd);
    }
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM) {
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST)
        return ::IsDialogMessageW(m_hWnd, msg);
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (OnCommand(wParam, lParam)) return 0;
        break;
    case WM_CLOSE:
        // The dialog manager turns WM_CLOSE into IDCANCEL for us.
        break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
