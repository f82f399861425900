// cache_tool.exe: the end-to-end tests' way into the browser cache of the
// current user, through the real WinINet of a 32-bit program like the
// product's page processes, and the product's own clearing routine.
//
//   cache_tool fill URL...      fetches every URL to its end (the cache and the
//                               cookie store keep what the answers allow)
//   cache_tool list             every URL-cache entry as JSON [{"url", "type", "file"}]
//   cache_tool cookies URL      the cookies this process's WinINet sends to URL
//   cache_tool clear N          runs ClearBrowserCache on N threads at once
//   cache_tool deltree PATH     DeleteTree(PATH); prints "1 0" or "0 <last error>"
//   cache_tool hold PATH MS     keeps PATH open (no delete sharing) for MS ms;
//                               prints "held" once it is open
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "mainwnd/CacheClear.h"

namespace {

void Out(const std::wstring& text) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &bytes[0], n, nullptr, nullptr);
    bytes += '\n';
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
}

std::wstring Json(const std::wstring& s) {
    std::wstring out = L"\"";
    for (wchar_t c : s) {
        if (c == L'"' || c == L'\\') out += L'\\';
        if (c < 0x20) continue;
        out += c;
    }
    return out + L"\"";
}

struct InternetHandle {
    explicit InternetHandle(HINTERNET h) : h(h) {}
    ~InternetHandle() {
        if (h) ::InternetCloseHandle(h);
    }
    HINTERNET h;
};

int Fill(int argc, wchar_t** argv) {
    InternetHandle net(::InternetOpenW(L"QZR", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!net.h) return 1;
    int failed = 0;
    for (int i = 2; i < argc; ++i) {
        InternetHandle url(::InternetOpenUrlW(net.h, argv[i], nullptr, 0, 0, 0));
        DWORD total = 0, got = 0;
        char buf[4096];
        while (url.h && ::InternetReadFile(url.h, buf, sizeof buf, &got) && got) total += got;
        if (!url.h) ++failed;
        Out(std::wstring(argv[i]) + L" " + std::to_wstring(url.h ? (long)total : -1L));
    }
    return failed ? 1 : 0;
}

int List() {
    std::wstring out = L"[";
    DWORD size = 0;
    ::FindFirstUrlCacheEntryW(nullptr, nullptr, &size);
    std::vector<ULONGLONG> buf(size / 8 + 64);
    size = (DWORD)(buf.size() * 8);
    HANDLE find = ::FindFirstUrlCacheEntryW(nullptr, (INTERNET_CACHE_ENTRY_INFOW*)buf.data(), &size);
    bool first = true;
    while (find) {
        auto* e = (INTERNET_CACHE_ENTRY_INFOW*)buf.data();
        if (!first) out += L",";
        first = false;
        out += L"{\"url\":" + Json(e->lpszSourceUrlName ? e->lpszSourceUrlName : L"") +
               L",\"type\":" + std::to_wstring(e->CacheEntryType) + L",\"file\":" +
               Json(e->lpszLocalFileName ? e->lpszLocalFileName : L"") + L"}";
        size = 0;
        if (!::FindNextUrlCacheEntryW(find, nullptr, &size) && ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        buf.assign(size / 8 + 64, 0);
        size = (DWORD)(buf.size() * 8);
        if (!::FindNextUrlCacheEntryW(find, (INTERNET_CACHE_ENTRY_INFOW*)buf.data(), &size)) break;
    }
    if (find) ::FindCloseUrlCache(find);
    Out(out + L"]");
    return 0;
}

int Cookies(const wchar_t* url) {
    wchar_t text[4096] = {};
    DWORD size = 4096;
    if (!::InternetGetCookieW(url, nullptr, text, &size)) text[0] = 0;
    Out(text);
    return 0;
}

int Clear(int threads) {
    // All started before any is waited for: the clearings overlap, as two
    // quick menu commands make them.
    std::vector<fw::Handle> started;
    for (int i = 0; i < threads; ++i)
        started.emplace_back(::CreateThread(nullptr, 0, ClearBrowserCache, nullptr, CREATE_SUSPENDED, nullptr));
    for (auto& t : started)
        if (t) ::ResumeThread(t.Get());
    for (auto& t : started)
        if (t) ::WaitForSingleObject(t.Get(), 120000);
    return 0;
}

int Hold(const wchar_t* path, DWORD ms) {
    fw::Handle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return 1;
    Out(L"held");
    ::Sleep(ms);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring cmd = argv[1];
    if (cmd == L"fill") return Fill(argc, argv);
    if (cmd == L"list") return List();
    if (cmd == L"cookies" && argc >= 3) return Cookies(argv[2]);
    if (cmd == L"clear") return Clear(argc >= 3 ? _wtoi(argv[2]) : 1);
    if (cmd == L"deltree" && argc >= 3) {
        bool ok = DeleteTree(argv[2]);
        DWORD error = ok ? 0 : ::GetLastError();
        Out(std::wstring(ok ? L"1 " : L"0 ") + std::to_wstring(error));
        return 0;
    }
    if (cmd == L"hold" && argc >= 4) return Hold(argv[2], (DWORD)_wtoi(argv[3]));
    return 2;
}
