// The Windows parts of trusting an update: folders made new and given the
// administrators-only rule, results handed to the UI thread, the signal
// between the updating process and the new executable, and the key a file
// gives itself from its own version resource.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/ProtectedFolder.h"
#include "app/SelfUpdate.h"
#include "app/UpdateStart.h"
#include "app/VersionKey.h"
#include "framework/Handles.h"
#include "framework/UiPost.h"
#include "tests/win/Pump.h"

namespace {

std::wstring Temp() {
    wchar_t path[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, path);
    return path;
}

bool IsFolder(const std::wstring& path) {
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(ProtectedFolder, EachFolderIsMadeNewAndNoneIsReused) {
    const std::wstring parent = Temp();
    std::vector<std::wstring> made;
    for (int i = 0; i < 3; ++i) {
        const std::wstring folder = CreateFreshProtectedFolder(parent, L"VexoTest-");
        ASSERT_FALSE(folder.empty());
        EXPECT_TRUE(IsFolder(folder));
        for (const std::wstring& other : made) EXPECT_NE(folder, other);
        made.push_back(folder);
    }
    // Folders someone made under the names the next call would choose are
    // passed over, never used.
    std::vector<std::wstring> squatted;
    const DWORD now = ::GetTickCount();
    for (DWORD t = now; t < now + 4; ++t) {
        const std::wstring name = parent + L"VexoTest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(t);
        if (::CreateDirectoryW(name.c_str(), nullptr)) squatted.push_back(name);
    }
    const std::wstring fresh = CreateFreshProtectedFolder(parent, L"VexoTest-");
    ASSERT_FALSE(fresh.empty());
    for (const std::wstring& other : squatted) EXPECT_NE(fresh, other);
    for (const std::wstring& other : made) EXPECT_NE(fresh, other);
    EXPECT_TRUE(IsFolder(fresh));
    made.push_back(fresh);
    made.insert(made.end(), squatted.begin(), squatted.end());
    EXPECT_TRUE(ProtectFolder(made.front()));
    for (const std::wstring& folder : made) EXPECT_TRUE(::RemoveDirectoryW(folder.c_str())) << folder;
    EXPECT_FALSE(ProtectFolder(parent + L"VexoTest-no-such-folder"));
}

TEST(UiPoster, JobsFromAnyThreadRunOnTheUiThreadInOrderAndAreFreedWhenItIsGone) {
    fw::UiPoster poster;
    ASSERT_TRUE(poster.Create());
    const DWORD ui = ::GetCurrentThreadId();
    std::vector<int> ran;
    std::vector<DWORD> threads;
    std::thread worker([&] {
        for (int i = 0; i < 5; ++i)
            EXPECT_TRUE(fw::UiPoster::PostTo(poster.Target(), [&, i] {
                ran.push_back(i);
                threads.push_back(::GetCurrentThreadId());
            }));
    });
    worker.join();
    EXPECT_TRUE(ran.empty()) << "nothing runs on the posting thread";
    MSG msg;
    const DWORD until = ::GetTickCount() + 5000;
    while (ran.size() < 5 && ::GetTickCount() < until) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::Sleep(1);
    }
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4}));
    for (DWORD t : threads) EXPECT_EQ(t, ui);
    // Queued when the poster goes: freed, not run; afterwards nothing is taken.
    auto owned = std::make_shared<int>(7);
    bool late = false;
    EXPECT_TRUE(poster.Post([owned, &late] { late = true; }));
    poster.Destroy();
    EXPECT_EQ(owned.use_count(), 1);
    EXPECT_FALSE(poster.Post([owned, &late] { late = true; }));
    EXPECT_EQ(owned.use_count(), 1);
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    EXPECT_FALSE(late);
}

TEST(UiPoster, WorkRunsAsideAndWhatFollowsRunsOnTheUiThread) {
    fw::UiPoster poster;
    ASSERT_TRUE(poster.Create());
    const DWORD ui = ::GetCurrentThreadId();
    DWORD worked = 0, followed = 0;
    ASSERT_TRUE(fw::UiPoster::RunAside(
        poster.Target(), [&] { worked = ::GetCurrentThreadId(); }, [&] { followed = ::GetCurrentThreadId(); }));
    testing_pump::PumpUntil([&] { return followed != 0; }, 5000);
    EXPECT_EQ(followed, ui);
    EXPECT_NE(worked, 0u);
    EXPECT_NE(worked, ui);
}

TEST(UpdateSignal, TheNewProcessTellsTheEventItsEnvironmentNamesAndNoOther) {
    const std::wstring name = UpdateSignalName(::GetCurrentProcessId(), ::GetTickCount());
    fw::Handle signal(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    ASSERT_TRUE(signal);
    ::SetEnvironmentVariableW(kUpdateSignalVariable, name.c_str());
    TakeUpdateSignal();
    wchar_t left[8];
    EXPECT_EQ(::GetEnvironmentVariableW(kUpdateSignalVariable, left, 8), 0u) << "children do not inherit it";
    EXPECT_EQ(::WaitForSingleObject(signal.Get(), 0), DWORD(WAIT_TIMEOUT));
    ConfirmUpdatedStart();
    EXPECT_EQ(::WaitForSingleObject(signal.Get(), 0), DWORD(WAIT_OBJECT_0));
    // A name of another form (someone else's event) is never opened.
    fw::Handle foreign(::CreateEventW(nullptr, TRUE, FALSE, L"Local\\VexoTestForeignEvent"));
    ::SetEnvironmentVariableW(kUpdateSignalVariable, L"Local\\VexoTestForeignEvent");
    TakeUpdateSignal();
    ConfirmUpdatedStart();
    EXPECT_EQ(::WaitForSingleObject(foreign.Get(), 0), DWORD(WAIT_TIMEOUT));
}

TEST(VersionKey, AFileGivesItselfItsKeyFromItsOwnVersionResource) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring own;
    // The product beside it: its own version is this build's, so its own key
    // is the key the running product gives itself.
    std::wstring product2 = self;
    product2 = product2.substr(0, product2.rfind(L'\\') + 1) + L"VexoQuon.exe";
    std::wstring fromResource, fromBuild;
    ASSERT_TRUE(ComputeOwnVersionKey(product2, fromResource));
    ASSERT_TRUE(ComputeVersionKey(product2, fromBuild));
    EXPECT_EQ(fromResource, fromBuild);
    EXPECT_EQ(fromResource.substr(28), L"3011");
    // A file that is no program has none either.
    const std::wstring text = Temp() + L"vexo-no-program.exe";
    {
        fw::Handle f(::CreateFileW(text.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD n = 0;
        ::WriteFile(f.Get(), "not a program", 13, &n, nullptr);
    }
    EXPECT_FALSE(ComputeOwnVersionKey(text, own));
    ::DeleteFileW(text.c_str());
}

}  // namespace
