// crash_probe.exe MODE: prepares crash dumps as the launcher does at start-up,
// writes the ids of the threads about to crash into <exe>.threads, and
// crashes: "ui" on the main thread, "worker" on a worker thread, "nested" on a
// worker and, while that crash is being dumped, on the main thread too,
// "abort" through abort(), "terminate" through std::terminate.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "app/CrashDump.h"

namespace {

std::wstring g_threads;

void RecordThread(DWORD id) {
    std::wstring exe(MAX_PATH, L'\0');
    exe.resize(::GetModuleFileNameW(nullptr, &exe[0], MAX_PATH));
    g_threads += std::to_wstring(id) + L"\n";
    if (FILE* f = _wfopen((exe.substr(0, exe.rfind(L'.')) + L".threads").c_str(), L"w")) {
        std::fputws(g_threads.c_str(), f);
        std::fclose(f);
    }
}

void Crash() { *static_cast<volatile int*>(nullptr) = 1; }

HANDLE g_workerReady = nullptr;

DWORD WINAPI Worker(LPVOID) {
    ::SetEvent(g_workerReady);
    Crash();
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    PrepareCrashDumps();
    const std::wstring mode = argv[1];
    if (mode == L"ui" || mode == L"abort" || mode == L"terminate") {
        RecordThread(::GetCurrentThreadId());
        if (mode == L"abort") std::abort();
        if (mode == L"terminate") std::terminate();
        Crash();
    } else if (mode == L"worker" || mode == L"nested") {
        g_workerReady = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        DWORD id = 0;
        HANDLE thread = ::CreateThread(nullptr, 0, Worker, nullptr, CREATE_SUSPENDED, &id);
        RecordThread(id);
        if (mode == L"nested") RecordThread(::GetCurrentThreadId());
        ::ResumeThread(thread);
        ::WaitForSingleObject(g_workerReady, INFINITE);
        if (mode == L"nested") {
            ::Sleep(50);  // the worker's crash is being dumped by now
            Crash();
        }
        ::WaitForSingleObject(thread, INFINITE);
    }
    return 0;  // reached only when nothing crashed
}
