// After the swap: the updating process starts the new executable and waits,
// hidden, for it to say that its main window is up. The word is a named event
// unique to this update, whose name the new process finds in its environment
// (so its command line, and with it its run mode, stays as always). If the
// new process ends first or stays silent, the old executable goes back.
#pragma once

#include <cstdint>
#include <string>

// How long the new executable has to show its main window.
constexpr std::uint32_t kUpdateConfirmMs = 60 * 1000;

// The environment variable that carries the event's name to the new process
// (and is removed there at once, so that its children do not inherit it).
inline constexpr wchar_t kUpdateSignalVariable[] = L"VEXOQUON_UPDATE_SIGNAL";

// "Local\VexoQuon-update-<pid>-<tick>": unique per updating process and moment.
std::wstring UpdateSignalName(std::uint32_t processId, std::uint32_t tick);
// Only a name of that form is ever opened: the environment is not ours.
bool IsUpdateSignalName(const std::wstring& name);

enum class StartWait {
    Signalled,    // the new main window is up
    ProcessEnded, // the new process ended without saying so (a crash, a refusal to run)
    TimedOut,     // it said nothing in time
    NotStarted,   // it could not be started at all
};

enum class AfterStart {
    KeepNew,   // record "UpdTime"; the update is done
    RollBack,  // put the old executable back, start it, record the refused key
};

AfterStart DecideAfterStart(StartWait wait);
