#include "mainwnd/PageRegistry.h"

#include <algorithm>
#include <utility>

const wchar_t PageRegistry::kReconnectingMark[] = L"[重连中] ";

PageRegistry::PageRegistry(CloseProcessFn closeProcess) : m_closeProcess(std::move(closeProcess)) {}

PageRegistry::~PageRegistry() {
    ClosePendingProcess();
    for (Entry& e : m_pages) CloseProcessOf(e);
}

void PageRegistry::CloseProcessOf(Entry& e) {
    if (e.process && m_closeProcess) m_closeProcess(e.process);
    e.process = nullptr;
}

bool PageRegistry::HasTitle(const std::wstring& title) const {
    auto same = [&](const Entry& e) { return e.hasTitle && !e.reconnecting && e.title == title; };
    return std::any_of(m_pages.begin(), m_pages.end(), same) || std::any_of(m_waiting.begin(), m_waiting.end(), same);
}

template <typename Fits>
int PageRegistry::Pairing(const std::vector<Entry>& list, std::uint32_t processId, Fits fits) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (fits(list[i]) && processId && list[i].processId == processId) return int(i);
    for (std::size_t i = 0; i < list.size(); ++i)
        if (fits(list[i]) && (!processId || !list[i].processId)) return int(i);
    return -1;
}

bool PageRegistry::AcceptTitle(const std::wstring& title, std::uint32_t processId) {
    if (HasTitle(title)) return false;
    // A frame that registered before its title takes the title now.
    int untitled = Pairing(m_pages, processId, [](const Entry& e) { return !e.hasTitle && !e.reconnecting; });
    if (untitled >= 0) {
        Entry& page = m_pages[untitled];
        page.title = title;
        page.hasTitle = true;
        if (!page.processId) page.processId = processId;
        return true;
    }
    Entry waiting;
    waiting.title = title;
    waiting.hasTitle = true;
    waiting.processId = processId;
    m_waiting.push_back(std::move(waiting));
    return true;
}

int PageRegistry::TitleCount() const {
    auto titled = std::count_if(m_pages.begin(), m_pages.end(),
                                [](const Entry& e) { return e.hasTitle && !e.reconnecting; });
    return static_cast<int>(titled + m_waiting.size());
}

int PageRegistry::RegisterPage(Frame frame, std::uint32_t processId) {
    Entry taken;
    int waiting = Pairing(m_waiting, processId, [](const Entry&) { return true; });
    if (waiting >= 0) {
        taken = std::move(m_waiting[waiting]);
        m_waiting.erase(m_waiting.begin() + waiting);
    }
    for (int i = 0; processId && i < Count(); ++i) {
        Entry& place = m_pages[i];
        if (!place.reconnecting || place.processId != processId) continue;
        // The new login of a lost place: same place, the new account's title,
        // and the login's handle now watches the page.
        place.frame = frame;
        place.reconnecting = false;
        place.title = std::move(taken.title);
        place.hasTitle = taken.hasTitle;
        m_current = i;
        return i;
    }
    Entry page = std::move(taken);
    page.frame = frame;
    if (processId) page.processId = processId;
    if (m_pending && processId && processId == m_pendingId) {
        page.process = m_pending;  // the handle goes on watching, now the tab's
        m_pending = nullptr;
        m_pendingId = 0;
    }
    m_pages.push_back(std::move(page));
    m_current = Count() - 1;
    ClosePendingProcess();  // the process it came from is no longer waiting
    return m_current;
}

int PageRegistry::FrameCount() const {
    return static_cast<int>(std::count_if(m_pages.begin(), m_pages.end(), [](const Entry& e) { return e.frame; }));
}

PageRegistry::Frame PageRegistry::FrameAt(int i) const { return IsValidIndex(i) ? m_pages[i].frame : nullptr; }

std::wstring PageRegistry::TitleAt(int i) const {
    if (!IsValidIndex(i)) return std::wstring();
    return m_pages[i].reconnecting ? kReconnectingMark + m_pages[i].title : m_pages[i].title;
}

std::uint32_t PageRegistry::ProcessIdAt(int i) const { return IsValidIndex(i) ? m_pages[i].processId : 0; }

int PageRegistry::IndexOf(Frame frame) const {
    if (!frame) return -1;
    for (int i = 0; i < Count(); ++i)
        if (m_pages[i].frame == frame) return i;
    return -1;
}

