#include <gtest/gtest.h>

#include "app/RunMode.h"

namespace {

const std::wstring kData = L"C:\\PROGRAMDATA\\VEXO\\GAMELOGIN";
const std::wstring kInside = L"C:\\PROGRAMDATA\\VEXO\\GAMELOGIN\\VEXOQUON.EXE";
const std::wstring kOutside = L"C:\\USERS\\PLAYER\\DOWNLOADS\\VEXOQUON.EXE";

RunMode Mode(std::vector<std::wstring> args, const std::wstring& exe = kOutside) {
    return ParseRunMode(args, exe, kData).mode;
}

TEST(RunMode, SwitchesIgnoreCaseAndOnlyTheFirstArgumentCounts) {
    EXPECT_EQ(Mode({L"/webVexoD"}), RunMode::WebEntry);
    EXPECT_EQ(Mode({L"/QUOND"}), RunMode::DesktopEntry);
    EXPECT_EQ(Mode({L"/quond", L"/uninst"}), RunMode::DesktopEntry);
    EXPECT_EQ(Mode({L"/UnInst"}), RunMode::Uninstall);
    EXPECT_EQ(Mode({L"/update"}), RunMode::FinishUpdate);
    EXPECT_EQ(Mode({L"/NEWGM", L"/1", L"/0"}), RunMode::PageProcess);
    EXPECT_EQ(Mode({L"/gmhall", L"/1"}), RunMode::HallProcess);
    EXPECT_EQ(Mode({L"/uninst", L"/QuonD"}, kInside), RunMode::Uninstall);
}

TEST(RunMode, NoOrUnknownSwitchDependsOnTheFolder) {
    EXPECT_EQ(Mode({}), RunMode::Install);
    EXPECT_EQ(Mode({}, kInside), RunMode::InstalledStart);
    EXPECT_EQ(Mode({L"/QuonDx"}, kInside), RunMode::InstalledStart);
    EXPECT_EQ(Mode({L"QuonD"}), RunMode::Install);
    // Substring test: a subfolder of the data folder counts as inside.
    EXPECT_EQ(Mode({}, kData + L"\\SUB\\VEXOQUON.EXE"), RunMode::InstalledStart);
    EXPECT_EQ(ParseRunMode({}, kInside, L"").mode, RunMode::Install);
}

TEST(RunMode, PageArgumentsSkipTheirFirstCharacter) {
    RunModeChoice c = ParseRunMode({L"/newgm", L"/1234", L"/2"}, kOutside, kData);
    EXPECT_EQ(c.ownerWnd, 1234u);
    EXPECT_EQ(c.ownerPageCount, 2);
    c = ParseRunMode({L"/newgm", L"x1234", L"y2"}, kOutside, kData);
    EXPECT_EQ(c.ownerWnd, 1234u);
    EXPECT_EQ(c.ownerPageCount, 2);
    c = ParseRunMode({L"/gmhall", L"/1234", L"/9"}, kOutside, kData);
    EXPECT_EQ(c.mode, RunMode::HallProcess);
    EXPECT_EQ(c.ownerWnd, 1234u);
    EXPECT_EQ(c.ownerPageCount, 0) << "only page processes carry a count";
    c = ParseRunMode({L"/newgm", L"/12ab", L"/3x"}, kOutside, kData);
    EXPECT_EQ(c.ownerWnd, 12u);
    EXPECT_EQ(c.ownerPageCount, 3);
}

TEST(RunMode, CommandLinesSplitLikeTheSystemDoes) {
    using Args = std::vector<std::wstring>;
    const struct {
        const wchar_t* line;
        Args args;
    } kCases[] = {
        {L"\"C:\\Program Files\\VexoQuon.exe\" /newgm /0 /0 /4321", {L"/newgm", L"/0", L"/0", L"/4321"}},
        {L"C:\\VexoQuon.exe", {}},
        {L"\"C:\\a b\\VexoQuon.exe\"", {}},
        {L"VexoQuon.exe \t /QuonD  ", {L"/QuonD"}},
        {L"x \"a b\" c\"d e\"f", {L"a b", L"cd ef"}},
        {L"x a\\\\b \\\\\"c d\" \\\"e", {L"a\\\\b", L"\\c d", L"\"e"}},
        {L"x \"a\"\"b\" \"\"", {L"a\"b", L""}},
        {L"x \"unclosed arg", {L"unclosed arg"}},
        {L"\"unclosed program", {}},
        {L"", {}},
    };
    for (const auto& k : kCases) EXPECT_EQ(SplitCommandLineArgs(k.line), k.args) << std::wstring(k.line).size();
}

TEST(RunMode, AFirstPageNamesItsMainWindowsProcessOnlyWithoutAHandle) {
    const struct {
        std::vector<std::wstring> args;
        std::uint32_t wnd, pid;
    } kCases[] = {
        {{L"/newgm", L"/0", L"/0", L"/4321"}, 0, 4321},
        {{L"/newgm", L"/77", L"/0", L"/4321"}, 77, 0},  // a handle wins: nothing to find
        {{L"/gmhall", L"/0", L"/0", L"/4321"}, 0, 0},   // only pages start before their window
        {{L"/newgm", L"/0", L"/0"}, 0, 0},
        {{L"/newgm", L"/0", L"/0", L"/4294967296"}, 0, 0},
        {{L"/newgm", L"/0", L"/0", L"/4294967295"}, 0, 4294967295u},
    };
    for (const auto& k : kCases) {
        RunModeChoice c = ParseRunMode(k.args, kOutside, kData);
        EXPECT_EQ(c.ownerWnd, k.wnd) << k.args.size();
        EXPECT_EQ(c.ownerProcessId, k.pid) << k.args.size();
    }
}

TEST(RunMode, MalformedPageArgumentsGiveZeroNotGarbage) {
    RunModeChoice c = ParseRunMode({L"/newgm"}, kOutside, kData);
    EXPECT_EQ(c.mode, RunMode::PageProcess);
    EXPECT_EQ(c.ownerWnd, 0u);
    EXPECT_EQ(c.ownerPageCount, 0);
    c = ParseRunMode({L"/newgm", L"/", L""}, kOutside, kData);
    EXPECT_EQ(c.ownerWnd, 0u);
    // Longer than the 15 and 7 characters the launcher ever writes: refused.
    c = ParseRunMode({L"/newgm", L"/12345678901234567890", L"/123456789"}, kOutside, kData);
    EXPECT_EQ(c.ownerWnd, 0u);
    EXPECT_EQ(c.ownerPageCount, 0);
    c = ParseRunMode({L"/newgm", L"/12345678901234", L"/123456"}, kOutside, kData);
    EXPECT_EQ(c.ownerWnd, 0u) << "no window handle has more than 32 bits";
    EXPECT_EQ(c.ownerPageCount, 123456);
    c = ParseRunMode({L"/gmhall", L"/4294967295"}, kOutside, kData);
    EXPECT_EQ(c.ownerWnd, 4294967295u);
    c = ParseRunMode({L"/gmhall", L"/4294967296"}, kOutside, kData);
    EXPECT_EQ(c.ownerWnd, 0u);
    EXPECT_EQ(ParseSkippedNumber(L"/99999999999999999999999", 64), 0u) << "overflow";
}

}  // namespace
