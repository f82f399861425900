#include "app/OwnerWindow.h"

#include "framework/Handles.h"
#include "mainwnd/Messages.h"

namespace {

// Between two looks: the window normally comes within a few of them.
constexpr DWORD kLookEveryMs = 5;

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMarked(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    // The process is checked first: a window's process is the one thing no
    // other program can claim, and only ours carry the mark.
    if (pid != search->processId || !::GetPropW(wnd, MAIN_WINDOW_MARK)) return TRUE;
    search->found = wnd;
    return FALSE;
}

}  // namespace

HWND AwaitOwnerWindow(DWORD processId, DWORD limitMs) {
    if (!processId || processId == ::GetCurrentProcessId()) return nullptr;
    // Held while looking, so that the id cannot pass to another process.
    fw::Handle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) return nullptr;
    const DWORD start = ::GetTickCount();
    for (;;) {
        Search search{processId, nullptr};
        ::EnumWindows(FindMarked, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (::GetTickCount() - start >= limitMs) return nullptr;
        if (::WaitForSingleObject(process.Get(), kLookEveryMs) != WAIT_TIMEOUT) return nullptr;
    }
}
