#include "mainwnd/PageRegistry.h"

#include <algorithm>
#include <utility>

PageRegistry::PageRegistry(CloseProcessFn closeProcess) : m_closeProcess(std::move(closeProcess)) {}

PageRegistry::~PageRegistry() { ClosePendingProcess(); }

bool PageRegistry::HasTitle(const std::wstring& title) const {
    auto same = [&](const Entry& e) { return e.hasTitle && e.title == title; };
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
    int untitled = Pairing(m_pages, processId, [](const Entry& e) { return !e.hasTitle; });
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
    auto titled = std::count_if(m_pages.begin(), m_pages.end(), [](const Entry& e) { return e.hasTitle; });
    return static_cast<int>(titled + m_waiting.size());
}

int PageRegistry::RegisterPage(Frame frame, std::uint32_t processId) {
    Entry page;
    int waiting = Pairing(m_waiting, processId, [](const Entry&) { return true; });
    if (waiting >= 0) {
        page = std::move(m_waiting[waiting]);
        m_waiting.erase(m_waiting.begin() + waiting);
    }
    page.frame = frame;
    if (processId) page.processId = processId;
    m_pages.push_back(std::move(page));
    m_current = Count() - 1;
    ClosePendingProcess();  // the process it came from is no longer waiting
    return m_current;
}

PageRegistry::Frame PageRegistry::FrameAt(int i) const { return IsValidIndex(i) ? m_pages[i].frame : nullptr; }

std::wstring PageRegistry::TitleAt(int i) const { return IsValidIndex(i) ? m_pages[i].title : std::wstring(); }

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
    for (const Entry& e : m_pages) frames.push_back(e.frame);
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
    m_pages.erase(m_pages.begin() + i);
    if (i >= Count()) i = Count() - 1;
    m_current = std::max(i, 0);
    return removed;
}

void PageRegistry::SetPendingProcess(Process process) {
    if (process == m_pending) return;
    ClosePendingProcess();
    m_pending = process;
}

void PageRegistry::ClosePendingProcess() {
    if (m_pending && m_closeProcess) m_closeProcess(m_pending);
    m_pending = nullptr;
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
