// The main window's record of its tabs: the registered page frames in tab
// order with their titles, the current tab, the hall's frame, and the page
// process launched but not registered yet. One class instead of parallel
// lists kept in step by hand. No Windows here: frames and the process are
// opaque handles, and the process is closed through the function given at
// construction (the registry owns it while it is pending).
//
// A login is accepted by its title before its frame exists, so a title may
// wait for its frame. Titles and frames pair by process: a frame takes the
// waiting title its own process sent. Where a process is not known (0: a page
// that did not say who it is) they pair in login order, the oldest first.
//
// A tab is a place in the strip. When its page process ends without the main
// window closing the tab, the place stays, marked as reconnecting, with its
// account free to log in again, while a new page process logs in for it; that
// process's frame then takes the place. A place lost twice within
// kCrashWindowMs is given up instead. The registry holds, per place, the
// handle of the process it watches: the page process of a registered frame,
// or the new login of a reconnecting place.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class PageRegistry {
public:
    using Frame = void*;    // a window handle
    using Process = void*;  // a process handle
    using CloseProcessFn = std::function<void(Process)>;

    // More tabs than this are not offered to the player.
    static constexpr int kMaxPages = 3;
    // A second loss of one place within this time gives the place up.
    static constexpr std::uint32_t kCrashWindowMs = 2 * 60 * 1000;
    // Shown before the title of a reconnecting place.
    static const wchar_t kReconnectingMark[];

    explicit PageRegistry(CloseProcessFn closeProcess);
    ~PageRegistry();  // closes every process handle it holds
    PageRegistry(const PageRegistry&) = delete;
    PageRegistry& operator=(const PageRegistry&) = delete;

    // A login's title. False, and nothing changes, when the same title (exact,
    // case-sensitive) is already a tab's or waits for its frame; a
    // reconnecting place's title is free.
    bool AcceptTitle(const std::wstring& title, std::uint32_t processId = 0);
    // Titles accepted and not closed or freed: the tabs' and the waiting ones.
    int TitleCount() const;

    // A game page frame registers and becomes the current tab. The frame of a
    // reconnecting place's new login takes that place; any other becomes the
    // last tab and the pending process is pending no more: its handle stays
    // with the tab when the frame is its own, else it is closed. The frame
    // takes the waiting title of its process (or the oldest). Returns the
    // tab's index.
    int RegisterPage(Frame frame, std::uint32_t processId = 0);
    void SetHall(Frame frame) { m_hall = frame; }
    Frame Hall() const { return m_hall; }

    // Tabs, reconnecting places included.
    int Count() const { return static_cast<int>(m_pages.size()); }
    bool Empty() const { return m_pages.empty(); }
    bool Full() const { return Count() >= kMaxPages; }
    bool IsValidIndex(int i) const { return i >= 0 && i < Count(); }
    // Tabs with a registered frame (not reconnecting).
    int FrameCount() const;
    // nullptr / empty text outside the tabs or for a tab without title. A
    // reconnecting place has no frame; its title is shown with the mark.
    Frame FrameAt(int i) const;
    std::wstring TitleAt(int i) const;
    // The process of the tab's frame, or of a reconnecting place's new login.
    std::uint32_t ProcessIdAt(int i) const;
    bool IsReconnecting(int i) const { return IsValidIndex(i) && m_pages[i].reconnecting; }
    // Index of a registered frame, -1 when it is none.
    int IndexOf(Frame frame) const;
    // The registered frames in tab order (reconnecting places have none).
    std::vector<Frame> Frames() const;

    // The selected tab; 0 before the first page registers.
    int Current() const { return m_current; }
    // nullptr when there is no page.
    Frame CurrentFrame() const { return FrameAt(m_current); }
    // Makes tab i current; false when i is not a tab or is current already.
    bool Select(int i);
    // The tab after the current one, wrapping; no change without pages.
    void SelectNext();

    // The player closes tab i: it goes with its title and its watched
    // process handle (closed). The tab that takes its place, or the new last
    // tab, becomes current. Returns the removed frame (nullptr when i is not
    // a tab or is reconnecting).
    Frame Close(int i);

    // The process handle watched for tab i (nullptr: none, or not a tab).
    Process ProcessAt(int i) const;
    // Gives registered tab i a handle of its page process to watch, where it
    // has none (a frame of a process the window did not start). Otherwise,
    // or outside the tabs, the handle is closed.
    void AdoptProcess(int i, Process process);

    // What became of a place whose process ended by itself.
    enum class Loss {
        None,       // not a tab
        Restart,    // reconnecting: a new page process is to log in for it (PlacesAwaitingLogin)
        GivenUp,    // a reconnecting place's login was left by the player: the place is gone
        Closed,     // lost twice within kCrashWindowMs: the place is gone
    };
    // The process watched for tab i ended at `nowMs` (a wrapping millisecond
    // tick count) without the window closing the tab. `leftOnPurpose`: it
    // ended the way a login that is given up ends; that counts only for a
    // reconnecting place's login, since a registered page leaves only when
    // the window closes it. Otherwise it crashed: its handle is closed, its
    // account freed and the place reconnects, unless the place was lost
    // before within kCrashWindowMs. A place that goes leaves the current tab
    // as it was (the tab that takes its place when it was the current one).
    Loss PageEnded(int i, bool leftOnPurpose, std::uint32_t nowMs);
    // Reconnecting places whose new page process has not started, highest
    // index first (a place that then goes moves none of the others).
    std::vector<int> PlacesAwaitingLogin() const;
    // The new page process of reconnecting place i has started. False, and
    // the place is gone, when none started (process nullptr); a handle for
    // something else than a place awaiting its login is closed.
    bool StartedLogin(int i, Process process, std::uint32_t processId);
    // Handles of the reconnecting places' logins still watched.
    std::vector<Process> PlaceLogins() const;

    // Titles still waiting for a frame, by the process that sent them.
    std::vector<std::uint32_t> WaitingProcessIds() const;
    // Forgets the titles a process sent before it died: its account may log
    // in again.
    void DropWaitingOf(std::uint32_t processId);

    // The page process launched last for a new tab and not registered yet.
    // Setting a new one closes the previous.
    void SetPendingProcess(Process process, std::uint32_t processId = 0);
    Process PendingProcess() const { return m_pending; }
    // Closes the pending process handle and forgets it.
    void ClosePendingProcess();

private:
    struct Entry {
        Frame frame = nullptr;
        std::wstring title;
        bool hasTitle = false;
        std::uint32_t processId = 0;
        Process process = nullptr;  // owned
        bool reconnecting = false;  // title kept for the strip, account free
        bool lostBefore = false;
        std::uint32_t lostAtMs = 0;
    };

    bool HasTitle(const std::wstring& title) const;
    void CloseProcessOf(Entry& e);
    // Removes tab i; the tab the player looks at stays current.
    void Remove(int i);
    // The entry of `list` that pairs with process `processId` (an entry of the
    // same process first, else one where either process is unknown), or -1.
    template <typename Fits>
    static int Pairing(const std::vector<Entry>& list, std::uint32_t processId, Fits fits);

    std::vector<Entry> m_pages;    // registered, in tab order
    std::vector<Entry> m_waiting;  // accepted titles whose frame has not registered, oldest first
    int m_current = 0;
    Frame m_hall = nullptr;
    Process m_pending = nullptr;
    std::uint32_t m_pendingId = 0;
    CloseProcessFn m_closeProcess;
};
