// probe.exe: the end-to-end tests' hands and eyes inside Wine. Lists and finds
// windows as JSON, sends and posts messages, clicks controls, reads texts and
// registry values, and plays a page process of the main window.
//
//   probe list                               every top-level window and its children
//   probe find [--class C] [--title T] [--pid N] [--visible] [--toplevel]
//   probe send|post HWND MSG WPARAM LPARAM    numbers in decimal or 0x hex
//   probe copydata HWND TEXT [--cb BYTES]     WM_COPYDATA with UTF-16 TEXT (+ terminator unless --cb)
//   probe click HWND                          BM_CLICK, sent
//   probe command HWND ID                     WM_COMMAND(ID, BN_CLICKED), posted
//   probe text HWND                           the window text
//   probe settext HWND TEXT                   WM_SETTEXT, sent (prints 1 or 0)
//   probe hold PATH SECONDS                   opens PATH for reading, sharing read and write but not
//                                             delete (as a scanner would), prints 1 once it holds it,
//                                             and keeps it open that long (prints 0 if it cannot)
//   probe move HWND X Y W H                   SetWindowPos
//   probe lnk PATH                            a shell link as JSON {target, args, icon, description}
//   probe reg ROOT PATH NAME [--view 64]      a registry value as JSON {type, hex}, read in the
//                                             32-bit view that the product uses unless told 64
//   probe page OWNER TITLE [--kind K] [--log FILE] [--no-register]
//                                             a fake page/hall process (see RunPage)
//   probe navigate HWND URL                   test builds: the browser host window calls its
//                                             browser's Navigate(URL) (prints 1 taken, 0 not)
//   probe complete HWND URL TITLE             test builds: the browser host window hears that
//                                             URL finished loading, titled TITLE (prints 1 or 0)
//   probe refreshes HWND                      test builds: how often the browser host window asked
//                                             its browser to reload (prints the count, or "none")
//   probe muted HWND                          test builds: the speakers mute of the game frame's
//                                             own process (prints 0 or 1, or "none")
//   probe owner TITLE [--log FILE] [--refuse] a stand-in main window for a page or hall process:
//                                             logs what the page sends it (see RunOwner)
//   probe kill PID [CODE]                     TerminateProcess with exit code CODE (default 1;
//                                             prints 1 or 0)
//   probe enable HWND 0|1                     EnableWindow from outside (prints the previous state)
//   probe window CLASS TITLE                  a visible top-level window of class CLASS of this
//                                             process; prints its handle, runs until it is closed
//   probe showmenu X Y ITEM...                a popup menu of its own at (X, Y) with these items
//                                             ("-" a separator); prints {rect, items: [{text,
//                                             rect}]} once it shows; closes on a choice, Escape or
//                                             after 20 s
//   probe dialog TITLE [--log FILE]           a plain system dialog ("#32770") with that title
//                                             that logs every WM_USER+n message it receives
//   (any name but probe.exe, no arguments)   a stand-in game client: records its start in
//                                             <exe>.started (command line, priority class)
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../../framework/BrowserAutomation.h"

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
        switch (c) {
        case L'"': out += L"\\\""; break;
        case L'\\': out += L"\\\\"; break;
        case L'\n': out += L"\\n"; break;
        case L'\r': out += L"\\r"; break;
        case L'\t': out += L"\\t"; break;
        default:
            if (c < 0x20) {
                wchar_t buf[8];
                swprintf(buf, 8, L"\\u%04x", c);
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + L"\"";
}

unsigned long long Num(const wchar_t* s) { return wcstoull(s, nullptr, 0); }

// Window handles travel as their 32-bit numbers, the way the launcher writes
// them; a 64-bit probe rebuilds them sign-extended, as Windows does.
std::wstring Hwnd(HWND h) { return std::to_wstring((unsigned long)(ULONG)(ULONG_PTR)h); }
HWND HwndArg(const wchar_t* s) { return (HWND)(LONG_PTR)(LONG)(ULONG)Num(s); }

std::wstring WindowText(HWND h) {
    wchar_t buf[1024] = {};
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(h, WM_GETTEXT, 1024, (LPARAM)buf, SMTO_ABORTIFHUNG, 2000, &result);
    return buf;
}

std::wstring Describe(HWND h) {
    wchar_t cls[256] = {};
    ::GetClassNameW(h, cls, 256);
    RECT r{}, c{};
    ::GetWindowRect(h, &r);
    ::GetClientRect(h, &c);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    wchar_t buf[512];
    swprintf(buf, 512,
             L"\"rect\":[%ld,%ld,%ld,%ld],\"client\":[%ld,%ld],\"visible\":%ls,\"enabled\":%ls,"
             L"\"iconic\":%ls,\"zoomed\":%ls,\"style\":%lu,\"exstyle\":%lu,\"id\":%ld,\"pid\":%lu",
             r.left, r.top, r.right, r.bottom, c.right, c.bottom,
             ::IsWindowVisible(h) ? L"true" : L"false", ::IsWindowEnabled(h) ? L"true" : L"false",
             ::IsIconic(h) ? L"true" : L"false", ::IsZoomed(h) ? L"true" : L"false",
             (unsigned long)::GetWindowLongPtrW(h, GWL_STYLE), (unsigned long)::GetWindowLongPtrW(h, GWL_EXSTYLE),
             (long)::GetWindowLongPtrW(h, GWLP_ID), (unsigned long)pid);
    return L"{\"hwnd\":" + Hwnd(h) + L",\"class\":" + Json(cls) + L",\"title\":" + Json(WindowText(h)) +
           L",\"parent\":" + Hwnd(::GetAncestor(h, GA_PARENT) == ::GetDesktopWindow() ? nullptr : ::GetAncestor(h, GA_PARENT)) +
           L",\"owner\":" + Hwnd(::GetWindow(h, GW_OWNER)) + L"," + buf + L"}";
}

void Collect(HWND h, std::vector<HWND>& all) {
    all.push_back(h);
    for (HWND c = ::GetWindow(h, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) Collect(c, all);
}

std::vector<HWND> AllWindows() {
    std::vector<HWND> tops;
    ::EnumWindows([](HWND h, LPARAM p) CALLBACK -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return TRUE;
    }, (LPARAM)&tops);
    std::vector<HWND> all;
    for (HWND h : tops) Collect(h, all);
    return all;
}

int List(int argc, wchar_t** argv, bool filter) {
    const wchar_t* cls = nullptr;
    const wchar_t* title = nullptr;
    DWORD pid = 0;
    bool visibleOnly = false, topOnly = false;
    for (int i = 2; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--class" && i + 1 < argc) cls = argv[++i];
        else if (a == L"--title" && i + 1 < argc) title = argv[++i];
        else if (a == L"--pid" && i + 1 < argc) pid = (DWORD)Num(argv[++i]);
        else if (a == L"--visible") visibleOnly = true;
        else if (a == L"--toplevel") topOnly = true;
    }
    std::wstring out = L"[";
    bool first = true;
    for (HWND h : AllWindows()) {
        if (filter) {
            wchar_t c[256] = {};
            ::GetClassNameW(h, c, 256);
            DWORD p = 0;
            ::GetWindowThreadProcessId(h, &p);
            if (cls && wcscmp(c, cls) != 0) continue;
            if (title && WindowText(h) != title) continue;
            if (pid && p != pid) continue;
            if (visibleOnly && !::IsWindowVisible(h)) continue;
            if (topOnly && (::GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD)) continue;
        }
        if (!first) out += L",\n";
        first = false;
        out += Describe(h);
    }
    Out(out + L"]");
    return 0;
}

int Reg(int argc, wchar_t** argv) {
    if (argc < 5) return 2;
    std::wstring root = argv[2];
    HKEY hive = root == L"HKLM" ? HKEY_LOCAL_MACHINE : root == L"HKCU" ? HKEY_CURRENT_USER : nullptr;
    if (!hive) return 2;
    // The product is 32-bit: its HKLM\Software is the 32-bit view, whatever
    // this probe's own word size.
    REGSAM view = KEY_WOW64_32KEY;
    if (argc >= 7 && std::wstring(argv[5]) == L"--view" && std::wstring(argv[6]) == L"64") view = KEY_WOW64_64KEY;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(hive, argv[3], 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        Out(L"{\"exists\":false}");
        return 0;
    }
    BYTE data[4096];
    DWORD size = sizeof data, type = 0;
    LONG rc = ::RegQueryValueExW(key, argv[4], nullptr, &type, data, &size);
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        Out(L"{\"exists\":true,\"value\":false}");
        return 0;
    }
    std::wstring hex;
    for (DWORD i = 0; i < size; ++i) {
        wchar_t b[4];
        swprintf(b, 4, L"%02x", data[i]);
        hex += b;
    }
    Out(L"{\"exists\":true,\"value\":true,\"type\":" + std::to_wstring(type) + L",\"hex\":\"" + hex + L"\"}");
    return 0;
}

