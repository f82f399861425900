#include "browser/ExternalLogin.h"

#include <cwctype>

namespace {

const wchar_t kQQRedirect[] = L"/qzone/redirectToAuthorize.do?";
const wchar_t kWeiboRedirect[] = L"/weibo/redirectToAuthorize.do?";
const wchar_t* const kCallbacks[] = {L"/qzone/callback.do?code=", L"/weibo/callback.do?state", L"/qzone/extAutoBind.do"};

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// `url` begins with `base` (any case) followed by `path` (exactly).
bool BeginsWith(const std::wstring& url, const std::wstring& base, const std::wstring& path) {
    if (base.empty() || url.size() < base.size() + path.size()) return false;
    for (std::size_t i = 0; i < base.size(); ++i)
        if (AsciiLower(url[i]) != AsciiLower(base[i])) return false;
    return url.compare(base.size(), path.size(), path) == 0;
}

}  // namespace

ExternalLoginKind ExternalLoginRedirectOf(const std::wstring& url, const std::wstring& serviceBase) {
    if (BeginsWith(url, serviceBase, kQQRedirect)) return ExternalLoginKind::QQ;
    if (BeginsWith(url, serviceBase, kWeiboRedirect)) return ExternalLoginKind::Weibo;
    return ExternalLoginKind::None;
}

const wchar_t* ExternalLoginTitle(ExternalLoginKind kind) {
    return kind == ExternalLoginKind::QQ ? L"QQ账号安全登录" : L"新浪微博账号安全登录";
}

bool IsQQAuthorizeAddress(const std::wstring& url, const std::wstring& authorizeAddress) {
    // The whole address is the "base" here: https, the host and the path, none
    // of them after anything else.
    const std::wstring::size_type scheme = authorizeAddress.find(L"://");
    if (scheme == std::wstring::npos) return false;
    const std::wstring::size_type pathStart = authorizeAddress.find(L'/', scheme + 3);
    if (pathStart == std::wstring::npos) return false;
    return BeginsWith(url, authorizeAddress.substr(0, pathStart), authorizeAddress.substr(pathStart));
}

bool IsExternalLoginCallback(const std::wstring& url, const std::wstring& serviceBase) {
    for (const wchar_t* path : kCallbacks)
        if (BeginsWith(url, serviceBase, path)) return true;
    return false;
}

bool CookieTextHas(const std::wstring& cookies, const std::wstring& name) {
    if (name.empty()) return false;
    std::size_t pos = 0;
    while (pos < cookies.size()) {
        std::size_t end = cookies.find(L';', pos);
        if (end == std::wstring::npos) end = cookies.size();
        std::size_t first = pos;
        while (first < end && std::iswspace(cookies[first])) ++first;
        std::size_t eq = cookies.find(L'=', first);
        std::size_t nameEnd = eq == std::wstring::npos || eq > end ? end : eq;
        while (nameEnd > first && std::iswspace(cookies[nameEnd - 1])) --nameEnd;
        if (cookies.compare(first, nameEnd - first, name) == 0) return true;
        pos = end + 1;
    }
    return false;
}

BrowserPlacement ExternalBrowserPlacement(int frameX, int frameY, int frameCx, int frameCy) {
    return BrowserPlacement{frameX + 4, frameY + 30, frameCx - 8, frameCy - 34};
}
