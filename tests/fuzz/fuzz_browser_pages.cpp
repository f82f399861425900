// What the browser windows take from pages: the address and title a
// favourite is saved under, the game name a download is saved as, the
// addresses the login windows navigate to, the cookie text of the login
// service, and the percentage a progress message carries. Input: a 4-byte
// percentage, then "\n"-separated fields: address, name, cookie text, base.
#include "FuzzInput.h"
#include "app/Endpoints.h"
#include "browser/ExternalLogin.h"
#include "browser/Favourite.h"

#include <cwctype>

namespace {

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c; }

std::wstring Field(const std::vector<std::wstring>& fields, std::size_t i) {
    return i < fields.size() ? fields[i] : std::wstring();
}

// `url` is `base` (any ASCII case), then `path` exactly.
bool StartsWithBaseAndPath(const std::wstring& url, const std::wstring& base, const std::wstring& path) {
    if (base.empty() || url.size() < base.size() + path.size()) return false;
    for (std::size_t i = 0; i < base.size(); ++i)
        if (AsciiLower(url[i]) != AsciiLower(base[i])) return false;
    return url.substr(base.size(), path.size()) == path;
}

bool IsDevice(std::wstring stem) {
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (wchar_t& c : stem) c = AsciiLower(c);
    if (stem == L"con" || stem == L"prn" || stem == L"aux" || stem == L"nul") return true;
    return stem.size() == 4 && (stem.compare(0, 3, L"com") == 0 || stem.compare(0, 3, L"lpt") == 0) &&
           stem[3] >= L'1' && stem[3] <= L'9';
}

bool ExpectedUsableName(const std::wstring& name) {
    if (name.empty()) return false;
    bool onlyDotsAndBlanks = true;
    for (wchar_t c : name) {
        if (c < 0x20) return false;
        for (wchar_t bad : std::wstring(L"\\/:*?\"<>|"))
            if (c == bad) return false;
        if (c != L'.' && c != L' ') onlyDotsAndBlanks = false;
    }
    return !onlyDotsAndBlanks && !IsDevice(name.substr(0, name.find(L'.')));
}

// The cookie text holds a cookie called `name`: some ";"-separated part
// whose name (before "=", blanks around it dropped) is exactly `name`.
bool ExpectedCookie(const std::wstring& cookies, const std::wstring& name) {
    if (name.empty()) return false;
    std::size_t start = 0;
    while (start < cookies.size()) {
        std::size_t end = cookies.find(L';', start);
        if (end == std::wstring::npos) end = cookies.size();
        std::wstring part = cookies.substr(start, end - start);
        part = part.substr(0, part.find(L'='));
        std::size_t b = 0, e = part.size();
        while (b < e && std::iswspace(part[b])) ++b;
        while (e > b && std::iswspace(part[e - 1])) --e;
        if (part.substr(b, e - b) == name) return true;
        start = end + 1;
    }
    return false;
}

void Favourite(const std::wstring& url, const std::wstring& name, unsigned percent) {
    const std::wstring text = InternetShortcutText(url);
    const std::wstring address = ShortcutAddress(url);
    FUZZ_CHECK(text == L"[DEFAULT]\r\nBASEURL=" + address + L"\r\n[{000214A0-0000-0000-C000-000000000046}]\r\n=19,2\r\n"
                       L"[InternetShortcut]\r\nURL=" + address + L"\r\nIDList=\r\n");
    // Always the seven lines, whatever the page's address holds.
    std::size_t breaks = 0;
    for (wchar_t c : text) breaks += c == L'\n' || c == L'\r';
    FUZZ_CHECK(breaks == 14);
    FUZZ_CHECK(IsUsableFileName(name) == ExpectedUsableName(name));
    if (IsUsableFileName(name)) {
        // The file stays in its folder, whatever the page called it.
        FUZZ_CHECK(name.find_first_of(L"\\/:") == std::wstring::npos && name != L"." && name != L"..");
    }
    FUZZ_CHECK(DownloadPercentLabel(percent) == L"已加载  " + std::to_wstring(percent) + L"%");
}

void ExternalLogin(const std::wstring& url, const std::wstring& base) {
    const ExternalLoginKind kind = ExternalLoginRedirectOf(url, base);
    const bool qq = StartsWithBaseAndPath(url, base, L"/qzone/redirectToAuthorize.do?");
    const bool weibo = StartsWithBaseAndPath(url, base, L"/weibo/redirectToAuthorize.do?");
    FUZZ_CHECK(kind == (qq ? ExternalLoginKind::QQ : weibo ? ExternalLoginKind::Weibo : ExternalLoginKind::None));
    FUZZ_CHECK(ExternalLoginTitle(kind) != nullptr);

    const bool callback = StartsWithBaseAndPath(url, base, L"/qzone/callback.do?code=") ||
                          StartsWithBaseAndPath(url, base, L"/weibo/callback.do?state") ||
                          StartsWithBaseAndPath(url, base, L"/qzone/extAutoBind.do");
    FUZZ_CHECK(IsExternalLoginCallback(url, base) == callback);
    // Nothing in front of the service's address: a page naming it in its own address is not it.
    if (!base.empty() && AsciiLower(base[0]) != L'x') {
        FUZZ_CHECK(ExternalLoginRedirectOf(L"x" + url, base) == ExternalLoginKind::None);
        FUZZ_CHECK(!IsExternalLoginCallback(L"x" + url, base));
    }
}

void Authorize(const std::wstring& url, const std::wstring& authorize) {
    bool expected = false;
    const std::size_t scheme = authorize.find(L"://");
    if (scheme != std::wstring::npos) {
        const std::size_t path = authorize.find(L'/', scheme + 3);
        if (path != std::wstring::npos)
            expected = StartsWithBaseAndPath(url, authorize.substr(0, path), authorize.substr(path));
    }
    FUZZ_CHECK(IsQQAuthorizeAddress(url, authorize) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader in(data, size);
    const unsigned percent = in.Take<std::uint32_t>();
    const std::vector<std::wstring> fields = FieldsFrom(in.RestAsWide());
    const std::wstring url = Field(fields, 0), name = Field(fields, 1), cookies = Field(fields, 2);
    const std::wstring base = Field(fields, 3);

    Favourite(url, name, percent);
    ExternalLogin(url, LoginServiceUrl(L""));
    ExternalLogin(url, base);
    Authorize(url, QQAuthorizeUrl());
    Authorize(url, base);
    FUZZ_CHECK(CookieTextHas(cookies, name) == ExpectedCookie(cookies, name));
    // A name with a separator in it is never a cookie's.
    if (name.find_first_of(L";=") != std::wstring::npos) FUZZ_CHECK(!CookieTextHas(cookies, name));
    return 0;
}