// ---- a fake page process -------------------------------------------------
// Sends the title by WM_COPYDATA (prints "accepted" or "refused"), then, unless
// --no-register, posts the registration, becomes a child of the owner and logs
// every custom message it receives to --log until it is closed or the owner
// is gone.

HWND g_pageOwner = nullptr;
FILE* g_pageLog = nullptr;

void PageLog(const wchar_t* what, WPARAM w, LPARAM l) {
    if (!g_pageLog) return;
    fwprintf(g_pageLog, L"%ls %llu %lld\n", what, (unsigned long long)w, (long long)l);
    fflush(g_pageLog);
}

LRESULT CALLBACK PageProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_SYSCOMMAND:
        if ((w & 0xFFF0) == SC_CLOSE) PageLog(L"sc_close", w, l);
        break;
    case WM_KEYDOWN: PageLog(L"keydown", w, l); return 0;
    case WM_CHAR: PageLog(L"char", w, l); return 0;
    case WM_USER + 5: PageLog(L"set_mute", w, l); return 0;
    case WM_USER + 7: PageLog(L"reload_hotkeys", w, l); return 0;
    case WM_TIMER:
        if (!::IsWindow(g_pageOwner)) ::DestroyWindow(h);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(h, &ps);
        RECT r;
        ::GetClientRect(h, &r);
        HBRUSH b = ::CreateSolidBrush(RGB(40, 90, 60));
        ::FillRect(dc, &r, b);
        ::DeleteObject(b);
        ::EndPaint(h, &ps);
        return 0;
    }
    case WM_DESTROY:
        PageLog(L"destroy", 0, 0);
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(h, msg, w, l);
}

