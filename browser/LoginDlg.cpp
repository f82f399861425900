#include "browser/LoginDlg.h"

#include <mshtmdid.h>

#include "app/Endpoints.h"
#include "app/Loriq3App.h"
#include "browser/ExternalLogin.h"
#include "browser/LoginFlow.h"
#include "browser/QQLogin.h"
#include "framework/Dialog.h"
#include "res/resource.h"
#include "skin/SkinMessageBox.h"

CLoginDlg::CLoginDlg(const std::wstring& strUrl) : CDHtmDlgEx(IDD_LOGIN_DIALOG), m_strUrl(strUrl) {}

CLoginDlg::~CLoginDlg() = default;  // CQQLogin is complete here

BOOL CLoginDlg::OnInitDialog() {
    CDHtmlDialog::OnInitDialog();
    if (m_pBrowserApp) m_pBrowserApp->put_Silent(VARIANT_TRUE);
    // The template has no layered style: toggling it on keys the colour out.
    LONG_PTR ex = ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE);
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ex ^ WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_hWnd, RGB(254, 254, 254), 0, LWA_COLORKEY);
    ModifyStyleEx(WS_EX_APPWINDOW, WS_EX_TOOLWINDOW);
    Navigate(m_strUrl);
    return FALSE;
}

BOOL CLoginDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_F5)) return TRUE;
    // The browser's keys first, then the dialog manager.
    return CDHtmDlgEx::PreTranslateMessage(msg);
}

void CLoginDlg::OnNavigateComplete(IDispatch* frame, const std::wstring& url) {
    CDHtmDlgEx::OnNavigateComplete(frame, url);
    ShowWindow(SW_SHOW);
    if (HWND control = ::GetWindow(m_hWnd, GW_CHILD)) {
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        ::MoveWindow(control, 0, 0, rc.right, rc.bottom, TRUE);
    }
}

void CLoginDlg::OnBeforeNavigate2(IDispatch*, const std::wstring& url, bool& cancel) {
    switch (LoginCommandOf(url)) {
    case LoginCommand::NotACommand:
        // Only an address that is the service's redirect itself: a page whose
        // address merely mentions it must not open a window titled as the
        // provider's secure login.
        if (ExternalLoginRedirectOf(url, LoginServiceUrl(L"")) != ExternalLoginKind::None) {
            OpenExternalLogin(url);
            cancel = true;
        }
        return;
    case LoginCommand::LoadGame:
        // Cancel first: what follows may end the dialog.
        cancel = true;
        OnLoadGame(url);
        break;
    case LoginCommand::ExitGame:
        cancel = true;
        EndParent(IDCANCEL);
        break;
    case LoginCommand::Minimize:
        cancel = true;
        OnMinimize();
        break;
    case LoginCommand::Other:
        break;
    }
    cancel = true;
}

void CLoginDlg::OpenExternalLogin(const std::wstring& url) {
    m_pQQLogin.reset();  // one external-account window per login page
    m_pQQLogin = std::make_unique<CQQLogin>();
    m_pQQLogin->m_html.m_strUrl = url;
    if (!m_pQQLogin->m_hWnd && !m_pQQLogin->Create(IDD_QQLOGIN_DIALOG, m_hWnd)) {
        ::OutputDebugStringW(L"VexoQuon: the external-account window could not be made\n");
        return;
    }
    m_pQQLogin->SetTitle(ExternalLoginTitle(ExternalLoginRedirectOf(url, LoginServiceUrl(L""))));
    m_pQQLogin->ShowWindow(SW_SHOW);
    m_pQQLogin->CenterOnDesktop();
}

