#include "app/Paths.h"

#include <windows.h>
#include <shlobj.h>

std::wstring DataFolder() {
    wchar_t base[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)))
        return L"";
    return std::wstring(base) + L"\\Vexo\\GameLogin";
}

std::wstring ExePath() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, n < MAX_PATH ? n : 0);
}

std::wstring ModuleDirPath(const wchar_t* fileName) {
    std::wstring path = ExePath();
    std::size_t slash = path.find_last_of(L'\\');
    path.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return path + fileName;
}

std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) ::CharUpperBuffW(&text[0], (DWORD)text.size());
    return text;
}
