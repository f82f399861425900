// Crash dumps that survive what crashes. Everything a dump needs is made ready
// at start-up (the path, DbgHelp, a thread waiting to write), so that the
// unhandled-exception filter only records the exception and wakes that thread:
// a crash inside the heap, the loader or patched audio code still gives a dump
// whose crashing thread's stack is intact. abort() and std::terminate take the
// same road. One dump per process.
#pragma once

#include <windows.h>

// The first start-up step: prepares the dump beside the executable (module
// path with ".dmp" for its extension) and installs CrashFilter and the abort
// and terminate handlers. Without an extension in the module path no dump is
// ever written.
void PrepareCrashDumps();

// The process's unhandled-exception filter. The first crash is dumped (by the
// dump thread when prepared, else on the crashing thread) and the default
// handling follows (EXCEPTION_CONTINUE_SEARCH); any later or nested crash ends
// the process at once (EXCEPTION_EXECUTE_HANDLER) without a second dump.
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* info);

// Writes a dump of this process into `file`, with the calling thread as the
// crashing one; without exception information the dump records the caller's
// own context as a breakpoint.
void WriteCrashDump(HANDLE file, EXCEPTION_POINTERS* info);
