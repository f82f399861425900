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

    explicit PageRegistry(CloseProcessFn closeProcess);
    ~PageRegistry();  // closes a pending process
    PageRegistry(const PageRegistry&) = delete;
    PageRegistry& operator=(const PageRegistry&) = delete;

    // A login's title. False, and nothing changes, when the same title (exact,
    // case-sensitive) is already a tab's or waits for its frame.
    bool AcceptTitle(const std::wstring& title, std::uint32_t processId = 0);
    // Titles accepted and not closed: the tabs' and the waiting ones.
    int TitleCount() const;

    // A game page frame registers: it becomes the last tab, with the oldest
    // waiting title, and the current tab; the pending process is closed, as
    // it is pending no more. Returns the new tab's index.
    int RegisterPage(Frame frame, std::uint32_t processId = 0);
    void SetHall(Frame frame) { m_hall = frame; }
    Frame Hall() const { return m_hall; }

    int Count() const { return static_cast<int>(m_pages.size()); }
    bool Empty() const { return m_pages.empty(); }
    bool Full() const { return Count() >= kMaxPages; }
    bool IsValidIndex(int i) const { return i >= 0 && i < Count(); }
    // nullptr / empty text outside the tabs or for a tab without title.
    Frame FrameAt(int i) const;
    std::wstring TitleAt(int i) const;
    std::uint32_t ProcessIdAt(int i) const;
    // Index of a registered frame, -1 when it is none.
    int IndexOf(Frame frame) const;
    std::vector<Frame> Frames() const;

    // The selected tab; 0 before the first page registers.
    int Current() const { return m_current; }
    // nullptr when there is no page.
    Frame CurrentFrame() const { return FrameAt(m_current); }
    // Makes tab i current; false when i is not a tab or is current already.
    bool Select(int i);
    // The tab after the current one, wrapping; no change without pages.
    void SelectNext();

    // Removes tab i and its title. The tab that takes its place, or the new
    // last tab, becomes current. Returns the removed frame (nullptr when i
    // is not a tab).
    Frame Close(int i);

    // Titles still waiting for a frame, by the process that sent them.
    std::vector<std::uint32_t> WaitingProcessIds() const;
    // Forgets the titles a process sent before it died: its account may log
    // in again.
    void DropWaitingOf(std::uint32_t processId);

    // The page process launched last and not registered yet. Setting a new
    // one closes the previous.
    void SetPendingProcess(Process process);
    Process PendingProcess() const { return m_pending; }
    // Closes the pending process handle and forgets it.
    void ClosePendingProcess();

private:
    struct Entry {
        Frame frame = nullptr;
        std::wstring title;
        bool hasTitle = false;
        std::uint32_t processId = 0;
    };

    bool HasTitle(const std::wstring& title) const;
    // The entry of `list` that pairs with process `processId` (an entry of the
    // same process first, else one where either process is unknown), or -1.
    template <typename Fits>
    static int Pairing(const std::vector<Entry>& list, std::uint32_t processId, Fits fits);

    std::vector<Entry> m_pages;    // registered, in tab order
    std::vector<Entry> m_waiting;  // accepted titles whose frame has not registered, oldest first
    int m_current = 0;
    Frame m_hall = nullptr;
    Process m_pending = nullptr;
    CloseProcessFn m_closeProcess;
};
