#include "browser/QQHtml.h"

#include <wininet.h>

#include <vector>

#include "app/Endpoints.h"
#include "browser/ExternalLogin.h"
#include "res/resource.h"

namespace {

// The class of the browser's own HTML dialog windows (showModalDialog and
// the like), which this window never lets stand.
const wchar_t kHtmlDialogClass[] = L"Internet Explorer_TridentDlgFrame";
// The class of dialog boxes.
const wchar_t kDialogClass[] = L"#32770";
const wchar_t kLoginCookie[] = L"Pauth";
// Cookie texts longer than this are not a platform's login.
constexpr DWORD kMaxCookieChars = 64 * 1024;

void Log(const wchar_t* text) { ::OutputDebugStringW(text); }

}  // namespace

HWND CQQHtml::s_hLastDialog = nullptr;

CQQHtml::CQQHtml() : CDHtmlDialog(IDD_QQLOGIN_DIALOG) {}

CQQHtml::~CQQHtml() = default;

BOOL CQQHtml::OnInitDialog() {
    CDHtmlDialog::OnInitDialog();
    ::SetTimer(m_hWnd, kHtmlDialogTimer, kHtmlDialogMs, nullptr);
    return TRUE;
}

BOOL CQQHtml::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) return TRUE;
    return CDHtmlDialog::PreTranslateMessage(msg);
}

// A modeless dialog that is closed only hides: the frame's close button is
// what destroys this window.
void CQQHtml::OnOK() { ShowWindow(SW_HIDE); }

void CQQHtml::OnCancel() { ShowWindow(SW_HIDE); }

// ---- navigation ----------------------------------------------------------------

void CQQHtml::OnBeforeNavigate2(IDispatch*, const std::wstring& url, bool& cancel) {
    // Once the login is done the hidden window goes back to the redirect,
    // which leads to the provider again: it must not sign in a second time
    // where nobody sees it.
    if (!IsWindowVisible() && IsQQAuthorizeAddress(url, QQAuthorizeUrl())) cancel = true;
}

void CQQHtml::OnNavigateComplete(IDispatch* frame, const std::wstring& url) {
    if (IsExternalLoginCallback(url, LoginServiceUrl(L"")) && HasLoginCookie(url)) {
        // Logged in: the cookie is the process's, so the login page sees it.
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        // The frame is modeless: it ends by hiding.
        if (HWND frameWnd = ::GetWindow(m_hWnd, GW_OWNER)) ::ShowWindow(frameWnd, SW_HIDE);
        ::SetTimer(m_hWnd, kOwnedDialogTimer, kOwnedDialogMs, nullptr);
        return;
    }
    CDHtmlDialog::OnNavigateComplete(frame, url);
}

bool CQQHtml::HasLoginCookie(const std::wstring& url) {
    // All cookies of the URL, looked up by name here: the name argument of
    // InternetGetCookie is not honoured by every version, and the page's
    // cookies together may be longer than any fixed buffer.
    DWORD size = 0;
    if (!::InternetGetCookieW(url.c_str(), nullptr, nullptr, &size) &&
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return false;  // no cookie at all for this address
    for (int attempt = 0; attempt < 2; ++attempt) {
        // The size may be in bytes or characters, depending on the version:
        // as characters it is always enough.
        if (size == 0 || size > kMaxCookieChars) {
            Log(L"VexoQuon: the cookies of the callback page have no usable size\n");
            return false;
        }
        std::vector<wchar_t> text(size + 1, L'\0');
        DWORD chars = size;
        if (::InternetGetCookieW(url.c_str(), nullptr, text.data(), &chars))
            return CookieTextHas(std::wstring(text.data()), kLoginCookie);
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
        size = chars;  // a cookie was added in between
    }
    return false;
}

// ---- window messages --------------------------------------------------------------

LRESULT CQQHtml::OnShowWindow(WPARAM wParam, LPARAM lParam) {
    LRESULT result = CDHtmlDialog::WindowProc(WM_SHOWWINDOW, wParam, lParam);
    // Shown or hidden, the window starts again from the redirect address.
    if (m_pBrowserApp && !m_strUrl.empty()) Navigate(m_strUrl);
    return result;
}

void CQQHtml::CloseOwnHtmlDialogs() {
    // Only this process's: the browser dialogs of other programs on the
    // desktop are none of this window's business.
    const DWORD self = ::GetCurrentProcessId();
    for (HWND h = ::FindWindowExW(nullptr, nullptr, kHtmlDialogClass, nullptr); h;
         h = ::FindWindowExW(nullptr, h, kHtmlDialogClass, nullptr)) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(h, &pid);
        if (pid == self) ::PostMessageW(h, WM_CLOSE, 0, 0);
    }
}

void CQQHtml::RemoveOwnedDialogStep() {
    // One top-level dialog per tick; the end of the list starts the search over.
    HWND found = ::FindWindowExW(nullptr, s_hLastDialog, kDialogClass, nullptr);
    s_hLastDialog = found;
    if (found && ::GetWindow(found, GW_OWNER) == m_hWnd) {
        ::KillTimer(m_hWnd, kOwnedDialogTimer);
        ::DestroyWindow(found);
        s_hLastDialog = nullptr;
    }
}

LRESULT CQQHtml::OnTimer(UINT_PTR id) {
    if (id == kHtmlDialogTimer) CloseOwnHtmlDialogs();
    else if (id == kOwnedDialogTimer) RemoveOwnedDialogStep();
    return 0;
}

LRESULT CQQHtml::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SHOWWINDOW:
        return OnShowWindow(wParam, lParam);
    case WM_TIMER:
        if (wParam == kHtmlDialogTimer || wParam == kOwnedDialogTimer) return OnTimer(wParam);
        break;
    }
    return CDHtmlDialog::WindowProc(msg, wParam, lParam);
}
