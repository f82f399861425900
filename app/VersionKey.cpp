#include "app/VersionKey.h"

#include <cwctype>

std::wstring HexDigits(const std::uint8_t* bytes, std::size_t count) {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring out;
    out.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0xF];
    }
    return out;
}

std::wstring VersionKeyFromDigest(const std::uint8_t (&digest)[16], const std::wstring& version) {
    std::wstring key = HexDigits(digest, 16);
    std::wstring digits;
    for (wchar_t c : version)
        if (c != L'.') digits += c;
    if (digits.size() > key.size()) digits.erase(0, digits.size() - key.size());
    key.replace(key.size() - digits.size(), digits.size(), digits);
    return key;
}

bool VersionKeysDiffer(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return true;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return true;
    return false;
}

std::wstring VersionText(std::uint32_t ms, std::uint32_t ls) {
    return std::to_wstring(ms >> 16) + L"." + std::to_wstring(ms & 0xFFFF) + L"." + std::to_wstring(ls >> 16) +
           L"." + std::to_wstring(ls & 0xFFFF);
}
