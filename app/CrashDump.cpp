#include "app/CrashDump.h"

#include <dbghelp.h>

#include <csignal>
#include <cstdlib>
#include <exception>

namespace {

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

// The richest dump first; older DbgHelp versions refuse some of the flags.
const MINIDUMP_TYPE kDumpTypes[] = {(MINIDUMP_TYPE)0x1A25, (MINIDUMP_TYPE)0x225, (MINIDUMP_TYPE)0};

// How long a crashing thread waits for its dump (DbgHelp under Wine needs
// seconds for the richest type).
constexpr DWORD kDumpWaitMs = 120000;

// What abort() and std::terminate record: the code the C runtime uses for a
// fatal exit.
constexpr DWORD kFatalAppExit = 0x40000015;

// Prepared at start-up, read by the filter and the dump thread. Plain data:
// nothing here allocates once a crash has begun.
wchar_t g_dumpPath[MAX_PATH + 8] = {};
HMODULE g_dbghelp = nullptr;
MiniDumpWriteDumpFn g_writeDump = nullptr;
HANDLE g_request = nullptr;  // auto-reset: a crash asks for its dump
HANDLE g_done = nullptr;     // manual-reset: the dump is written
HANDLE g_dumpThread = nullptr;
DWORD g_dumpThreadId = 0;
EXCEPTION_POINTERS* volatile g_crashInfo = nullptr;
volatile DWORD g_crashThread = 0;
volatile LONG g_crashing = 0;

void Log(const wchar_t* text) { ::OutputDebugStringW(text); }

bool BuildDumpPath(wchar_t* out, DWORD capacity) {
    wchar_t module[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    int dot = -1;
    for (DWORD i = 0; i < n; ++i) {
        if (module[i] == L'.') dot = int(i);
        if (module[i] == L'\\') dot = -1;  // a dot in a folder name is no extension
    }
    if (dot < 0 || DWORD(dot) + 5 > capacity) return false;
    ::lstrcpynW(out, module, dot + 1);
    ::lstrcatW(out, L".dmp");
    return true;
}

void WriteWith(MiniDumpWriteDumpFn write, HANDLE file, EXCEPTION_POINTERS* info, DWORD threadId) {
    if (!write || file == INVALID_HANDLE_VALUE) return;
    MINIDUMP_EXCEPTION_INFORMATION exception{};
    exception.ThreadId = threadId;
    exception.ExceptionPointers = info;
    exception.ClientPointers = TRUE;
    for (MINIDUMP_TYPE type : kDumpTypes)
        if (write(::GetCurrentProcess(), ::GetCurrentProcessId(), file, type, &exception, nullptr, nullptr)) return;
    Log(L"VexoQuon: no dump type could be written");
}

void WriteDumpFile(const wchar_t* path, MiniDumpWriteDumpFn write, EXCEPTION_POINTERS* info, DWORD threadId) {
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Log(L"VexoQuon: the crash dump file cannot be created");
    WriteWith(write, file, info, threadId);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
}

DWORD WINAPI DumpThread(LPVOID) {
    ::WaitForSingleObject(g_request, INFINITE);
    WriteDumpFile(g_dumpPath, g_writeDump, g_crashInfo, g_crashThread);
    ::SetEvent(g_done);
    return 0;
}

// This very spot as an exception of `code`: the caller's own context.
// Inlined, so that the context describes the caller's frame, still alive.
__attribute__((always_inline)) inline void CaptureHere(DWORD code, CONTEXT& context, EXCEPTION_RECORD& record) {
    ::RtlCaptureContext(&context);
    record = EXCEPTION_RECORD{};
    record.ExceptionCode = code;
#ifdef _M_X64
    record.ExceptionAddress = reinterpret_cast<PVOID>(context.Rip);
#else
    record.ExceptionAddress = reinterpret_cast<PVOID>(context.Eip);
#endif
}

// abort() and std::terminate: this spot, as an exception, through the filter.
[[noreturn]] void CrashHere() {
    CONTEXT context{};
    EXCEPTION_RECORD record;
    CaptureHere(kFatalAppExit, context, record);
    EXCEPTION_POINTERS here{&record, &context};
    CrashFilter(&here);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    for (;;) ::Sleep(INFINITE);
}

void OnAbortSignal(int) { CrashHere(); }
void OnTerminate() { CrashHere(); }

}  // namespace

void PrepareCrashDumps() {
    ::SetUnhandledExceptionFilter(CrashFilter);
    std::signal(SIGABRT, OnAbortSignal);
    std::set_terminate(OnTerminate);
    if (g_dumpThread) return;
    if (!BuildDumpPath(g_dumpPath, MAX_PATH)) {
        Log(L"VexoQuon: the module path has no extension, so no crash dump is written");
        return;
    }
    g_dbghelp = ::LoadLibraryW(L"DbgHelp.dll");
    if (g_dbghelp) g_writeDump = reinterpret_cast<MiniDumpWriteDumpFn>(::GetProcAddress(g_dbghelp, "MiniDumpWriteDump"));
    if (!g_writeDump) {
        Log(L"VexoQuon: DbgHelp's MiniDumpWriteDump is missing, so no crash dump is written");
        return;
    }
    g_request = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    g_done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (g_request && g_done) g_dumpThread = ::CreateThread(nullptr, 64 * 1024, DumpThread, nullptr, 0, &g_dumpThreadId);
    if (!g_dumpThread) Log(L"VexoQuon: the dump thread did not start; a crash is dumped on its own thread");
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* info) {
    // One dump per process: a crash while one is handled (another thread, or
    // the dump itself) ends the process at once.
    if (::InterlockedExchange(&g_crashing, 1) != 0) {
        // Let the dump in progress finish first, unless this is the dump
        // thread itself, which nobody else would finish for.
        if (g_done && ::GetCurrentThreadId() != g_dumpThreadId) ::WaitForSingleObject(g_done, kDumpWaitMs);
        return EXCEPTION_EXECUTE_HANDLER;
    }
    if (g_dumpThread) {
        g_crashInfo = info;
        g_crashThread = ::GetCurrentThreadId();
        ::SetEvent(g_request);
        if (::WaitForSingleObject(g_done, kDumpWaitMs) != WAIT_OBJECT_0) Log(L"VexoQuon: the crash dump took too long");
        return EXCEPTION_CONTINUE_SEARCH;
    }
    // Not prepared (a test, or preparation failed): do it all here.
    wchar_t path[MAX_PATH + 8] = {};
    if (!BuildDumpPath(path, MAX_PATH)) return EXCEPTION_CONTINUE_SEARCH;
    HMODULE dbghelp = g_dbghelp ? g_dbghelp : ::LoadLibraryW(L"DbgHelp.dll");
    auto write = dbghelp ? reinterpret_cast<MiniDumpWriteDumpFn>(::GetProcAddress(dbghelp, "MiniDumpWriteDump"))
                         : nullptr;
    WriteDumpFile(path, write, info, ::GetCurrentThreadId());
    if (g_done) ::SetEvent(g_done);
    return EXCEPTION_CONTINUE_SEARCH;
}

void WriteCrashDump(HANDLE file, EXCEPTION_POINTERS* info) {
    HMODULE dbghelp = ::LoadLibraryW(L"DbgHelp.dll");
    if (!dbghelp) return;
    auto write = reinterpret_cast<MiniDumpWriteDumpFn>(::GetProcAddress(dbghelp, "MiniDumpWriteDump"));
    if (info) {
        WriteWith(write, file, info, ::GetCurrentThreadId());
    } else {
        // No exception at hand: describe this very spot as a breakpoint.
        CONTEXT context{};
        EXCEPTION_RECORD record;
        CaptureHere(EXCEPTION_BREAKPOINT, context, record);
        EXCEPTION_POINTERS here{&record, &context};
        WriteWith(write, file, &here, ::GetCurrentThreadId());
    }
    ::FreeLibrary(dbghelp);
}
