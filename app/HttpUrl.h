// Splitting an "http://host[:port]/path" address for WinINet.
#pragma once

#include <cstdint>
#include <string>

// The platform's request conventions, the same for every request.
inline constexpr wchar_t kRequestAgent[] = L"QZR";
// The platform's servers expect exactly this block, blank after "zh-cn" included.
inline constexpr wchar_t kRequestHeaders[] =
    L"Accept-Language: zh-cn \r\nContent-Type: application/x-www-form-urlencoded\r\n";

struct HttpUrlParts {
    std::wstring host;
    std::uint16_t port = 80;
    std::wstring path;  // without the leading "/"
};

// False when the address does not begin with "http://" (any case), when the
// host part exceeds 259 or the path 511 characters (never sent truncated), or
// when the port is not a number from 1 to 65535.
bool SplitHttpUrl(const std::wstring& url, HttpUrlParts& out);

// Text as a query value: UTF-8, every byte but the unreserved characters
// (letters, digits, "-", "_", ".", "~") as "%XX", so that "&", "#", blanks or
// Chinese reach the server as the same text. A lone surrogate becomes U+FFFD.
std::wstring PercentEncodeUtf8(const std::wstring& text);
