#include "app/Stubs.h"

// Until install lands the program runs from wherever it was started.
bool InstallToDataFolder() { return false; }
bool UninstallProgram() { return false; }
bool CreateDesktopShortcut(const wchar_t*, const wchar_t*, const wchar_t*, int, const wchar_t*) {
    return false;
}
bool CreateProgramsShortcut(const wchar_t*, const wchar_t*, const wchar_t*) { return false; }
void CreateAllShortcuts(const wchar_t*) {}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }
bool IsFlashPlayerCurrent() { return true; }
void OpenFlashDownloadPage() {}
