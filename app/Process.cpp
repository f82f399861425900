#include "app/Process.h"

HANDLE StartProcessKeepHandle(const std::wstring& commandLine, DWORD* processId) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;  // CreateProcessW may write into it
    if (!::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, IDLE_PRIORITY_CLASS, nullptr,
                          nullptr, &si, &pi))
        return nullptr;
    ::CloseHandle(pi.hThread);
    if (processId) *processId = pi.dwProcessId;
    return pi.hProcess;
}

void StartProcess(const std::wstring& commandLine) {
    if (HANDLE process = StartProcessKeepHandle(commandLine)) ::CloseHandle(process);
}
