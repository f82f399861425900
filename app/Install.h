// Installing into the data folder, the shortcuts, and uninstalling.
#pragma once

#include <windows.h>

#include <string>

// Copies the running executable into DataFolder, creates the four shortcuts
// and starts the installed copy.
bool InstallToDataFolder();
// Removes registry entries and shortcuts, schedules the executable's deletion,
// sends the uninstall report and shows the final notice.
bool UninstallProgram();

bool CreateDesktopShortcut(const wchar_t* target, const wchar_t* args, const wchar_t* fileName, int iconIndex,
                           const wchar_t* description);
bool CreateProgramsShortcut(const wchar_t* fileName, const wchar_t* target, const wchar_t* args);
bool DeleteDesktopShortcut(const wchar_t* fileName);
bool DeleteProgramsShortcut(const wchar_t* fileName);
bool CreateShellLink(const wchar_t* linkPath, const wchar_t* target, const wchar_t* args, int iconIndex,
                     const wchar_t* description);
// The four shortcuts of an install, all targeting `target`.
void CreateAllShortcuts(const wchar_t* target);
// Files in `folder` and all its subfolders; 1 when the folder cannot be read.
int CountFilesRecursive(const std::wstring& folder);
