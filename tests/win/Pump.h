// Message pumping for Windows tests that wait on real window traffic.
#pragma once

#include <windows.h>

namespace testing_pump {

// Dispatches this thread's messages until `done()` holds or `ms` have passed.
template <class Pred>
bool PumpUntil(Pred done, DWORD ms) {
    DWORD start = ::GetTickCount();
    for (;;) {
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
        if (done()) return true;
        if (::GetTickCount() - start >= ms) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

}  // namespace testing_pump
