#include "app/Stubs.h"

LONG WINAPI CrashFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }
bool IsFlashPlayerCurrent() { return true; }
void OpenFlashDownloadPage() {}
