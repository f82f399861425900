#include "mainwnd/ProcessWatch.h"

ProcessWatch::~ProcessWatch() {
    while (!m_waits.empty()) Forget(m_waits.back().first);
}

void ProcessWatch::SetTarget(HWND wnd, UINT message) { m_target = Target{wnd, message}; }

VOID CALLBACK ProcessWatch::OnEnded(PVOID context, BOOLEAN) {
    const Target* target = static_cast<const Target*>(context);
    ::PostMessageW(target->wnd, target->message, 0, 0);
}

void ProcessWatch::Watch(HANDLE process) {
    if (!process || !m_target.wnd) return;
    for (const auto& w : m_waits)
        if (w.first == process) return;
    HANDLE wait = nullptr;
    if (!::RegisterWaitForSingleObject(&wait, process, OnEnded, &m_target, INFINITE,
                                       WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD)) {
        // The window's timer still finds the end, a little later.
        ::OutputDebugStringW(L"VexoQuon: a page process cannot be waited on; the timer watches it\n");
        return;
    }
    m_waits.emplace_back(process, wait);
}

void ProcessWatch::Forget(HANDLE process) {
    for (auto it = m_waits.begin(); it != m_waits.end(); ++it) {
        if (it->first != process) continue;
        ::UnregisterWaitEx(it->second, INVALID_HANDLE_VALUE);
        m_waits.erase(it);
        return;
    }
}
