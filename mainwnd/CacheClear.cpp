#include "mainwnd/CacheClear.h"

DWORD WINAPI ClearBrowserCache(LPVOID) {
    // The clearing itself arrives with its own change; the menu already runs it.
    return 0;
}
