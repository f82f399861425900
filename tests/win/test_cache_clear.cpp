// DeleteTree on real files: nested folders, read-only files, a file in use,
// a name too long for the path limit, and what the result and last error say.
// (Links cannot be made by a Windows program under Wine; the end-to-end test
// puts one in place from outside.)
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/Handles.h"
#include "mainwnd/CacheClear.h"

namespace {

class DeleteTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        m_root = std::wstring(temp) + L"vexo-deltree-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::wstring(test.begin(), test.end());
        ASSERT_TRUE(::CreateDirectoryW(m_root.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override {
        // Whatever a failing test left (long names through the \\?\ form).
        ::SetFileAttributesW((L"\\\\?\\" + m_root).c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveAll(L"\\\\?\\" + m_root);
    }
    static void RemoveAll(const std::wstring& path) {
        WIN32_FIND_DATAW data;
        HANDLE h = ::FindFirstFileW((path + L"\\*").c_str(), &data);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring child = path + L"\\" + name;
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveAll(child);
                else ::DeleteFileW(child.c_str());
            } while (::FindNextFileW(h, &data));
            ::FindClose(h);
        }
        ::RemoveDirectoryW(path.c_str());
    }
    std::wstring P(const std::wstring& rel) const { return m_root + L"\\" + rel; }
    void Dir(const std::wstring& rel) const { ASSERT_TRUE(::CreateDirectoryW(P(rel).c_str(), nullptr)); }
    void File(const std::wstring& rel, DWORD attributes = FILE_ATTRIBUTE_NORMAL) const {
        fw::Handle f(::CreateFileW(P(rel).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
        ASSERT_TRUE(f) << ::GetLastError();
        DWORD written = 0;
        ::WriteFile(f.Get(), "sol", 3, &written, nullptr);
    }
    bool Exists(const std::wstring& rel) const { return ::GetFileAttributesW(P(rel).c_str()) != INVALID_FILE_ATTRIBUTES; }
    fw::Handle Hold(const std::wstring& rel) const {
        // Open as a running program keeps a file: no delete sharing.
        return fw::Handle(::CreateFileW(P(rel).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    }

    std::wstring m_root;
};

TEST_F(DeleteTreeTest, EmptyOrMissingPathGivesFalse) {
    EXPECT_FALSE(DeleteTree(L""));
    EXPECT_FALSE(DeleteTree(nullptr));
    EXPECT_FALSE(DeleteTree(P(L"missing").c_str()));
}

TEST_F(DeleteTreeTest, NestedFoldersAndReadOnlyFilesAllGo) {
    Dir(L"ABC");
    Dir(L"ABC\\localhost");
    Dir(L"ABC\\localhost\\game");
    Dir(L"empty");
    File(L"ABC\\localhost\\game\\settings.sol");
    File(L"ABC\\localhost\\readonly.sol", FILE_ATTRIBUTE_READONLY);
    File(L"top.sol", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(::GetFileAttributesW(P(L"top.sol").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(DeleteTree(m_root.c_str()));
    EXPECT_EQ(::GetFileAttributesW(m_root.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DeleteTreeTest, TrailingBackslashIsTheSameFolder) {
    File(L"a.sol");
    EXPECT_TRUE(DeleteTree((m_root + L"\\").c_str()));
    EXPECT_EQ(::GetFileAttributesW(m_root.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DeleteTreeTest, AFileInUseStaysWithItsFoldersAndTheRestGoes) {
    Dir(L"keep");
    Dir(L"keep\\deeper");
    Dir(L"gone");
    File(L"keep\\deeper\\held.sol");
    File(L"keep\\deeper\\other.sol");
    File(L"keep\\sibling.sol");
    File(L"gone\\x.sol");
    File(L"top.sol");
    fw::Handle held = Hold(L"keep\\deeper\\held.sol");
    ASSERT_TRUE(held);

    ::SetLastError(0);
    EXPECT_FALSE(DeleteTree(m_root.c_str()));
    // No file failed at this level: the error is the folder's own.
    EXPECT_EQ(::GetLastError(), (DWORD)ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(Exists(L"keep\\deeper\\held.sol"));
    EXPECT_FALSE(Exists(L"keep\\deeper\\other.sol"));
    EXPECT_FALSE(Exists(L"keep\\sibling.sol"));
    EXPECT_FALSE(Exists(L"gone"));
    EXPECT_FALSE(Exists(L"top.sol"));

    // Once the file is free the next clearing finishes the job.
    held.Reset();
    EXPECT_TRUE(DeleteTree(m_root.c_str()));
}

TEST_F(DeleteTreeTest, AFailedFileDeleteIsTheLastError) {
    File(L"held.sol");
    File(L"other.sol", FILE_ATTRIBUTE_READONLY);
    fw::Handle held = Hold(L"held.sol");
    ASSERT_TRUE(held);
    ::SetLastError(0);
    EXPECT_FALSE(DeleteTree(m_root.c_str()));
    EXPECT_EQ(::GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(Exists(L"held.sol"));
    EXPECT_FALSE(Exists(L"other.sol"));
}

TEST_F(DeleteTreeTest, ANameTooLongForThePathLimitIsSkipped) {
    // The full path of this name is over 259 characters; only the long form can make it.
    const std::wstring name = std::wstring(259 - m_root.size(), L'n') + L".sol";
    const std::wstring longPath = L"\\\\?\\" + m_root + L"\\" + name;
    {
        fw::Handle f(::CreateFileW(longPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(f) << ::GetLastError();
    }
    File(L"short.sol");
    EXPECT_FALSE(DeleteTree(m_root.c_str()));
    EXPECT_FALSE(Exists(L"short.sol"));
    EXPECT_NE(::GetFileAttributesW(longPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DeleteTreeTest, TwoAtOnceDoNoHarm) {
    for (int i = 0; i < 20; ++i) {
        Dir(L"d" + std::to_wstring(i));
        for (int j = 0; j < 10; ++j) File(L"d" + std::to_wstring(i) + L"\\f" + std::to_wstring(j) + L".sol");
    }
    struct Run {
        std::wstring path;
        bool result = false;
    } a{m_root}, b{m_root};
    auto proc = [](LPVOID p) WINAPI -> DWORD {
        auto* run = static_cast<Run*>(p);
        run->result = DeleteTree(run->path.c_str());
        return 0;
    };
    fw::Handle ta(::CreateThread(nullptr, 0, proc, &a, 0, nullptr));
    fw::Handle tb(::CreateThread(nullptr, 0, proc, &b, 0, nullptr));
    ASSERT_TRUE(ta && tb);
    ::WaitForSingleObject(ta.Get(), 30000);
    ::WaitForSingleObject(tb.Get(), 30000);
    // Each may report the other's deletions as failures; together they clear it all.
    EXPECT_EQ(::GetFileAttributesW(m_root.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
