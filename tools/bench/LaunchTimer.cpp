// launch_timer.exe first|layered EXE [ARGS...]: starts EXE and prints the
// milliseconds until its first visible top-level window ("first") or until a
// visible layered top-level window of another process appears ("layered": the
// launcher's login background, shown by the page process it starts). Measured
// inside Wine so that no host-side polling adds to the figure. Ends the started
// process afterwards; prints -1 after 30 s without the window.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

struct Search {
    DWORD pid;
    bool layered;
    const std::set<HWND>* before;
    bool found = false;
};

BOOL CALLBACK Look(HWND h, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    if (!::IsWindowVisible(h) || s->before->count(h)) return TRUE;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    if (s->layered) {
        if (pid != s->pid && pid != ::GetCurrentProcessId() && (::GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_LAYERED))
            s->found = true;
    } else if (pid == s->pid) {
        s->found = true;
    }
    return s->found ? FALSE : TRUE;
}

BOOL CALLBACK Collect(HWND h, LPARAM p) {
    reinterpret_cast<std::set<HWND>*>(p)->insert(h);
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    bool layered = std::wstring(argv[1]) == L"layered";
    std::wstring command = L"\"" + std::wstring(argv[2]) + L"\"";
    for (int i = 3; i < argc; ++i) command += std::wstring(L" ") + argv[i];
    std::set<HWND> before;
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&before));
    LARGE_INTEGER freq, t0, t1;
    ::QueryPerformanceFrequency(&freq);
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    ::QueryPerformanceCounter(&t0);
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 3;
    double ms = -1;
    for (;;) {
        Search s{pi.dwProcessId, layered, &before};
        ::EnumWindows(Look, reinterpret_cast<LPARAM>(&s));
        ::QueryPerformanceCounter(&t1);
        double elapsed = double(t1.QuadPart - t0.QuadPart) * 1000.0 / double(freq.QuadPart);
        if (s.found) { ms = elapsed; break; }
        if (elapsed > 30000) break;
        ::Sleep(1);
    }
    std::printf("%.1f\n", ms);
    std::fflush(stdout);
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 5000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return 0;
}
