// Where the program's files live.
#pragma once

#include <string>

// A shell folder (CSIDL_*), empty when the system cannot say.
std::wstring ShellFolder(int csidl);
// The all-users application data folder + "\Vexo\GameLogin", built anew at each use.
std::wstring DataFolder();
// Full path of the running executable.
std::wstring ExePath();
// `fileName` in the executable's own folder.
std::wstring ModuleDirPath(const wchar_t* fileName);
// Upper-cased with the system's case mapping.
std::wstring UpperCase(std::wstring text);
