// "Post this to the UI thread": background work hands its result to the
// thread that owns the windows through one message-only window. A job owns
// its data; it runs once on the UI thread and is freed there. Jobs still
// queued when the poster goes are freed without running.
#pragma once

#include <windows.h>

#include <functional>

namespace fw {

class UiPoster {
public:
    UiPoster() = default;
    ~UiPoster() { Destroy(); }
    UiPoster(const UiPoster&) = delete;
    UiPoster& operator=(const UiPoster&) = delete;

    // On the UI thread, before any Post. False when the window cannot be made.
    bool Create();
    void Destroy();

    // From any thread. False (the job freed unrun) when it cannot be posted,
    // for instance once the poster is gone.
    bool Post(std::function<void()> job) const { return PostTo(m_hWnd, std::move(job)); }
    // The poster's window, for a worker that may outlive the poster object:
    // it keeps this value and posts with PostTo.
    HWND Target() const { return m_hWnd; }
    static bool PostTo(HWND target, std::function<void()> job);
    // Runs `work` on a new thread, then posts `then` to `target`. False (both
    // freed unrun) when the thread cannot start.
    static bool RunAside(HWND target, std::function<void()> work, std::function<void()> then);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND m_hWnd = nullptr;
};

}  // namespace fw
