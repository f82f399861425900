// Crash dumps are written for real by DbgHelp under Wine (slowly).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/Environment.h"
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

}  // namespace
