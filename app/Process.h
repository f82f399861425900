// Starting the executable's other roles and other programs.
#pragma once

#include <windows.h>

#include <string>

// Idle priority, shown normally, no inherited handles; both handles closed at
// once. Failure is silent.
void StartProcess(const std::wstring& commandLine);
// Same, but keeps the process handle for the caller (nullptr on failure) and
// gives the process id where asked.
HANDLE StartProcessKeepHandle(const std::wstring& commandLine, DWORD* processId = nullptr);
