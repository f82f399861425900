// The eight roles of the executable, chosen once from the command line and the
// executable's location.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class RunMode : int {
    Install = 0,
    WebEntry = 1,
    DesktopEntry = 2,
    InstalledStart = 3,
    Uninstall = 4,
    FinishUpdate = 5,
    PageProcess = 6,
    HallProcess = 7,
};

struct RunModeChoice {
    RunMode mode = RunMode::Install;
    // Modes 6 and 7: the main window's handle as its 32-bit number. Window
    // handles are 32-bit values in every process, 32- or 64-bit (64-bit
    // Windows shares them with 32-bit programs), so a larger number is no handle.
    std::uint32_t ownerWnd = 0;
    std::int32_t ownerPageCount = 0;  // mode 6: its page count at launch
    // Mode 6 without a window handle: the process id of the main window that
    // started it before that window existed (a first tab), which it then finds.
    std::uint32_t ownerProcessId = 0;
};

// args: the arguments after the program name. exePathUpper and dataFolderUpper
// are already upper-cased by the caller (the platform's case mapping).
RunModeChoice ParseRunMode(const std::vector<std::wstring>& args, const std::wstring& exePathUpper,
                           const std::wstring& dataFolderUpper);

// The arguments after the program name of a command line, split the way
// CommandLineToArgvW does: blanks and tabs separate them, quotes group, 2n
// backslashes before a quote give n and the quote groups, 2n+1 give n and a
// literal quote. Kept here so that a start need not load shell32 for it.
std::vector<std::wstring> SplitCommandLineArgs(const std::wstring& commandLine);

// "/1234" -> 1234: the first character is skipped whatever it is, then leading
// decimal digits. An argument longer than `maxChars` (what the launcher ever
// writes) or a number that overflows is refused and gives 0.
std::uint64_t ParseSkippedNumber(const std::wstring& arg, std::size_t maxChars);
