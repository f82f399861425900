// Run-time lookups for the few functions newer than XP that the compiler's own
// libraries import. XP's loader refuses an executable for a single missing
// import, and the threads library under libstdc++ (its timed waits) imports
// GetTickCount64, which XP lacks: this file defines that import's pointer, so
// the linker takes it instead of KERNEL32's, and the pointer leads to a
// function that uses the real one where it exists.
//
// Linked as an object of the 32-bit executable itself (an archive member would
// come too late to win over the import library).
#include <windows.h>

namespace {

using TickCount64Fn = ULONGLONG(WINAPI*)();

// Looked up on first use; threads that race here find the same answer. No
// function-local static: its guard would wait through the very threads
// library that calls this.
TickCount64Fn g_real = nullptr;
volatile LONG g_looked = 0, g_last = 0, g_wraps = 0;

ULONGLONG WINAPI TickCount64() {
    if (!g_looked) {
        g_real = reinterpret_cast<TickCount64Fn>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
        ::InterlockedExchange(&g_looked, 1);
    }
    if (g_real) return g_real();
    // XP: the 32-bit count, widened by counting its wraps (every 49.7 days).
    LONG now = static_cast<LONG>(::GetTickCount());
    LONG before = ::InterlockedExchange(&g_last, now);
    if (static_cast<DWORD>(now) < static_cast<DWORD>(before)) ::InterlockedIncrement(&g_wraps);
    return (static_cast<ULONGLONG>(static_cast<DWORD>(g_wraps)) << 32) | static_cast<DWORD>(now);
}

}  // namespace

// The import pointer's own name: "__imp__" + the stdcall-decorated name.
extern "C" {
ULONGLONG(WINAPI* vexo_imp_GetTickCount64)() __asm__("__imp__GetTickCount64@0") = TickCount64;
}
