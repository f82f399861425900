// Splitting an "http://host[:port]/path" address for WinINet.
#pragma once

#include <cstdint>
#include <string>

struct HttpUrlParts {
    std::wstring host;
    std::uint16_t port = 80;
    std::wstring path;  // without the leading "/"
};

// False when the address does not begin with "http://" (any case), when the
// host part exceeds 259 or the path 511 characters (never sent truncated), or
// when the port is not a number from 1 to 65535.
bool SplitHttpUrl(const std::wstring& url, HttpUrlParts& out);
