// Crash dumps are written for real by DbgHelp under Wine (slowly).
#include <gtest/gtest.h>
#include <windows.h>

#include <dbghelp.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/CrashDump.h"
#include "app/Paths.h"

namespace {

std::string ReadHead(const std::wstring& path) {
    std::string head(4, '\0');
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return "";
    size_t n = fread(&head[0], 1, 4, f);
    fclose(f);
    head.resize(n);
    return head;
}

TEST(CrashDump, TheFirstCrashWritesOneDumpBesideTheExecutable) {
    std::wstring exe = ExePath();
    std::wstring dump = exe.substr(0, exe.rfind(L'.')) + L".dmp";
    ::DeleteFileW(dump.c_str());

    CONTEXT context{};
    ::RtlCaptureContext(&context);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    EXCEPTION_POINTERS info{&record, &context};
    EXPECT_EQ(CrashFilter(&info), EXCEPTION_CONTINUE_SEARCH);
    EXPECT_EQ(ReadHead(dump), "MDMP");

    // A second crash of the same process ends it without another dump.
    ::DeleteFileW(dump.c_str());
    EXPECT_EQ(CrashFilter(&info), EXCEPTION_EXECUTE_HANDLER);
    EXPECT_EQ(::GetFileAttributesW(dump.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(CrashDump, WithoutExceptionInformationTheCallerIsDumped) {
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    ::GetTempFileNameW(dir, L"dmp", 0, path);
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    WriteCrashDump(file, nullptr);
    ::CloseHandle(file);
    EXPECT_EQ(ReadHead(path), "MDMP");
    ::DeleteFileW(path);
}

// ---- crash_probe.exe: real crashes in a process of their own ----------------

using ReadStreamFn = BOOL(WINAPI*)(PVOID, ULONG, PMINIDUMP_DIRECTORY*, PVOID*, ULONG*);

struct DumpFacts {
    bool readable = false;
    DWORD threadId = 0;
    DWORD code = 0;
};

// What DbgHelp itself reads back from the dump's exception stream.
DumpFacts ReadDump(const std::wstring& path) {
    DumpFacts facts;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return facts;
    HANDLE mapping = ::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    void* view = mapping ? ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    HMODULE dbghelp = ::LoadLibraryW(L"DbgHelp.dll");
    auto read = reinterpret_cast<ReadStreamFn>(::GetProcAddress(dbghelp, "MiniDumpReadDumpStream"));
    PMINIDUMP_DIRECTORY dir = nullptr;
    void* stream = nullptr;
    ULONG size = 0;
    if (view && read && read(view, ExceptionStream, &dir, &stream, &size) && size >= sizeof(MINIDUMP_EXCEPTION_STREAM)) {
        auto* exception = static_cast<MINIDUMP_EXCEPTION_STREAM*>(stream);
        facts.readable = true;
        facts.threadId = exception->ThreadId;
        facts.code = exception->ExceptionRecord.ExceptionCode;
    }
    if (view) ::UnmapViewOfFile(view);
    if (mapping) ::CloseHandle(mapping);
    ::CloseHandle(file);
    ::FreeLibrary(dbghelp);
    return facts;
}

std::set<DWORD> ReadThreads(const std::wstring& path) {
    std::set<DWORD> ids;
    std::ifstream in(path.c_str());
    for (DWORD id; in >> id;) ids.insert(id);
    return ids;
}

TEST(CrashDump, RealCrashesEachLeaveOneReadableDumpAndEndTheProcess) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    dir.resize(dir.rfind(L'\\') + 1);
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const wchar_t* modes[] = {L"ui", L"worker", L"nested", L"abort", L"terminate"};
    struct Run { std::wstring mode, exe, base; HANDLE process = nullptr; };
    std::vector<Run> runs;
    // Every mode at once, each as its own copy so that each has its own dump.
    for (const wchar_t* mode : modes) {
        Run run{mode, std::wstring(temp) + L"crash_" + mode + L".exe"};
        run.base = run.exe.substr(0, run.exe.size() - 4);
        ASSERT_TRUE(::CopyFileW((dir + L"crash_probe.exe").c_str(), run.exe.c_str(), FALSE));
        ::DeleteFileW((run.base + L".dmp").c_str());
        std::wstring command = L"\"" + run.exe + L"\" " + mode;
        STARTUPINFOW si{sizeof si};
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(::CreateProcessW(run.exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, temp, &si, &pi));
        ::CloseHandle(pi.hThread);
        run.process = pi.hProcess;
        runs.push_back(run);
    }
    for (Run& run : runs) {
        SCOPED_TRACE(std::string(run.mode.begin(), run.mode.end()));
        ASSERT_EQ(::WaitForSingleObject(run.process, 180000), WAIT_OBJECT_0) << "the crashed process ends";
        DWORD exitCode = 0;
        ::GetExitCodeProcess(run.process, &exitCode);
        ::CloseHandle(run.process);
        EXPECT_NE(exitCode, 0u);
        DumpFacts dump = ReadDump(run.base + L".dmp");
        ASSERT_TRUE(dump.readable);
        std::set<DWORD> threads = ReadThreads(run.base + L".threads");
        EXPECT_EQ(threads.count(dump.threadId), 1u) << "the dump names a crashing thread, not the dump thread";
        if (run.mode == L"abort" || run.mode == L"terminate")
            EXPECT_EQ(dump.code, 0x40000015u);
        else
            EXPECT_EQ(dump.code, (DWORD)EXCEPTION_ACCESS_VIOLATION);
        ::DeleteFileW(run.exe.c_str());
        ::DeleteFileW((run.base + L".dmp").c_str());
        ::DeleteFileW((run.base + L".threads").c_str());
    }
}

}  // namespace