std::vector<PageRegistry::Frame> PageRegistry::Frames() const {
    std::vector<Frame> frames;
    frames.reserve(m_pages.size());
    for (const Entry& e : m_pages)
        if (e.frame) frames.push_back(e.frame);
    return frames;
}

bool PageRegistry::Select(int i) {
    if (!IsValidIndex(i) || i == m_current) return false;
    m_current = i;
    return true;
}

void PageRegistry::SelectNext() {
    if (!Empty()) m_current = (m_current + 1) % Count();
}

PageRegistry::Frame PageRegistry::Close(int i) {
    if (!IsValidIndex(i)) return nullptr;
    Frame removed = m_pages[i].frame;
    CloseProcessOf(m_pages[i]);
    m_pages.erase(m_pages.begin() + i);
    if (i >= Count()) i = Count() - 1;
    m_current = std::max(i, 0);
    return removed;
}

void PageRegistry::Remove(int i) {
    CloseProcessOf(m_pages[i]);
    m_pages.erase(m_pages.begin() + i);
    if (i < m_current) --m_current;
    m_current = std::max(0, std::min(m_current, Count() - 1));
}

PageRegistry::Process PageRegistry::ProcessAt(int i) const {
    return IsValidIndex(i) ? m_pages[i].process : nullptr;
}

void PageRegistry::AdoptProcess(int i, Process process) {
    if (!process) return;
    if (IsValidIndex(i) && m_pages[i].frame && !m_pages[i].process) {
        m_pages[i].process = process;
        return;
    }
    if (m_closeProcess) m_closeProcess(process);
}

PageRegistry::Loss PageRegistry::PageEnded(int i, bool leftOnPurpose, std::uint32_t nowMs) {
    if (!IsValidIndex(i)) return Loss::None;
    Entry& place = m_pages[i];
    // The login's title, if it sent one, is free again whatever follows.
    if (place.reconnecting) DropWaitingOf(place.processId);
    if (place.reconnecting && leftOnPurpose) {
        Remove(i);
        return Loss::GivenUp;
    }
    // Unsigned difference: right across the tick count's wrap.
    if (place.lostBefore && nowMs - place.lostAtMs < kCrashWindowMs) {
        Remove(i);
        return Loss::Closed;
    }
    CloseProcessOf(place);
    place.frame = nullptr;
    place.processId = 0;
    place.reconnecting = true;
    place.lostBefore = true;
    place.lostAtMs = nowMs;
    return Loss::Restart;
}

bool PageRegistry::StartedLogin(int i, Process process, std::uint32_t processId) {
    if (!IsReconnecting(i) || m_pages[i].process) {
        if (process && m_closeProcess) m_closeProcess(process);
        return false;
    }
    if (!process) {
        Remove(i);
        return false;
    }
    m_pages[i].process = process;
    m_pages[i].processId = processId;
    return true;
}

std::vector<int> PageRegistry::PlacesAwaitingLogin() const {
    std::vector<int> places;
    for (int i = Count() - 1; i >= 0; --i)
        if (m_pages[i].reconnecting && !m_pages[i].process) places.push_back(i);
    return places;
}

std::vector<PageRegistry::Process> PageRegistry::PlaceLogins() const {
    std::vector<Process> logins;
    for (const Entry& e : m_pages)
        if (e.reconnecting && e.process) logins.push_back(e.process);
    return logins;
}

void PageRegistry::SetPendingProcess(Process process, std::uint32_t processId) {
    if (process == m_pending) return;
    ClosePendingProcess();
    m_pending = process;
    m_pendingId = process ? processId : 0;
}

void PageRegistry::ClosePendingProcess() {
    if (m_pending && m_closeProcess) m_closeProcess(m_pending);
    m_pending = nullptr;
    m_pendingId = 0;
}

std::vector<std::uint32_t> PageRegistry::WaitingProcessIds() const {
    std::vector<std::uint32_t> ids;
    for (const Entry& e : m_waiting)
        if (e.processId) ids.push_back(e.processId);
    return ids;
}

void PageRegistry::DropWaitingOf(std::uint32_t processId) {
    if (!processId) return;
    m_waiting.erase(std::remove_if(m_waiting.begin(), m_waiting.end(),
                                   [&](const Entry& e) { return e.processId == processId; }),
                    m_waiting.end());
}
