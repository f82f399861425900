// The addresses of the QQ and Sina Weibo login, as the login page and the
// external-account window recognise them. Pure functions without Windows, so
// that each rule is unit-tested natively; CLoginDlg, CQQLogin and CQQHtml act
// on the answers.
//
// Every address is recognised at the start of the URL only: scheme and host
// (compared without regard to case, as URLs treat them) and then the path
// exactly. A page whose address merely contains one of these texts (in a
// query, say) is not the service.
#pragma once

#include <string>

enum class ExternalLoginKind {
    None,   // not a redirect of the external-login service
    QQ,
    Weibo,
};

// Which provider's login the login page is leaving for; `serviceBase` is the
// external-login service's address without a path ("http://" + host).
ExternalLoginKind ExternalLoginRedirectOf(const std::wstring& url, const std::wstring& serviceBase);

// The external-account window's title: QQ's for a QQ redirect, Sina Weibo's
// for any other.
const wchar_t* ExternalLoginTitle(ExternalLoginKind kind);

// Whether `url` is QQ Connect's authorization page; `authorizeAddress` is
// "https://" + host + "/oauth2.0/authorize".
bool IsQQAuthorizeAddress(const std::wstring& url, const std::wstring& authorizeAddress);

// Whether `url` is one of the service's pages that end a login: the QQ or
// Sina Weibo callback, or QQ's auto-bind page.
bool IsExternalLoginCallback(const std::wstring& url, const std::wstring& serviceBase);

// Whether the cookie text of a URL ("a=1; b=2", as the browser's cookie store
// gives it) holds a cookie called `name` (exactly, case-sensitive).
bool CookieTextHas(const std::wstring& cookies, const std::wstring& name);

// Where the external-account window's browser goes over its frame: the
// frame's client area below the 30-pixel caption, inside the 4-pixel border.
struct BrowserPlacement {
    int x, y, cx, cy;
};
BrowserPlacement ExternalBrowserPlacement(int frameX, int frameY, int frameCx, int frameCy);
