// Comparing Flash Player versions as the registry stores them ("11,2,202,235").
#pragma once

#include <string>

inline constexpr wchar_t kRequiredFlashVersion[] = L"10,3,102,64";

// True only when `installed` is strictly newer than `required`, compared over
// four comma-separated components. A text with fewer components repeats its
// last one; components are read by their leading digits.
bool IsFlashVersionNewer(const std::wstring& installed, const std::wstring& required = kRequiredFlashVersion);
