// Steps of the start-up whose subsystems are still being built. Each keeps the
// name and the answer the start-up relies on until its real implementation
// replaces it.
#pragma once

#include <windows.h>

#include "app/Install.h"

// Environment checks.
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* info);
bool IsFlashPlayerCurrent();
void OpenFlashDownloadPage();
