// Run-mode arguments of the command line; fields are the arguments.
#include "FuzzInput.h"
#include "app/RunMode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::wstring> args = FieldsFrom(WideFrom(data, size));
    if (args.size() == 1 && args[0].empty()) args.clear();
    RunModeChoice c = ParseRunMode(args, L"C:\\PROGRAMDATA\\VEXO\\GAMELOGIN\\VEXOQUON.EXE",
                                   L"C:\\PROGRAMDATA\\VEXO\\GAMELOGIN");
    RunModeChoice again = ParseRunMode(args, L"C:\\PROGRAMDATA\\VEXO\\GAMELOGIN\\VEXOQUON.EXE",
                                       L"C:\\PROGRAMDATA\\VEXO\\GAMELOGIN");
    // Repeatable within a process, as the update gate relies on.
    FUZZ_CHECK(c.mode == again.mode && c.ownerWnd == again.ownerWnd && c.ownerPageCount == again.ownerPageCount);
    if (c.mode != RunMode::PageProcess && c.mode != RunMode::HallProcess) FUZZ_CHECK(c.ownerWnd == 0);
    FUZZ_CHECK(c.ownerPageCount >= 0);
    if (c.mode != RunMode::PageProcess || c.ownerWnd != 0) FUZZ_CHECK(c.ownerProcessId == 0);
    for (const auto& a : args) ParseSkippedNumber(a, 15);
    // The whole input as a command line: arguments never hold a separator
    // that no quote allowed, and never more characters than the line.
    const std::wstring line = WideFrom(data, size);
    std::size_t total = 0;
    for (const auto& a : SplitCommandLineArgs(line)) {
        total += a.size();
        if (line.find(L'"') == std::wstring::npos) FUZZ_CHECK(a.find(L' ') == std::wstring::npos && !a.empty());
    }
    FUZZ_CHECK(total <= line.size());
    return 0;
}
