#include "app/Paths.h"

#include <windows.h>
#include <shlobj.h>

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return L"";
    return path;
}

std::wstring DataFolder() {
    std::wstring base = ShellFolder(CSIDL_COMMON_APPDATA);
    return base.empty() ? base : base + L"\\Vexo\\GameLogin";
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