int RunPage(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    g_pageOwner = HwndArg(argv[2]);
    std::wstring title = argv[3];
    int kind = 0;
    bool reg = true;
    for (int i = 4; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--kind" && i + 1 < argc) kind = (int)Num(argv[++i]);
        else if (a == L"--log" && i + 1 < argc) g_pageLog = _wfopen(argv[++i], L"w, ccs=UTF-8");
        else if (a == L"--no-register") reg = false;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = PageProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VexoProbePage";
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    ::RegisterClassW(&wc);
    HWND frame = ::CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    if (kind == 0) {
        COPYDATASTRUCT cds{0, DWORD((title.size() + 1) * sizeof(wchar_t)), (void*)title.c_str()};
        LRESULT accepted = ::SendMessageW(g_pageOwner, WM_COPYDATA, (WPARAM)frame, (LPARAM)&cds);
        Out(accepted ? L"accepted" : L"refused");
        PageLog(accepted ? L"accepted" : L"refused", 0, 0);
        if (!accepted) return 1;
    }
    Out(L"frame " + Hwnd(frame));
    if (reg) {
        ::PostMessageW(g_pageOwner, WM_USER + 2, (WPARAM)frame, kind);
        ::SetWindowLongPtrW(frame, GWL_STYLE, WS_CHILD | WS_CLIPCHILDREN);
        ::SetParent(frame, g_pageOwner);
        RECT r;
        ::GetClientRect(g_pageOwner, &r);
        ::MoveWindow(frame, 4, 30, r.right - 8, r.bottom - 34, TRUE);
        ::ShowWindow(frame, SW_SHOW);
    }
    ::SetTimer(frame, 2, 200, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (g_pageLog) fclose(g_pageLog);
    return 0;
}

// ---- browser automation (framework/BrowserAutomation.h) --------------------

int Automation(int argc, wchar_t** argv, bool complete) {
    if (argc < (complete ? 5 : 4)) return 2;
    HWND h = HwndArg(argv[2]);
    std::vector<wchar_t> data(argv[3], argv[3] + wcslen(argv[3]));
    if (complete) {
        data.push_back(0);
        data.insert(data.end(), argv[4], argv[4] + wcslen(argv[4]));
    }
    data.push_back(0);
    COPYDATASTRUCT cds{complete ? kBrowserAutomationComplete : kBrowserAutomationNavigate,
                       DWORD(data.size() * sizeof(wchar_t)), data.data()};
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(h, WM_COPYDATA, 0, (LPARAM)&cds, SMTO_NORMAL, 20000, &result)) {
        Out(L"timeout");
        return 1;
    }
    Out(std::to_wstring((long long)result));
    return result ? 0 : 1;
}

// ---- a stand-in main window -------------------------------------------------
// Answers the page's WM_COPYDATA (TRUE, or FALSE with --refuse) and logs, one
// line each: "owner HWND" first, then "copydata DWDATA CBDATA TEXT" (TEXT read
// within CBDATA up to its first NUL), "register WPARAM LPARAM", "keydown" /
// "syskeydown" WPARAM LPARAM, "sc_close WPARAM LPARAM" (the window stays).
// Ends on WM_CLOSE.

FILE* g_ownerLog = nullptr;
bool g_ownerRefuses = false;

void OwnerLog(const std::wstring& line) {
    if (!g_ownerLog) return;
    fwprintf(g_ownerLog, L"%ls\n", line.c_str());
    fflush(g_ownerLog);
}

std::wstring Pair(const wchar_t* what, WPARAM w, LPARAM l) {
    return std::wstring(what) + L" " + std::to_wstring((unsigned long long)w) + L" " + std::to_wstring((long long)l);
}

LRESULT CALLBACK OwnerProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_COPYDATA: {
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(l);
        std::wstring text;
        if (cds && cds->lpData) {
            const auto* p = static_cast<const wchar_t*>(cds->lpData);
            for (DWORD i = 0; i < cds->cbData / sizeof(wchar_t) && p[i]; ++i) text += p[i];
        }
        OwnerLog(L"copydata " + std::to_wstring(cds ? (unsigned long long)cds->dwData : 0ULL) + L" " +
                 std::to_wstring(cds ? cds->cbData : 0UL) + L" " + text);
        return g_ownerRefuses ? FALSE : TRUE;
    }
    case WM_USER + 2: OwnerLog(Pair(L"register", w, l)); return 0;
    case WM_KEYDOWN: OwnerLog(Pair(L"keydown", w, l)); return 0;
    case WM_SYSKEYDOWN: OwnerLog(Pair(L"syskeydown", w, l)); return 0;
    case WM_SYSCOMMAND:
        if ((w & 0xFFF0) == SC_CLOSE) {
            OwnerLog(Pair(L"sc_close", w, l));
            return 0;
        }
        break;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(h, msg, w, l);
}

