#include "app/Stubs.h"

#include "app/Loriq3App.h"
#include "app/StatReport.h"

// Until install lands the program runs from wherever it was started.
bool InstallToDataFolder() { return false; }

// Removing files, shortcuts and registry entries arrives with the installer;
// the report is sent already, so that a confirmed uninstall is counted and the
// start-up's wait for it always ends.
bool UninstallProgram() {
    SendUninstallReport(GetApp());
    return true;
}
bool CreateDesktopShortcut(const wchar_t*, const wchar_t*, const wchar_t*, int, const wchar_t*) {
    return false;
}
bool CreateProgramsShortcut(const wchar_t*, const wchar_t*, const wchar_t*) { return false; }
void CreateAllShortcuts(const wchar_t*) {}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }
bool IsFlashPlayerCurrent() { return true; }
void OpenFlashDownloadPage() {}
