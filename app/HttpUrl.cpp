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

std::wstring PercentEncodeUtf8(const std::wstring& text) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring out;
    auto byte = [&](unsigned b) {
        out += L'%';
        out += kHex[(b >> 4) & 0xF];
        out += kHex[b & 0xF];
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = std::uint32_t(text[i]) & 0xFFFFFFFFu;
        if ((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'-' ||
            c == L'_' || c == L'.' || c == L'~') {
            out += wchar_t(c);
            continue;
        }
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
            (std::uint32_t(text[i + 1]) & 0xFFFF) >= 0xDC00 && (std::uint32_t(text[i + 1]) & 0xFFFF) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + ((std::uint32_t(text[++i]) & 0xFFFF) - 0xDC00);
        } else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            byte(c);
        } else if (c < 0x800) {
            byte(0xC0 | (c >> 6)); byte(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            byte(0xE0 | (c >> 12)); byte(0x80 | ((c >> 6) & 0x3F)); byte(0x80 | (c & 0x3F));
        } else {
            byte(0xF0 | (c >> 18)); byte(0x80 | ((c >> 12) & 0x3F)); byte(0x80 | ((c >> 6) & 0x3F));
            byte(0x80 | (c & 0x3F));
        }
    }
    return out;
}