int RunOwner(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    for (int i = 3; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--log" && i + 1 < argc) g_ownerLog = _wfopen(argv[++i], L"w, ccs=UTF-8");
        else if (a == L"--refuse") g_ownerRefuses = true;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VexoProbeOwner";
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    ::RegisterClassW(&wc);
    HWND owner = ::CreateWindowExW(0, wc.lpszClassName, argv[2], WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                   900, 700, nullptr, nullptr, wc.hInstance, nullptr);
    if (!owner) return 1;
    OwnerLog(L"owner " + Hwnd(owner));
    Out(L"owner " + Hwnd(owner));
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (g_ownerLog) fclose(g_ownerLog);
    return 0;
}

// ---- a stand-in game client ---------------------------------------------------

int RecordClientStart() {
    wchar_t exe[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    if (!n || n >= MAX_PATH) return 2;
    std::wstring path(exe, n);
    std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    if (_wcsicmp(name.c_str(), L"probe.exe") == 0) return 2;  // the probe itself needs a command
    FILE* f = _wfopen((path + L".started").c_str(), L"a, ccs=UTF-8");
    if (!f) return 1;
    fwprintf(f, L"cmdline %ls\npriority %lu\n", ::GetCommandLineW(), (unsigned long)::GetPriorityClass(::GetCurrentProcess()));
    fclose(f);
    return 0;
}

// Another program's window of a given class (say, a browser's HTML dialog):
// DefWindowProc closes it on WM_CLOSE, and the process ends with it.
int RunWindow(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT msg, WPARAM w, LPARAM l) CALLBACK -> LRESULT {
        if (msg == WM_DESTROY) ::PostQuitMessage(0);
        return ::DefWindowProcW(h, msg, w, l);
    };
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = argv[2];
    if (!::RegisterClassW(&wc)) return 1;
    HWND h = ::CreateWindowExW(0, argv[2], argv[3], WS_POPUP | WS_CAPTION | WS_VISIBLE, 40, 40, 300, 200, nullptr,
                               nullptr, wc.hInstance, nullptr);
    if (!h) return 1;
    Out(Hwnd(h));
    MSG m;
    while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
    return 0;
}

// ---- popup menus ----------------------------------------------------------------
// Another process's menu cannot be read from here (its items live in that
// process), so the probe shows a menu of its own with the items a test
// expects: a test compares the two pictures and takes the item rectangles
// from the probe's menu, laid out by the same system code.

HMENU g_shownMenu = nullptr;
bool g_menuReported = false;

LRESULT CALLBACK MenuOwnerProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_ENTERIDLE && w == MSGF_MENU && !g_menuReported) {
        g_menuReported = true;
        HWND menuWnd = (HWND)l;
        RECT mr{};
        ::GetWindowRect(menuWnd, &mr);
        wchar_t buf[160];
        swprintf(buf, 160, L"{\"rect\":[%ld,%ld,%ld,%ld],\"items\":[", mr.left, mr.top, mr.right, mr.bottom);
        std::wstring out = buf;
        int n = ::GetMenuItemCount(g_shownMenu);
        for (int i = 0; i < n; ++i) {
            wchar_t text[256] = {};
            ::GetMenuStringW(g_shownMenu, i, text, 256, MF_BYPOSITION);
            RECT r{};
            ::GetMenuItemRect(h, g_shownMenu, i, &r);
            // Windows answers in screen coordinates; Wine relative to the menu window.
            if (!::PtInRect(&mr, POINT{r.left, r.top})) ::OffsetRect(&r, mr.left, mr.top);
            swprintf(buf, 160, L"\"rect\":[%ld,%ld,%ld,%ld]", r.left, r.top, r.right, r.bottom);
            if (i) out += L",";
            out += L"{\"text\":" + Json(text) + L"," + buf + L"}";
        }
        Out(out + L"]}");
    }
    if (msg == WM_TIMER) ::EndMenu();
    return ::DefWindowProcW(h, msg, w, l);
}

