// The tabs of the main window, driven as the page processes drive them: the
// titles pages send (any text, from any process, in any order), frames that
// register, tabs the player selects and closes, processes that die. Each
// title is also drawn on a tab and becomes the account of a login report.
// Input: a width per character, then operations (a byte each, some with
// an argument byte), then the titles, "\n"-separated, after a 0xFF 0xFF unit.
#include "FuzzInput.h"
#include "app/Endpoints.h"
#include "app/HttpUrl.h"
#include "mainwnd/PageRegistry.h"
#include "mainwnd/TabStrip.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

void* Handle(std::uintptr_t n) { return reinterpret_cast<void*>(n); }

void Title(const std::wstring& title, int charWidth) {
    int measured = 0;
    const std::wstring shown = tabstrip::DisplayTitle(title, [&](const std::wstring& s) {
        ++measured;
        return int(s.size()) * charWidth;
    });
    FUZZ_CHECK(measured >= 1);
    if (std::uint64_t(title.size()) * charWidth <= std::uint64_t(tabstrip::kTitleMaxWidth))
        FUZZ_CHECK(shown == title);
    else {
        // A prefix of the title and "...": at most the limit, at most one
        // unit short of it, and never ending inside a surrogate pair.
        FUZZ_CHECK(shown.size() >= 3 && shown.compare(shown.size() - 3, 3, L"...") == 0);
        const std::wstring kept = shown.substr(0, shown.size() - 3);
        const std::size_t limit = std::min<std::size_t>(tabstrip::kTitleCutChars, title.size());
        FUZZ_CHECK(title.compare(0, kept.size(), kept) == 0);
        FUZZ_CHECK(kept.size() <= limit && kept.size() + 1 >= limit);
        auto high = [](wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; };
        auto low = [](wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
        FUZZ_CHECK(kept.empty() || kept.size() == title.size() || !(high(kept.back()) && low(title[kept.size()])));
        if (kept.size() < limit) FUZZ_CHECK(high(title[kept.size()]));
    }

    // The account is what follows the last "-", never a "-" itself.
    const std::wstring account = AccountIdOfTitle(title);
    FUZZ_CHECK(account.find(L'-') == std::wstring::npos);
    FUZZ_CHECK(account.size() <= title.size());
    FUZZ_CHECK(title.compare(title.size() - account.size(), account.size(), account) == 0);
    if (account.size() < title.size()) FUZZ_CHECK(title[title.size() - account.size() - 1] == L'-');

    // Whatever the title holds reaches the server as the one "uid" value.
    for (int index : {1, -7}) {
        const std::wstring url = LoginReportUrl(account, index);
        if (url.empty()) continue;
        const std::wstring head = ClientServiceUrl(L"/login.htm?tag=quon&ver=3.0.1.1&uid=");
        const std::wstring tail = L"&index=" + std::to_wstring(index);
        FUZZ_CHECK(url.size() <= kMaxAddress);
        FUZZ_CHECK(url.compare(0, head.size(), head) == 0 && url.size() >= head.size() + tail.size());
        FUZZ_CHECK(url.compare(url.size() - tail.size(), tail.size(), tail) == 0);
        const std::wstring uid = url.substr(head.size(), url.size() - head.size() - tail.size());
        FUZZ_CHECK(uid == PercentEncodeUtf8(account));
        FUZZ_CHECK(uid.find_first_of(L"&#?= /\\") == std::wstring::npos);
        HttpUrlParts parts;
        FUZZ_CHECK(SplitHttpUrl(url, parts));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Operations up to the first 0xFF 0xFF pair, titles after it.
    std::size_t split = size;
    for (std::size_t i = 0; i + 1 < size; ++i)
        if (data[i] == 0xFF && data[i + 1] == 0xFF) {
            split = i;
            break;
        }
    const std::size_t textStart = split + 2 <= size ? split + 2 : size;
    std::vector<std::wstring> titles = FieldsFrom(WideFrom(data + textStart, size - textStart));
    if (titles.size() > 8) titles.resize(8);  // more accounts than tabs gain nothing
    FuzzReader ops(data, split);
    const int charWidth = 1 + ops.Byte() % 24;

    std::map<void*, int> closes;  // process handle -> times closed
    std::set<void*> handedOver;   // process handles given to the registry
    std::uintptr_t nextFrame = 0x1000, nextProcess = 0x9000;
    {
        PageRegistry pages([&](void* process) {
            FUZZ_CHECK(handedOver.count(process) && ++closes[process] == 1);  // never closed twice
        });
        int steps = 0;
        while (!ops.AtEnd() && ++steps <= 64) {
            const std::uint8_t op = ops.Byte();
            const std::uint32_t process = (op >> 4) & 3;  // 0: unknown
            const int before = pages.Count();
            const int titlesBefore = pages.TitleCount();
            switch (op & 7) {
                case 0: {
                    const std::wstring& title = titles[ops.Byte() % titles.size()];
                    const bool accepted = pages.AcceptTitle(title, process);
                    FUZZ_CHECK(pages.TitleCount() == titlesBefore + (accepted ? 1 : 0));
                    FUZZ_CHECK(pages.Count() == before);
                    // The same title twice is refused, whoever sends it.
                    if (accepted) FUZZ_CHECK(!pages.AcceptTitle(title, process ^ 1));
                    break;
                }
                case 1: {
                    void* frame = Handle(nextFrame += 0x10);
                    const int index = pages.RegisterPage(frame, process);
                    FUZZ_CHECK(index == before && pages.Count() == before + 1 && pages.Current() == index);
                    FUZZ_CHECK(pages.FrameAt(index) == frame && pages.PendingProcess() == nullptr);
                    FUZZ_CHECK(pages.TitleCount() == titlesBefore);  // a waiting title moves, at most
                    break;
                }
                case 2: {
                    const int i = int(ops.Byte() % 5) - 1;
                    const int current = pages.Current();
                    const bool selected = pages.Select(i);
                    FUZZ_CHECK(selected == (pages.IsValidIndex(i) && i != current));
                    FUZZ_CHECK(pages.Current() == (selected ? i : current));
                    break;
                }
                case 3:
                    pages.SelectNext();
                    break;
                case 4: {
                    const int i = int(ops.Byte() % 5) - 1;
                    std::vector<void*> frames = pages.Frames();
                    void* removed = pages.Close(i);
                    if (i >= 0 && i < before) {
                        FUZZ_CHECK(removed == frames[i] && pages.Count() == before - 1);
                        frames.erase(frames.begin() + i);
                        FUZZ_CHECK(pages.Frames() == frames);
                        FUZZ_CHECK(pages.Current() == (i < pages.Count() ? i : std::max(pages.Count() - 1, 0)));
                    } else {
                        FUZZ_CHECK(removed == nullptr && pages.Count() == before);
                    }
                    break;
                }
                case 5: {
                    // A dead process's waiting titles go, and only they.
                    int of = 0;
                    for (std::uint32_t id : pages.WaitingProcessIds()) of += process && id == process;
                    pages.DropWaitingOf(process);
                    FUZZ_CHECK(pages.TitleCount() == titlesBefore - of);
                    for (std::uint32_t id : pages.WaitingProcessIds()) FUZZ_CHECK(!process || id != process);
                    break;
                }
                case 6: {
                    // A new launch, or the same handle once more.
                    void* handle = (op & 0x40) && pages.PendingProcess() ? pages.PendingProcess()
                                                                       : Handle(nextProcess += 0x10);
                    handedOver.insert(handle);
                    pages.SetPendingProcess(handle);
                    FUZZ_CHECK(pages.PendingProcess() == handle);
                    break;
                }
                default:
                    pages.ClosePendingProcess();
                    FUZZ_CHECK(pages.PendingProcess() == nullptr);
                    break;
            }
            // Always: a current tab among the tabs, and no waiting process but those that sent titles.
            FUZZ_CHECK(pages.Empty() ? pages.Current() == 0 : pages.IsValidIndex(pages.Current()));
            for (std::uint32_t id : pages.WaitingProcessIds()) FUZZ_CHECK(id >= 1 && id <= 3);
        }
        // Each frame listed once, where it was put, with a title some page sent.
        const std::vector<void*> frames = pages.Frames();
        FUZZ_CHECK(int(frames.size()) == pages.Count());
        FUZZ_CHECK(std::set<void*>(frames.begin(), frames.end()).size() == frames.size());
        for (int i = 0; i < pages.Count(); ++i) {
            FUZZ_CHECK(pages.FrameAt(i) && pages.IndexOf(pages.FrameAt(i)) == i);
            const std::wstring title = pages.TitleAt(i);
            FUZZ_CHECK(title.empty() || std::find(titles.begin(), titles.end(), title) != titles.end());
        }
    }
    // Each title as it is drawn and reported.
    for (const std::wstring& title : titles) Title(title, charWidth);
    // Every process handle the registry was given is closed, once.
    for (void* handle : handedOver) FUZZ_CHECK(closes[handle] == 1);
    FUZZ_CHECK(closes.size() == handedOver.size());
    return 0;
}
