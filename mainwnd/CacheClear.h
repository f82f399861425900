// Clearing what the embedded browser and the Flash player keep on disk for
// the current user, on a worker thread of the main window's menu.
#pragma once

#include <windows.h>

// Thread routine of the menu's "清除缓存": Flash shared objects, the URL cache
// but cookies, the temporary-internet-files folder. Its result is ignored.
DWORD WINAPI ClearBrowserCache(LPVOID);
