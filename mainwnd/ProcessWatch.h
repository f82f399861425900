// Waits on page process handles for the main window: when one ends, the
// window is told at once by a posted message (from a thread of the system's
// pool) instead of finding out on its next timer tick. The handles stay their
// owner's; a handle is forgotten here (its wait cancelled, a running callback
// waited for) before it is closed.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

class ProcessWatch {
public:
    ProcessWatch() = default;
    ~ProcessWatch();  // forgets every handle
    ProcessWatch(const ProcessWatch&) = delete;
    ProcessWatch& operator=(const ProcessWatch&) = delete;

    // Where the message goes (wParam and lParam 0); set before the first Watch.
    void SetTarget(HWND wnd, UINT message);
    // Posts the message once `process` ends (at once if it has). Nothing for
    // a null handle or one already watched.
    void Watch(HANDLE process);
    // Stops waiting on `process`; returns once no callback for it runs.
    void Forget(HANDLE process);

private:
    struct Target {
        HWND wnd = nullptr;
        UINT message = 0;
    };
    static VOID CALLBACK OnEnded(PVOID context, BOOLEAN timedOut);

    Target m_target;                                 // read by the pool's threads
    std::vector<std::pair<HANDLE, HANDLE>> m_waits;  // process, its wait
};
