#include "app/Install.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include "VexoConfig.h"
#include "app/Loriq3App.h"
#include "app/Paths.h"
#include "app/ProtectedFolder.h"
#include "app/Process.h"
#include "app/SelfDelete.h"
#include "app/StatReport.h"
#include "skin/SkinMessageBox.h"

namespace {

const wchar_t kGameShortcut[] = L"VexoQuon极速登录器";
const wchar_t kWebShortcut[] = L"Vexo网页游戏";
const wchar_t kUninstallShortcut[] = L"卸载 VexoQuon极速登录器";
const wchar_t kProgramsFolder[] = L"Vexo登录器";
const wchar_t kBrowserEmulationKey[] =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\MAIN\\FeatureControl\\FEATURE_BROWSER_EMULATION";

bool FileExists(const wchar_t* path) { return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

std::wstring ProgramsFolder() {
    std::wstring programs = ShellFolder(CSIDL_COMMON_PROGRAMS);
    return programs.empty() ? programs : programs + L"\\" + kProgramsFolder;
}

std::string Ansi(const std::wstring& text) {
    int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), (int)text.size(), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring FileNameOf(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

void RemoveRegistryEntries() {
    // The key with everything under it (RegDeleteTree would do the same, but
    // XP has no such function).
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Vexo\\GameLogin\\Quon");
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBrowserEmulationKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        std::wstring name = FileNameOf(ExePath()).substr(0, 63);
        ::RegDeleteValueW(key, name.c_str());
        ::RegCloseKey(key);
    }
}

void RemoveShortcuts() {
    ::CoInitialize(nullptr);
    DeleteDesktopShortcut(kWebShortcut);
    DeleteDesktopShortcut(kGameShortcut);
    DeleteProgramsShortcut(kGameShortcut);
    DeleteProgramsShortcut(kUninstallShortcut);
    std::wstring folder = ProgramsFolder();
    if (!folder.empty() && CountFilesRecursive(folder) == 0) ::RemoveDirectoryW(folder.c_str());
    ::CoUninitialize();
}

// Leaves a hidden batch process behind that deletes the executable (and its
// folder, when nothing else is in it) once this process has ended.
void ScheduleSelfDelete() {
    wchar_t tempDir[MAX_PATH] = {};
    wchar_t tempName[MAX_PATH] = {};
    if (!::GetTempPathW(MAX_PATH, tempDir) || !::GetTempFileNameW(tempDir, L"DelSelf", 0, tempName)) return;
    std::wstring batch = std::wstring(tempName) + L".bat";
    std::wstring exe = ExePath();
    if (exe.empty()) return;
    std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
    std::string script = SelfDeleteScript(Ansi(exe), Ansi(batch), CountFilesRecursive(folder));
    if (script.empty()) return;

    HANDLE file = ::CreateFileW(batch.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    ::SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    ::WriteFile(file, script.data(), (DWORD)script.size(), &written, nullptr);
    ::CloseHandle(file);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"cmd.exe /c \"" + batch + L"\"";
    if (::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ::SetThreadPriority(pi.hThread, THREAD_PRIORITY_IDLE);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
}

}  // namespace

int CountFilesRecursive(const std::wstring& folder) {
    if (folder.empty()) return 0;
    std::wstring base = folder;
    if (base.back() != L'\\') base += L'\\';
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((base + L"*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 1;
    int count = 0;
    do {
        if (!wcscmp(found.cFileName, L".") || !wcscmp(found.cFileName, L"..")) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            count += CountFilesRecursive(base + found.cFileName);
        else
            ++count;
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return count;
}

bool CreateShellLink(const wchar_t* linkPath, const wchar_t* target, const wchar_t* args, int iconIndex,
                     const wchar_t* description) {
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target);
    link->SetIconLocation(target, iconIndex);
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        link->Release();
        return false;
    }
    link->SetArguments(args ? args : L"");
    if (description && *description) link->SetDescription(description);
    HRESULT saved = file->Save(linkPath, TRUE);
    file->Release();
    link->Release();
    return SUCCEEDED(saved);
}

bool CreateDesktopShortcut(const wchar_t* target, const wchar_t* args, const wchar_t* fileName, int iconIndex,
                           const wchar_t* description) {
    if (!target || !*target || !fileName || !*fileName || !FileExists(target)) return false;
    std::wstring desktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    if (desktop.empty()) return false;
    // A same-named shortcut on the user's own desktop would show twice.
    std::wstring documents = ShellFolder(CSIDL_PERSONAL);
    std::size_t profileEnd = documents.find_last_of(L'\\');
    std::size_t desktopName = desktop.find_last_of(L'\\');
    if (profileEnd != std::wstring::npos && desktopName != std::wstring::npos) {
        std::wstring own = documents.substr(0, profileEnd) + desktop.substr(desktopName) + L"\\" + fileName + L".lnk";
        ::DeleteFileW(own.c_str());
    }
    std::wstring link = desktop + L"\\" + fileName + L".lnk";
    if (link.size() > MAX_PATH - 1) return false;
    return CreateShellLink(link.c_str(), target, args, iconIndex, description);
}

bool CreateProgramsShortcut(const wchar_t* fileName, const wchar_t* target, const wchar_t* args) {
    if (!target || !*target || !fileName || !*fileName || !FileExists(target)) return false;
    std::wstring folder = ProgramsFolder();
    if (folder.empty()) return false;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring link = folder + L"\\" + fileName + L".lnk";
    if (link.size() > MAX_PATH - 1) return false;
    return CreateShellLink(link.c_str(), target, args, 0, nullptr);
}

bool DeleteDesktopShortcut(const wchar_t* fileName) {
    if (!fileName || !*fileName) return false;
    std::wstring desktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    if (desktop.empty()) return false;
    return ::DeleteFileW((desktop + L"\\" + fileName + L".lnk").c_str()) != FALSE;
}

bool DeleteProgramsShortcut(const wchar_t* fileName) {
    if (!fileName || !*fileName) return false;
    std::wstring folder = ProgramsFolder();
    if (folder.empty()) return false;
    return ::DeleteFileW((folder + L"\\" + fileName + L".lnk").c_str()) != FALSE;
}

void CreateAllShortcuts(const wchar_t* target) {
    std::wstring webDescription = std::wstring(vexo::config::kWebHost) + L"中国最大的网页游戏平台";
    CreateDesktopShortcut(target, L"/QuonD", kGameShortcut, 0, kGameShortcut);
    CreateDesktopShortcut(target, L"/webVexoD", kWebShortcut, 1, webDescription.c_str());
    CreateProgramsShortcut(kGameShortcut, target, L"/QuonD");
    CreateProgramsShortcut(kUninstallShortcut, target, L"/uninst");
}

bool InstallToDataFolder() {
    ::CoInitialize(nullptr);
    std::wstring folder = ShellFolder(CSIDL_COMMON_APPDATA) + L"\\Vexo";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\GameLogin";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ProtectFolder(folder);  // not ProgramData's "any user may create files"
    std::wstring running = ExePath();
    std::wstring installed = folder + L"\\" + FileNameOf(running);
    if (::lstrcmpiW(installed.c_str(), running.c_str()) != 0) ::CopyFileW(running.c_str(), installed.c_str(), FALSE);
    CreateAllShortcuts(installed.c_str());
    StartProcess(L"\"" + installed + L"\"");
    ::CoUninitialize();
    return true;
}

bool UninstallProgram() {
    RemoveRegistryEntries();
    RemoveShortcuts();
    ScheduleSelfDelete();
    SendUninstallReport(GetApp());
    SkinMessageBox(nullptr, L"VexoQuon已成功移除，部分文件将在程序退出\r\n或计算机重启后自行删除", L"VexoQuon", 0);
    return true;
}
