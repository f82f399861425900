// The page process's sound switch: the mixer mute controls (the Windows
// version these tests run as says "per-program volume"), redirection of
// function entries, and both paths in mute_probe.exe, a process of its own
// that Wine can be told to run as Windows XP.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "browser/EntryPatch.h"
#include "browser/ProcessMute.h"
#include "browser/SoundInterception.h"
#include "framework/Handles.h"

namespace {

TEST(ProcessMuteMixer, BothLinesTakeTheMuteAndTheSpeakersReadItBack) {
    for (int on : {1, 0, 1, 0}) {
        EXPECT_TRUE(MuteMixerLine(kMixerLineWaveOut, on));
        EXPECT_TRUE(MuteMixerLine(kMixerLineSpeakers, on));
        // Wine answers for the wave line's mute without reporting its value,
        // so only the speakers line can be read back here.
        EXPECT_EQ(ReadMixerLineMute(kMixerLineSpeakers), on);
    }
}

TEST(ProcessMuteMixer, ALineTheMixerDoesNotHaveIsAFailure) {
    const DWORD telephone = 6;  // MIXERLINE_COMPONENTTYPE_DST_TELEPHONE
    EXPECT_FALSE(MuteMixerLine(telephone, 1));
    EXPECT_EQ(ReadMixerLineMute(telephone), -1);
}

TEST(ProcessMute, ANewerWindowsMutesThroughTheMixerAndPatchesNothing) {
    auto* entry = reinterpret_cast<const unsigned char*>(
        ::GetProcAddress(::LoadLibraryW(L"winmm.dll"), "waveOutWrite"));
    ASSERT_NE(entry, nullptr);
    unsigned char before[8];
    std::memcpy(before, entry, sizeof before);
    SetProcessMute(1);
    EXPECT_EQ(ReadMixerLineMute(kMixerLineSpeakers), 1);
    SetProcessMute(0);
    EXPECT_EQ(ReadMixerLineMute(kMixerLineSpeakers), 0);
    EXPECT_EQ(LastProcessMuteRequest(), 0);
    EXPECT_FALSE(SoundInterceptionInstalled());
    EXPECT_EQ(std::memcmp(before, entry, sizeof before), 0);
}

#if defined(__i386__)
// Functions whose entries have the shapes met in practice: Windows XP's
// (mov edi,edi; push ebp; mov ebp,esp), Wine's stack realignment, and one
// with a relative jump among its first five bytes, which cannot move.
extern "C" int __cdecl vq_xp_shaped(int);
extern "C" int __cdecl vq_wine_shaped(int);
extern "C" int __cdecl vq_relative_shaped(int);
asm(R"(
    .text
    .p2align 4
    .globl _vq_xp_shaped
_vq_xp_shaped:
    .byte 0x8B, 0xFF, 0x55, 0x8B, 0xEC  # mov edi,edi; push ebp; mov ebp,esp
    mov 8(%ebp), %eax
    add $1, %eax
    pop %ebp
    ret
    .p2align 4
    .globl _vq_wine_shaped
_vq_wine_shaped:
    lea 4(%esp), %ecx
    and $-16, %esp
    pushl -4(%ecx)
    push %ebp
    mov %esp, %ebp
    push %ecx
    mov (%ecx), %eax
    add $2, %eax
    pop %ecx
    pop %ebp
    lea -4(%ecx), %esp
    ret
    .p2align 4
    .globl _vq_relative_shaped
_vq_relative_shaped:
    mov 4(%esp), %eax
    jmp 1f
1:  add $3, %eax
    ret
)");

using IntFn = int(__cdecl*)(int);
void* g_realXp = nullptr;
void* g_realWine = nullptr;
void* g_realRelative = nullptr;
int __cdecl TimesTenXp(int x) { return reinterpret_cast<IntFn>(g_realXp)(x) * 10; }
int __cdecl TimesTenWine(int x) { return reinterpret_cast<IntFn>(g_realWine)(x) * 10; }
int __cdecl TimesTenRelative(int x) { return reinterpret_cast<IntFn>(g_realRelative)(x) * 10; }

std::vector<unsigned char> Bytes(IntFn f, std::size_t n) {
    auto* p = reinterpret_cast<const unsigned char*>(f);
    return std::vector<unsigned char>(p, p + n);
}

TEST(EntryPatch, RedirectsEveryCallerThenRestoresTheEntry) {
    ASSERT_EQ(Bytes(vq_xp_shaped, 5), (std::vector<unsigned char>{0x8B, 0xFF, 0x55, 0x8B, 0xEC}));
    ASSERT_EQ(Bytes(vq_wine_shaped, 10),
              (std::vector<unsigned char>{0x8D, 0x4C, 0x24, 0x04, 0x83, 0xE4, 0xF0, 0xFF, 0x71, 0xFC}));
    const auto xpBefore = Bytes(vq_xp_shaped, 16), wineBefore = Bytes(vq_wine_shaped, 16);
    g_realXp = reinterpret_cast<void*>(&vq_xp_shaped);
    g_realWine = reinterpret_cast<void*>(&vq_wine_shaped);
    {
        EntryPatchTransaction t;
        ASSERT_TRUE(t.Attach(&g_realXp, reinterpret_cast<void*>(&TimesTenXp), L"xp"));
        ASSERT_TRUE(t.Attach(&g_realWine, reinterpret_cast<void*>(&TimesTenWine), L"wine"));
        EXPECT_EQ(vq_xp_shaped(1), 2) << "nothing changes before the commit";
        ASSERT_TRUE(t.Commit());
        EXPECT_FALSE(t.Commit()) << "once only";
    }
    EXPECT_NE(g_realXp, reinterpret_cast<void*>(&vq_xp_shaped)) << "the original is called through a trampoline";
    // Direct calls to the symbols, not through any table: the entries themselves jump.
    EXPECT_EQ(vq_xp_shaped(1), 20);
    EXPECT_EQ(vq_wine_shaped(1), 30);
    EXPECT_EQ(Bytes(vq_xp_shaped, 1)[0], 0xE9);
    {
        EntryPatchTransaction again;
        void* entry = reinterpret_cast<void*>(&vq_xp_shaped);
        EXPECT_FALSE(again.Attach(&entry, reinterpret_cast<void*>(&TimesTenXp), L"xp again"));
    }
    {
        EntryPatchTransaction t;
        ASSERT_TRUE(t.Detach(&g_realXp, L"xp"));
        ASSERT_TRUE(t.Detach(&g_realWine, L"wine"));
        ASSERT_TRUE(t.Commit());
    }
    EXPECT_EQ(g_realXp, reinterpret_cast<void*>(&vq_xp_shaped));
    EXPECT_EQ(vq_xp_shaped(1), 2);
    EXPECT_EQ(vq_wine_shaped(1), 3);
    EXPECT_EQ(Bytes(vq_xp_shaped, 16), xpBefore);
    EXPECT_EQ(Bytes(vq_wine_shaped, 16), wineBefore);
    EntryPatchTransaction none;
    void* notPatched = reinterpret_cast<void*>(&vq_xp_shaped);
    EXPECT_FALSE(none.Detach(&notPatched, L"xp"));
}

TEST(EntryPatch, OneEntryThatCannotMoveKeepsTheWholeTransactionOut) {
    const auto xpBefore = Bytes(vq_xp_shaped, 16), relativeBefore = Bytes(vq_relative_shaped, 16);
    g_realXp = reinterpret_cast<void*>(&vq_xp_shaped);
    g_realRelative = reinterpret_cast<void*>(&vq_relative_shaped);
    EntryPatchTransaction t;
    EXPECT_TRUE(t.Attach(&g_realXp, reinterpret_cast<void*>(&TimesTenXp), L"xp"));
    EXPECT_FALSE(t.Attach(&g_realRelative, reinterpret_cast<void*>(&TimesTenRelative), L"relative"));
    EXPECT_FALSE(t.Commit());
    EXPECT_EQ(vq_xp_shaped(1), 2);
    EXPECT_EQ(vq_relative_shaped(1), 4);
    EXPECT_EQ(Bytes(vq_xp_shaped, 16), xpBefore);
    EXPECT_EQ(Bytes(vq_relative_shaped, 16), relativeBefore);
    EXPECT_EQ(g_realXp, reinterpret_cast<void*>(&vq_xp_shaped));
    // The refused transaction left nothing reserved: the entry can be patched now.
    EntryPatchTransaction later;
    EXPECT_TRUE(later.Attach(&g_realXp, reinterpret_cast<void*>(&TimesTenXp), L"xp"));
}  // not committed: nothing happens

TEST(EntryPatch, AnotherThreadCallsThroughEveryPatchAndRemoval) {
    std::atomic<bool> stop{false};
    std::atomic<long> original{0}, redirected{0}, wrong{0};
    std::thread worker([&] {
        while (!stop.load()) {
            int r = vq_wine_shaped(5);
            if (r == 7) ++original;
            else if (r == 70) ++redirected;
            else ++wrong;
        }
    });
    g_realWine = reinterpret_cast<void*>(&vq_wine_shaped);
    int commits = 0;
    for (int round = 0; round < 60; ++round) {
        {
            EntryPatchTransaction t;
            t.Attach(&g_realWine, reinterpret_cast<void*>(&TimesTenWine), L"wine");
            commits += t.Commit();
        }
        ::Sleep(1);
        {
            EntryPatchTransaction t;
            t.Detach(&g_realWine, L"wine");
            commits += t.Commit();
        }
        ::Sleep(1);
    }
    stop = true;
    worker.join();
    EXPECT_EQ(commits, 120);
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GT(original.load(), 0);
    EXPECT_GT(redirected.load(), 0);
    EXPECT_EQ(vq_wine_shaped(5), 7);
}
#endif

// ---- mute_probe.exe ---------------------------------------------------------

const wchar_t kProbeDefaults[] = L"Software\\Wine\\AppDefaults\\mute_probe.exe";

std::wstring Beside(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L'\\') + 1) + name;
}

