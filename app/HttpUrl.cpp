#include "app/HttpUrl.h"

#include <cwctype>

namespace {
constexpr std::size_t kMaxHost = 259;
constexpr std::size_t kMaxPath = 511;
}  // namespace

bool SplitHttpUrl(const std::wstring& url, HttpUrlParts& out) {
    static const wchar_t kScheme[] = L"http://";
    const std::size_t schemeLen = 7;
    if (url.size() < schemeLen) return false;
    for (std::size_t i = 0; i < schemeLen; ++i)
        if (wchar_t(std::towlower(url[i])) != kScheme[i]) return false;

    std::wstring rest = url.substr(schemeLen);
    std::size_t slash = rest.find(L'/');
    std::wstring host = slash == std::wstring::npos ? rest : rest.substr(0, slash);
    std::wstring path = slash == std::wstring::npos ? L"" : rest.substr(slash + 1);
    if (host.size() > kMaxHost || path.size() > kMaxPath) return false;

    std::uint32_t port = 80;
    std::size_t colon = host.find(L':');
    if (colon != std::wstring::npos) {
        std::wstring digits = host.substr(colon + 1);
        host.resize(colon);
        if (digits.empty() || digits.size() > 5) return false;
        port = 0;
        for (wchar_t c : digits) {
            if (c < L'0' || c > L'9') return false;
            port = port * 10 + unsigned(c - L'0');
        }
        if (port == 0 || port > 65535) return false;
    }
    if (host.empty()) return false;
    out.host = host;
    out.port = std::uint16_t(port);
    out.path = path;
    return true;
}
