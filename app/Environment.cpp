#include "app/Environment.h"

#include <shellapi.h>

#include <string>

#include "VexoConfig.h"
#include "app/FlashVersion.h"
#include "app/Paths.h"


bool IsFlashPlayerCurrent() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Macromedia\\FlashPlayer", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    wchar_t text[261] = {};  // 520 bytes and a terminator
    DWORD size = 520;
    LONG rc = ::RegQueryValueExW(key, L"CurrentVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return false;
    text[size / sizeof(wchar_t) < 260 ? size / sizeof(wchar_t) : 260] = 0;
    return IsFlashVersionNewer(text);
}

void OpenFlashDownloadPage() {
    ::ShellExecuteW(nullptr, L"open", L"iexplore.exe", vexo::config::kFlashDownloadUrl, nullptr, SW_SHOWMAXIMIZED);
}
