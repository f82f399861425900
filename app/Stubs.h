// Steps of the start-up whose subsystems are still being built. Each keeps the
// name and the answer the start-up relies on until its real implementation
// replaces it.
#pragma once

#include <windows.h>

// Install, uninstall and shortcuts.
bool InstallToDataFolder();
bool UninstallProgram();
bool CreateDesktopShortcut(const wchar_t* target, const wchar_t* args, const wchar_t* fileName,
                           int iconIndex, const wchar_t* description);
bool CreateProgramsShortcut(const wchar_t* fileName, const wchar_t* target, const wchar_t* args);
void CreateAllShortcuts(const wchar_t* target);

// Environment checks.
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* info);
bool IsFlashPlayerCurrent();
void OpenFlashDownloadPage();
