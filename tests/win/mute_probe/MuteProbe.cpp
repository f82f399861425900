// mute_probe.exe REPORT-FILE: the page process's sound switch in a process of
// its own, so that Wine can be told, for this program only, to be Windows XP.
// It mutes and unmutes through SetProcessMute, has sound_caller.dll (loaded
// afterwards) write known samples, and writes what it saw to REPORT-FILE, one
// fact per line; the last lines come from the end of the process, after the
// interception was removed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "browser/ProcessMute.h"
#include "browser/SoundInterception.h"

namespace {

using WriteKnownBuffersFn = void (*)(char[3], long[3]);

FILE* g_report = nullptr;
WriteKnownBuffersFn g_write = nullptr;
unsigned char g_entries[3][8];

void Line(const std::string& text) {
    std::fprintf(g_report, "%s\n", text.c_str());
    std::fflush(g_report);
}

void* Entry(int i) {
    if (i < 2) return reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"winmm.dll"), i == 0 ? "waveOutWrite" : "midiStreamOut"));
    return reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"dsound.dll"), "DirectSoundCreate"));
}

// How many of the three entries still hold the bytes they had at the start.
int EntriesAsAtStart() {
    int n = 0;
    for (int i = 0; i < 3; ++i) n += std::memcmp(Entry(i), g_entries[i], sizeof g_entries[i]) == 0;
    return n;
}

// "wave=Z/0 midi=Z/5 dsound=Z/0": verdict and result of each call.
std::string Buffers() {
    char verdicts[3] = {'X', 'X', 'X'};
    long results[3] = {-1, -1, -1};
    g_write(verdicts, results);
    const char* names[3] = {"wave", "midi", "dsound"};
    std::string out;
    for (int i = 0; i < 3; ++i) {
        if (i) out += " ";
        out += std::string(names[i]) + "=" + verdicts[i] + "/" + std::to_string(results[i]);
    }
    return out;
}

// Registered before the interception registers its removal, so it runs after it.
void AtExit() {
    Line("exit: entries as at start " + std::to_string(EntriesAsAtStart()));
    Line("exit: " + Buffers());
    Line("end");
    std::fclose(g_report);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || !(g_report = _wfopen(argv[1], L"w"))) return 2;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&info);
#pragma GCC diagnostic pop
    Line("version " + std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion));
    ::LoadLibraryW(L"winmm.dll");
    ::LoadLibraryW(L"dsound.dll");
    for (int i = 0; i < 3; ++i) std::memcpy(g_entries[i], Entry(i), sizeof g_entries[i]);
    std::atexit(AtExit);

    Line("speakers mute at start " + std::to_string(ReadMixerLineMute(kMixerLineSpeakers)));
    SetProcessMute(1);
    Line("installed " + std::to_string(SoundInterceptionInstalled()) + ", entries as at start " +
         std::to_string(EntriesAsAtStart()));
    Line("speakers mute " + std::to_string(ReadMixerLineMute(kMixerLineSpeakers)));
    if (::GetModuleHandleW(L"sound_caller.dll")) Line("sound_caller.dll was loaded too early");
    HMODULE caller = ::LoadLibraryW(L"sound_caller.dll");
    g_write = caller ? reinterpret_cast<WriteKnownBuffersFn>(::GetProcAddress(caller, "WriteKnownBuffers")) : nullptr;
    if (!g_write) {
        Line("sound_caller.dll missing");
        return 1;
    }
    Line("muted: " + Buffers());
    SetProcessMute(0);
    Line("speakers mute " + std::to_string(ReadMixerLineMute(kMixerLineSpeakers)));
    Line("sound on: " + Buffers());
    SetProcessMute(1);
    Line("muted again: " + Buffers());
    return 0;
}
