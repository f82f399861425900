// The check before the main window opens: the Flash Player edition of
// Internet Explorer. (Crash dumps: app/CrashDump.h.)
#pragma once

#include <windows.h>

// True when the installed Flash Player is strictly newer than the game needs.
bool IsFlashPlayerCurrent();
// Opens the Flash Player download page in Internet Explorer, maximised.
void OpenFlashDownloadPage();

