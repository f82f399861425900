// A first page process starts before its main window exists, so that the
// login the player waits for comes sooner. Its command line names the main
// window's process instead of the window, and it finds the window here once
// that window has put its mark on (MAIN_WINDOW_MARK).
#pragma once

#include <windows.h>

// The marked top-level window of process `processId`. Waits while that
// process runs, at most `limitMs`; nullptr when it ended or never marked a
// window, or when `processId` is 0 or this process.
HWND AwaitOwnerWindow(DWORD processId, DWORD limitMs);
