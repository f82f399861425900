#include "app/Environment.h"

#include <dbghelp.h>
#include <shellapi.h>

#include <string>

#include "VexoConfig.h"
#include "app/FlashVersion.h"
#include "app/Paths.h"

namespace {

bool g_dumpWritten = false;

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

// The richest dump first; older DbgHelp versions refuse some of the flags.
const MINIDUMP_TYPE kDumpTypes[] = {(MINIDUMP_TYPE)0x1A25, (MINIDUMP_TYPE)0x225, (MINIDUMP_TYPE)0};

void WriteDumpWith(HANDLE file, EXCEPTION_POINTERS* info) {
    MINIDUMP_EXCEPTION_INFORMATION exception{};
    exception.ThreadId = ::GetCurrentThreadId();
    exception.ExceptionPointers = info;
    exception.ClientPointers = TRUE;
    HMODULE dbghelp = ::LoadLibraryW(L"DbgHelp.dll");
    if (!dbghelp) return;
    auto write = reinterpret_cast<MiniDumpWriteDumpFn>(::GetProcAddress(dbghelp, "MiniDumpWriteDump"));
    if (write) {
        for (MINIDUMP_TYPE type : kDumpTypes)
            if (write(::GetCurrentProcess(), ::GetCurrentProcessId(), file, type, &exception, nullptr, nullptr))
                break;
    }
    ::FreeLibrary(dbghelp);
}

}  // namespace

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

void WriteCrashDump(HANDLE file, EXCEPTION_POINTERS* info) {
    if (info) {
        WriteDumpWith(file, info);
        return;
    }
    // No exception at hand: describe this very spot as a breakpoint.
    CONTEXT context{};
    ::RtlCaptureContext(&context);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = EXCEPTION_BREAKPOINT;
#ifdef _M_X64
    record.ExceptionAddress = reinterpret_cast<PVOID>(context.Rip);
#else
    record.ExceptionAddress = reinterpret_cast<PVOID>(context.Eip);
#endif
    EXCEPTION_POINTERS here{&record, &context};
    WriteDumpWith(file, &here);
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* info) {
    if (g_dumpWritten) return EXCEPTION_EXECUTE_HANDLER;
    std::wstring path = ExePath();
    std::size_t dot = path.rfind(L'.');
    std::size_t slash = path.rfind(L'\\');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return EXCEPTION_CONTINUE_SEARCH;
    path = path.substr(0, dot) + L".dmp";
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    WriteCrashDump(file, info);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    g_dumpWritten = true;
    return EXCEPTION_CONTINUE_SEARCH;
}