// Runs the probe, as Windows XP when `xp` (Wine's per-program version), and
// returns its report's lines; empty when it did not finish.
std::vector<std::string> RunMuteProbe(bool xp) {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kProbeDefaults);
    if (xp) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kProbeDefaults, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr) != ERROR_SUCCESS)
            return {};
        const wchar_t version[] = L"winxp";
        ::RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), sizeof version);
        ::RegCloseKey(key);
    }
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring report = std::wstring(temp) + L"vexo-mute-probe.txt";
    ::DeleteFileW(report.c_str());
    const std::wstring exe = Beside(L"mute_probe.exe");
    std::wstring command = L"\"" + exe + L"\" \"" + report + L"\"";
    const std::wstring dir = Beside(L"");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL started = ::CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                                    &si, &pi);
    std::vector<std::string> lines;
    if (started) {
        fw::Handle process(pi.hProcess), thread(pi.hThread);
        if (::WaitForSingleObject(process.Get(), 60000) == WAIT_OBJECT_0) {
            std::ifstream in(report.c_str());
            for (std::string line; std::getline(in, line);) lines.push_back(line);
        }
    }
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kProbeDefaults);
    return lines;
}

#if defined(__i386__)  // entry patching exists for 32-bit x86 only
TEST(MuteProbe, WindowsXpSilencesEveryModulesOutputAndRestoresTheFunctionsAtExit) {
    const std::vector<std::string> expected = {
        "version 5.1",
        "speakers mute at start 0",
        "installed 1, entries as at start 0",
        "speakers mute 0",  // no mixer on this path
        // sound_caller.dll, loaded after the installation. midiStreamOut
        // answers "not prepared" (64): there is no MIDI device here.
        "muted: wave=Z/0 midi=Z/64 dsound=Z/0",
        "speakers mute 0",
        "sound on: wave=U/0 midi=U/64 dsound=U/0",
        "muted again: wave=Z/0 midi=Z/64 dsound=Z/0",
        // After the removal at exit, still muted: the functions are back and
        // pass the samples; the method-table entry stays, as it only calls on.
        "exit: entries as at start 3",
        "exit: wave=U/0 midi=U/64 dsound=Z/0",
        "end",
    };
    EXPECT_EQ(RunMuteProbe(true), expected);
}
#endif

TEST(MuteProbe, ANewerWindowsUsesTheMixerOfThatProcessOnly) {
    // This process muted: the probe's own control is not.
    ASSERT_TRUE(MuteMixerLine(kMixerLineSpeakers, 1));
    std::vector<std::string> lines = RunMuteProbe(false);
    EXPECT_EQ(ReadMixerLineMute(kMixerLineSpeakers), 1);
    MuteMixerLine(kMixerLineSpeakers, 0);
    ASSERT_FALSE(lines.empty());
    EXPECT_GE(std::atoi(lines[0].c_str() + 8), 6) << lines[0];
    lines.erase(lines.begin());
    const std::vector<std::string> expected = {
        "speakers mute at start 0",
        "installed 0, entries as at start 3",
        "speakers mute 1",
        "muted: wave=U/0 midi=U/64 dsound=U/0",
        "speakers mute 0",
        "sound on: wave=U/0 midi=U/64 dsound=U/0",
        "muted again: wave=U/0 midi=U/64 dsound=U/0",
        "exit: entries as at start 3",
        "exit: wave=U/0 midi=U/64 dsound=U/0",
        "end",
    };
    EXPECT_EQ(lines, expected);
}

}  // namespace
