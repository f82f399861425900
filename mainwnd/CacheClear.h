// Clearing what the embedded browser and the Flash player keep on disk for
// the current user, on a worker thread of the main window's menu.
#pragma once

#include <windows.h>

// Thread routine of the menu's "清除缓存": Flash shared objects, the URL cache
// but cookies, the temporary-internet-files folder. Its result is ignored.
// Every failure is silent; two runs may overlap.
DWORD WINAPI ClearBrowserCache(LPVOID);

// Deletes the folder `path` with everything below it. Read-only files are
// cleared and deleted; files in use stay, and so does their folder; names
// whose path would not fit MAX_PATH are skipped. A junction or symbolic link
// is removed as a link and never followed, so nothing outside the folder is
// touched. True only when the folder is gone and no file delete failed;
// otherwise false, with the last error of the last failed file delete if
// there was one.
bool DeleteTree(const wchar_t* path);
