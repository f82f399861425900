// Checks around the start-up: the Flash Player edition of Internet Explorer,
// and a minidump beside the executable when the process crashes.
#pragma once

#include <windows.h>

// True when the installed Flash Player is strictly newer than the game needs.
bool IsFlashPlayerCurrent();
// Opens the Flash Player download page in Internet Explorer, maximised.
void OpenFlashDownloadPage();

// The process's unhandled-exception filter: one dump per process.
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* info);
// Writes a dump of this process into `file`; without exception information,
// the dump records the caller's own context as a breakpoint.
void WriteCrashDump(HANDLE file, EXCEPTION_POINTERS* info);