int ShowMenu(int argc, wchar_t** argv) {
    if (argc < 5) return 2;
    WNDCLASSW wc{};
    wc.lpfnWndProc = MenuOwnerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VexoProbeMenuOwner";
    ::RegisterClassW(&wc);
    HWND owner = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    g_shownMenu = ::CreatePopupMenu();
    for (int i = 4; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"-")
            ::AppendMenuW(g_shownMenu, MF_SEPARATOR, 0, nullptr);
        else
            ::AppendMenuW(g_shownMenu, MF_STRING, 100 + i, argv[i]);
    }
    ::SetForegroundWindow(owner);
    ::SetTimer(owner, 1, 20000, nullptr);  // never left open for good
    int chosen = ::TrackPopupMenu(g_shownMenu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, (int)wcstol(argv[2], nullptr, 0),
                                  (int)wcstol(argv[3], nullptr, 0), 0, owner, nullptr);
    ::DestroyMenu(g_shownMenu);
    ::DestroyWindow(owner);
    return chosen ? 0 : 1;
}

// ---- a foreign dialog --------------------------------------------------------------

FILE* g_dialogLog = nullptr;

INT_PTR CALLBACK ForeignDialogProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg >= WM_USER && msg < WM_USER + 100 && g_dialogLog) {
        fwprintf(g_dialogLog, L"user %u %llu %lld\n", msg - WM_USER, (unsigned long long)w, (long long)l);
        fflush(g_dialogLog);
    }
    if (msg == WM_CLOSE) {
        ::DestroyWindow(h);
        return TRUE;
    }
    if (msg == WM_DESTROY) ::PostQuitMessage(0);
    return msg == WM_INITDIALOG;
}

