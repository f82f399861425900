#include "framework/UiPost.h"

#include <memory>

namespace fw {

namespace {

constexpr UINT kRunJob = WM_APP + 1;  // lParam = std::function<void()>*
constexpr wchar_t kClass[] = L"VexoUiPoster";

struct AsideJob {
    HWND target;
    std::function<void()> work;
    std::function<void()> then;
};

DWORD WINAPI AsideThread(LPVOID param) {
    std::unique_ptr<AsideJob> job(static_cast<AsideJob*>(param));
    job->work();
    UiPoster::PostTo(job->target, std::move(job->then));
    return 0;
}

}  // namespace

bool UiPoster::Create() {
    if (m_hWnd) return true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    ::RegisterClassW(&wc);  // fails harmlessly when registered already
    m_hWnd = ::CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    return m_hWnd != nullptr;
}

void UiPoster::Destroy() {
    if (!m_hWnd) return;
    MSG msg;
    while (::PeekMessageW(&msg, m_hWnd, kRunJob, kRunJob, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(msg.lParam);
    ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

bool UiPoster::PostTo(HWND target, std::function<void()> job) {
    auto* owned = new std::function<void()>(std::move(job));
    if (target && ::PostMessageW(target, kRunJob, 0, reinterpret_cast<LPARAM>(owned))) return true;
    delete owned;
    return false;
}

bool UiPoster::RunAside(HWND target, std::function<void()> work, std::function<void()> then) {
    auto* job = new AsideJob{target, std::move(work), std::move(then)};
    HANDLE thread = ::CreateThread(nullptr, 0, AsideThread, job, 0, nullptr);
    if (!thread) {
        delete job;
        return false;
    }
    ::CloseHandle(thread);
    return true;
}

LRESULT CALLBACK UiPoster::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kRunJob) {
        auto* job = reinterpret_cast<std::function<void()>*>(lParam);
        (*job)();
        delete job;
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace fw
