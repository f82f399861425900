#include "browser/Favourite.h"

#include <cwchar>

namespace {

bool SameIgnoringCase(const std::wstring& a, const wchar_t* b) {
    std::size_t n = std::wcslen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        wchar_t x = a[i];
        if (x >= L'a' && x <= L'z') x = wchar_t(x - L'a' + L'A');
        if (x != b[i]) return false;
    }
    return true;
}

bool IsDeviceName(std::wstring base) {
    while (!base.empty() && base.back() == L' ') base.pop_back();
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL"};
    for (const wchar_t* d : kDevices)
        if (SameIgnoringCase(base, d)) return true;
    if (base.size() == 4 && base[3] >= L'1' && base[3] <= L'9') {
        std::wstring stem = base.substr(0, 3);
        if (SameIgnoringCase(stem, L"COM") || SameIgnoringCase(stem, L"LPT")) return true;
    }
    return false;
}

}  // namespace

std::wstring ShortcutAddress(const std::wstring& url) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring out;
    out.reserve(url.size());
    for (wchar_t c : url) {
        if (c < 0x20 || c == 0x7F) {
            out += L'%';
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::wstring InternetShortcutText(const std::wstring& url) {
    const std::wstring address = ShortcutAddress(url);
    return L"[DEFAULT]\r\nBASEURL=" + address +
           L"\r\n[{000214A0-0000-0000-C000-000000000046}]\r\n=19,2\r\n[InternetShortcut]\r\nURL=" + address +
           L"\r\nIDList=\r\n";
}

bool IsUsableFileName(const std::wstring& name) {
    if (name.empty()) return false;
    bool onlyDotsAndBlanks = true;
    for (wchar_t c : name) {
        if (c < 0x20 || std::wcschr(L"\\/:*?\"<>|", c)) return false;
        if (c != L'.' && c != L' ') onlyDotsAndBlanks = false;
    }
    if (onlyDotsAndBlanks) return false;
    return !IsDeviceName(name.substr(0, name.find(L'.')));
}

std::wstring DownloadPercentLabel(unsigned percent) {
    // A string, not a fixed buffer: ten-digit figures fit too.
    return L"已加载  " + std::to_wstring(percent) + L"%";
}