int RunDialog(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    for (int i = 3; i < argc; ++i)
        if (std::wstring(argv[i]) == L"--log" && i + 1 < argc) g_dialogLog = _wfopen(argv[++i], L"w, ccs=UTF-8");
    // An empty in-memory template: style, no controls, position and size.
    alignas(4) WORD tmpl[32] = {};
    auto* dt = reinterpret_cast<DLGTEMPLATE*>(tmpl);
    dt->style = WS_POPUP | WS_VISIBLE | WS_CAPTION;
    dt->cx = 100;
    dt->cy = 40;
    HWND dlg = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), dt, nullptr, ForeignDialogProc, 0);
    if (!dlg) return 1;
    ::SetWindowTextW(dlg, argv[2]);
    Out(L"dialog " + Hwnd(dlg));
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (g_dialogLog) fclose(g_dialogLog);
    return 0;
}

// A count the page answers on the automation channel (the answer is count + 1;
// 0 means it did not take the question): printed, or "none".
int AutomationCount(const wchar_t* hwnd, ULONG_PTR question) {
    COPYDATASTRUCT cds{question, 0, nullptr};
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(HwndArg(hwnd), WM_COPYDATA, 0, (LPARAM)&cds, SMTO_NORMAL, 20000, &result) ||
        result == 0) {
        Out(L"none");
        return 1;
    }
    Out(std::to_wstring((unsigned long long)(result - 1)));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return RecordClientStart();
    std::wstring cmd = argv[1];
    if (cmd == L"list") return List(argc, argv, false);
    if (cmd == L"find") return List(argc, argv, true);
    if (cmd == L"answers" && argc >= 4) {
        // How long a window takes to answer WM_NULL, in ms; "timeout" past the limit.
        const DWORD started = ::GetTickCount();
        DWORD_PTR result = 0;
        LRESULT ok = ::SendMessageTimeoutW(HwndArg(argv[2]), WM_NULL, 0, 0, SMTO_NORMAL, (UINT)Num(argv[3]), &result);
        Out(ok ? std::to_wstring(::GetTickCount() - started) : L"timeout");
        return 0;
    }
    if ((cmd == L"send" || cmd == L"post") && argc >= 6) {
        HWND h = HwndArg(argv[2]);
        UINT msg = (UINT)Num(argv[3]);
        WPARAM w = (WPARAM)Num(argv[4]);
        LPARAM l = (LPARAM)(LONG_PTR)wcstoll(argv[5], nullptr, 0);
        if (cmd == L"post") {
            Out(::PostMessageW(h, msg, w, l) ? L"1" : L"0");
        } else {
            DWORD_PTR result = 0;
            LRESULT ok = ::SendMessageTimeoutW(h, msg, w, l, SMTO_NORMAL, 60000, &result);
            Out(ok ? std::to_wstring((long long)result) : L"timeout");
        }
        return 0;
    }
    if (cmd == L"copydata" && argc >= 4) {
        HWND h = HwndArg(argv[2]);
        std::wstring text = argv[3];
        DWORD cb = DWORD((text.size() + 1) * sizeof(wchar_t));
        if (argc >= 6 && std::wstring(argv[4]) == L"--cb") cb = (DWORD)Num(argv[5]);
        std::vector<wchar_t> data(text.begin(), text.end());
        data.push_back(0);
        COPYDATASTRUCT cds{0, cb, data.data()};
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(h, WM_COPYDATA, 0, (LPARAM)&cds, SMTO_NORMAL, 20000, &result);
        Out(std::to_wstring((long long)result));
        return 0;
    }
    if (cmd == L"click" && argc >= 3) {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(HwndArg(argv[2]), BM_CLICK, 0, 0, SMTO_NORMAL, 2000, &result);
        return 0;
    }
    if (cmd == L"command" && argc >= 4) {
        ::PostMessageW(HwndArg(argv[2]), WM_COMMAND, MAKEWPARAM((UINT)Num(argv[3]), BN_CLICKED), 0);
        return 0;
    }
    if (cmd == L"lnk" && argc >= 3) {
        ::CoInitialize(nullptr);
        IShellLinkW* link = nullptr;
        IPersistFile* file = nullptr;
        std::wstring out = L"{\"exists\":false}";
        if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         (void**)&link)) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)) &&
            SUCCEEDED(file->Load(argv[2], STGM_READ))) {
            wchar_t target[MAX_PATH] = {}, args[MAX_PATH] = {}, icon[MAX_PATH] = {}, desc[MAX_PATH] = {};
            int index = -1;
            link->GetPath(target, MAX_PATH, nullptr, 0);
            link->GetArguments(args, MAX_PATH);
            link->GetIconLocation(icon, MAX_PATH, &index);
            link->GetDescription(desc, MAX_PATH);
            out = L"{\"exists\":true,\"target\":" + Json(target) + L",\"args\":" + Json(args) +
                  L",\"icon\":" + Json(icon) + L",\"index\":" + std::to_wstring(index) +
                  L",\"description\":" + Json(desc) + L"}";
        }
        if (file) file->Release();
        if (link) link->Release();
        Out(out);
        return 0;
    }
    if (cmd == L"move" && argc >= 7) {
        // From another process, as a user's resize would propose it.
        BOOL ok = ::SetWindowPos(HwndArg(argv[2]), nullptr, (int)wcstol(argv[3], nullptr, 0),
                                 (int)wcstol(argv[4], nullptr, 0), (int)wcstol(argv[5], nullptr, 0),
                                 (int)wcstol(argv[6], nullptr, 0), SWP_NOZORDER | SWP_NOACTIVATE);
        Out(ok ? L"1" : L"0");
        return 0;
    }
    if (cmd == L"text" && argc >= 3) {
        Out(Json(WindowText(HwndArg(argv[2]))));
        return 0;
    }
    if (cmd == L"settext" && argc >= 4) {
        DWORD_PTR result = 0;
        LRESULT ok = ::SendMessageTimeoutW(HwndArg(argv[2]), WM_SETTEXT, 0, (LPARAM)argv[3], SMTO_NORMAL, 20000, &result);
        Out(ok && result ? L"1" : L"0");
        return 0;
    }
    if (cmd == L"hold" && argc >= 4) {
        HANDLE file = ::CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Out(L"0");
            return 1;
        }
        Out(L"1");
        ::Sleep((DWORD)(Num(argv[3]) * 1000));
        ::CloseHandle(file);
        return 0;
    }
    if (cmd == L"reg") return Reg(argc, argv);
    if (cmd == L"page") return RunPage(argc, argv);
    if (cmd == L"navigate") return Automation(argc, argv, false);
    if (cmd == L"complete") return Automation(argc, argv, true);
    if (cmd == L"refreshes" && argc >= 3) return AutomationCount(argv[2], kBrowserAutomationRefreshes);
    if (cmd == L"muted" && argc >= 3) return AutomationCount(argv[2], kBrowserAutomationSpeakersMute);
    if (cmd == L"owner") return RunOwner(argc, argv);
    if (cmd == L"window") return RunWindow(argc, argv);
    if (cmd == L"showmenu") return ShowMenu(argc, argv);
    if (cmd == L"dialog") return RunDialog(argc, argv);
    if (cmd == L"kill" && argc >= 3) {
        HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, (DWORD)Num(argv[2]));
        UINT code = argc >= 4 ? (UINT)Num(argv[3]) : 1;
        BOOL ok = process && ::TerminateProcess(process, code);
        if (process) ::CloseHandle(process);
        Out(ok ? L"1" : L"0");
        return ok ? 0 : 1;
    }
    if (cmd == L"mark" && argc >= 4) {  // mark HWND NAME: sets the window property NAME to 1
        Out(::SetPropW(HwndArg(argv[2]), argv[3], reinterpret_cast<HANDLE>(1)) ? L"1" : L"0");
        return 0;
    }
    if (cmd == L"enable" && argc >= 4) {
        BOOL wasDisabled = ::EnableWindow(HwndArg(argv[2]), Num(argv[3]) ? TRUE : FALSE);
        Out(wasDisabled ? L"0" : L"1");
        return 0;
    }
    return 2;
}