void CLoginDlg::OnLoadGame(const std::wstring& url) {
    LoadGameRequest request = ReadLoadGame(url);
    if (!request.valid) return;  // an account-info that does not decode is ignored
    const std::wstring& key = request.account.key;
    COPYDATASTRUCT cds{};
    cds.dwData = 0;
    cds.cbData = static_cast<DWORD>((key.size() + 1) * sizeof(wchar_t));
    cds.lpData = const_cast<wchar_t*>(key.c_str());
    // Our window in wParam: the main window pairs this title with our frame.
    LRESULT accepted = ::SendMessageW(g_hOwnerWnd, WM_COPYDATA, reinterpret_cast<WPARAM>(m_hWnd),
                                      reinterpret_cast<LPARAM>(&cds));
    if (!accepted) {
        std::wstring text = DuplicateLoginMessage(request.account.account, request.account.server);
        SkinMessageBox(nullptr, text.c_str(), L"VexoQuon", 0);
        EndParent(IDCANCEL);
        return;
    }
    g_strGameUrl = request.gameAddress;
    EndParent(IDOK);
}

void CLoginDlg::OnMinimize() {
    if (g_nOwnerPageCount > 0) {
        EndParent(IDCANCEL);
    } else if (IsUserAccountControlOn()) {
        if (HWND parent = ::GetParent(m_hWnd)) ::ShowWindow(parent, SW_MINIMIZE);
    } else {
        ::ShowWindow(g_hOwnerWnd, SW_MINIMIZE);
    }
}

bool CLoginDlg::IsUserAccountControlOn() {
    OSVERSIONINFOW osvi{};
    osvi.dwOSVersionInfoSize = sizeof osvi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&osvi) || osvi.dwMajorVersion <= 5) return false;
#pragma GCC diagnostic pop
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System\\", 0,
                        KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD value = 0, size = sizeof value, type = 0;
    LONG rc = ::RegQueryValueExW(key, L"EnableLUA", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS && size == sizeof value && value == 1;
}

void CLoginDlg::EndParent(INT_PTR result) {
    // The background dialog owns this popup window.
    if (auto* parent = dynamic_cast<CDialog*>(CWnd::FromHandle(::GetParent(m_hWnd)))) parent->EndDialog(result);
}

// ---- dragging the login by the page ---------------------------------------------
// UNVERIFIED under Wine: no page, so no DHTML event, ever arrives there.

const DHtmlEventMapEntry* CLoginDlg::GetDHtmlEventMap() const {
    static const DHtmlEventMapEntry map[] = {
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN), L"body", DHtmlHandler(&CLoginDlg::OnLoginMouseDown)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN), L"td", DHtmlHandler(&CLoginDlg::OnLoginMouseDown)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN), L"div", DHtmlHandler(&CLoginDlg::OnLoginMouseDown)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEUP), L"body", DHtmlHandler(&CLoginDlg::OnLoginMouseUp)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEUP), L"td", DHtmlHandler(&CLoginDlg::OnLoginMouseUp)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEUP), L"div", DHtmlHandler(&CLoginDlg::OnLoginMouseUp)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEMOVE), L"body", DHtmlHandler(&CLoginDlg::OnLoginMouseMove)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEMOVE), L"td", DHtmlHandler(&CLoginDlg::OnLoginMouseMove)},
        {DHtmlMatchKind::Tag, DISPID(DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEMOVE), L"div", DHtmlHandler(&CLoginDlg::OnLoginMouseMove)},
        {DHtmlMatchKind::Tag, 0, nullptr, nullptr},
    };
    return map;
}

void CLoginDlg::DragParent(UINT msg) {
    POINT pt{};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    if (InReservedDragArea(pt.x, pt.y)) return;
    if (HWND parent = ::GetParent(m_hWnd)) ::SendMessageW(parent, msg, HTCAPTION, MAKELPARAM(pt.x, pt.y));
}

HRESULT CLoginDlg::OnLoginMouseDown(IHTMLElement*) {
    DragParent(WM_NCLBUTTONDOWN);
    return S_FALSE;
}

HRESULT CLoginDlg::OnLoginMouseUp(IHTMLElement*) {
    DragParent(WM_NCLBUTTONUP);
    return S_FALSE;
}

HRESULT CLoginDlg::OnLoginMouseMove(IHTMLElement*) {
    DragParent(WM_NCMOUSEMOVE);
    return S_FALSE;
}
