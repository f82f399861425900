#include "app/FlashVersion.h"

namespace {

// Takes the next component off `text`; the last one stays for later passes.
long long NextComponent(std::wstring& text) {
    std::size_t comma = text.find(L',');
    std::wstring component = comma == std::wstring::npos ? text : text.substr(0, comma);
    if (comma != std::wstring::npos) text.erase(0, comma + 1);
    long long value = 0;
    for (wchar_t c : component) {
        if (c < L'0' || c > L'9') break;
        if (value < 1000000000000LL) value = value * 10 + (c - L'0');
    }
    return value;
}

}  // namespace

bool IsFlashVersionNewer(const std::wstring& installed, const std::wstring& required) {
    std::wstring have = installed, want = required;
    for (int pass = 0; pass < 4; ++pass) {
        long long a = NextComponent(have), b = NextComponent(want);
        if (a > b) return true;
        if (a < b) return false;
    }
    return false;  // equal is not new enough
}
