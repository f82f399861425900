#include "browser/PageCommand.h"

#include <cstdint>

namespace {

using Pos = long long;  // signed positions, -1 for "not found", as the rules are written

// Substring with the classic clamping: negative start -> 0, negative count -> 0,
// start beyond the end -> "".
std::wstring Mid(const std::wstring& s, Pos start, Pos count) {
    if (start < 0) start = 0;
    if (count < 0) count = 0;
    if (start >= Pos(s.size())) return L"";
    return s.substr(std::size_t(start), std::size_t(count));
}

std::wstring Mid(const std::wstring& s, Pos start) {
    if (start < 0) start = 0;
    if (start >= Pos(s.size())) return L"";
    return s.substr(std::size_t(start));
}

Pos Find(const std::wstring& s, const std::wstring& what, Pos from) {
    if (from < 0) from = 0;
    if (from > Pos(s.size())) return -1;
    std::size_t p = s.find(what, std::size_t(from));
    return p == std::wstring::npos ? -1 : Pos(p);
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

void AppendUtf8(std::uint32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

void AppendWide(std::uint32_t cp, std::wstring& out) {
    if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
        cp -= 0x10000;
        out += wchar_t(0xD800 + (cp >> 10));
        out += wchar_t(0xDC00 + (cp & 0x3FF));
    } else {
        out += wchar_t(cp);
    }
}

bool IsSurrogate(std::uint32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no NUL.
bool Utf8ToWide(const std::string& bytes, std::wstring& out) {
    std::wstring result;
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::uint32_t b = static_cast<unsigned char>(bytes[i]);
        std::uint32_t cp;
        int more;
        if (b < 0x80) { cp = b; more = 0; }
        else if (b >= 0xC2 && b <= 0xDF) { cp = b & 0x1F; more = 1; }
        else if (b >= 0xE0 && b <= 0xEF) { cp = b & 0x0F; more = 2; }
        else if (b >= 0xF0 && b <= 0xF4) { cp = b & 0x07; more = 3; }
        else return false;
        if (std::size_t(more) > bytes.size() - i - 1) return false;  // cut off at the end
        for (int k = 1; k <= more; ++k) {
            std::uint32_t c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((more == 2 && cp < 0x800) || (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || IsSurrogate(cp) ||
            cp == 0)
            return false;
        AppendWide(cp, result);
        i += std::size_t(more) + 1;
    }
    out.swap(result);
    return true;
}

}  // namespace

bool IsPageCommand(const std::wstring& url) { return url.compare(0, 4, L"app:") == 0; }

std::wstring PageCommandWord(const std::wstring& url) { return Mid(url, 6, 8); }

LoadGameArgs SplitLoadGame(const std::wstring& url) {
    LoadGameArgs args;
    if (url.size() <= 15) return args;
    Pos bar = Find(url, L"|", 15);
    if (bar < 0) return args;
    args.accountInfo = Mid(url, 15, bar - 15);
    args.gameAddress = Mid(url, bar + 1);
    return args;
}

bool DecodeAccountInfo(const std::wstring& accountInfo, std::wstring& out) {
    // A NUL, escaped or not, would cut the tab title short where the main
    // window reads it, turning it into another account's title.
    if (accountInfo.find(L'\0') != std::wstring::npos) return false;
    if (accountInfo.find(L'%') == std::wstring::npos) {
        out = accountInfo;
        return true;
    }
    // Escapes become bytes; every other character stands for itself and goes in
    // as its UTF-8 bytes, so that a mix of escaped and plain text stays whole.
    std::string bytes;
    bytes.reserve(accountInfo.size());
    for (std::size_t i = 0; i < accountInfo.size(); ++i) {
        wchar_t c = accountInfo[i];
        if (c == L'%' && i + 2 < accountInfo.size()) {
            int hi = HexValue(accountInfo[i + 1]), lo = HexValue(accountInfo[i + 2]);
            if (hi >= 0 && lo >= 0) {
                if (hi == 0 && lo == 0) return false;  // would end the text here
                bytes += char(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        std::uint32_t cp = std::uint32_t(c);
        if (sizeof(wchar_t) == 2 && cp >= 0xD800 && cp <= 0xDBFF && i + 1 < accountInfo.size()) {
            std::uint32_t low = std::uint32_t(accountInfo[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (IsSurrogate(cp) || cp > 0x10FFFF || cp == 0) return false;
        AppendUtf8(cp, bytes);
    }
    return Utf8ToWide(bytes, out);
}

AccountServerKey MakeAccountServerKey(const std::wstring& accountInfo) {
    AccountServerKey k;
    const Pos len = Pos(accountInfo.size());
    Pos p1 = Find(accountInfo, L"服-", 0);
    k.server = Mid(accountInfo, 0, p1);  // p1 == -1 gives ""
    Pos s = p1 + 2;
    Pos p2 = (s >= 0 && s < len) ? Find(accountInfo, L"-", s) : -1;
    k.middle = p2 < s ? L"" : Mid(accountInfo, s, p2 - s);
    k.account = Mid(accountInfo, p2 + 1);  // p2 == -1: the whole text

    std::wstring server;
    for (wchar_t c : k.server)
        if (c != L'S') server += c;
    k.server.swap(server);

    Pos mark = Find(k.middle, L"》", 0);
    if (mark >= 0) k.middle = Mid(k.middle, mark + 1, 4);

    k.key = k.server + L"服-" + k.middle + L"-" + k.account;
    return k;
}

bool IsEnterGameCommand(const std::wstring& url) { return url.find(L"app://entergame|") != std::wstring::npos; }

EnterGameArgs SplitEnterGame(const std::wstring& url, const std::wstring& defaultWebAddress) {
    EnterGameArgs args;
    args.webAddress = defaultWebAddress;
    // Position 16 of the whole address, wherever the marker stood.
    std::wstring rest = Mid(url, 16);
    Pos bar = rest.empty() ? -1 : Find(rest, L"|", 0);
    if (bar >= 0) {
        args.webAddress = Mid(rest, bar + 1);
        rest = Mid(rest, 0, bar);
    }
    args.rawName = rest;
    return args;
}

bool MakeGameShortName(const std::wstring& rawName, std::wstring& name) {
    std::wstring result;
    for (wchar_t c : rawName)
        if (c != L'/') result += c;
    if (result.empty()) return false;
    // Capitalise a lower-case letter only: shifting any other character
    // could turn it into a path separator ("O" into "/") or worse.
    if (result[0] >= L'a' && result[0] <= L'z') result[0] = wchar_t(result[0] - 32);
    for (wchar_t c : result) {
        if (std::uint32_t(c) < 0x20 || c == 0x7F) return false;
        switch (c) {
        case L'/': case L'\\': case L':': case L'*': case L'?': case L'"': case L'<': case L'>': case L'|':
            return false;
        }
    }
    name.swap(result);
    return true;
}

bool MakeGameClientPath(const std::wstring& dataFolder, const std::wstring& name, std::wstring& path) {
    std::wstring result = dataFolder + L"\\" + name + L".exe";
    if (result.size() > 259) return false;
    path.swap(result);
    return true;
}
