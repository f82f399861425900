// Waiting for a worker thread from a user-interface thread.
#pragma once

#include <windows.h>

namespace fw {

// Waits until `h` is signalled while answering messages that other threads
// send to this thread's windows, so that a worker blocked in SendMessage to
// one of them can finish. Posted messages stay queued.
inline void WaitServingSentMessages(HANDLE h) {
    for (;;) {
        DWORD r = ::MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1) return;  // signalled, or the handle is bad
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // delivers the sent ones
    }
}

}  // namespace fw
