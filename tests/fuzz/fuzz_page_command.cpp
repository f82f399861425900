// Page commands and account info, as any web page may write them.
#include "FuzzInput.h"
#include "browser/GamePage.h"
#include "browser/LoginFlow.h"
#include "browser/PageCommand.h"

namespace {
bool HasPathCharacter(const std::wstring& s) {
    return s.find_first_of(L"/\\:*?\"<>|") != std::wstring::npos;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring url = WideFrom(data, size);
    LoginCommandOf(url);
    PageCommandWord(url);
    LoadGameRequest load = ReadLoadGame(url);
    if (load.valid) {
        // What becomes the game frame's address is a web address, and the
        // tab title is made of the three parts it names.
        FUZZ_CHECK(IsWebAddress(load.gameAddress));
        FUZZ_CHECK(load.account.key == load.account.server + L"服-" + load.account.middle + L"-" + load.account.account);
        FUZZ_CHECK(load.account.key.find(L'\0') == std::wstring::npos);
    }
    std::wstring decoded;
    if (DecodeAccountInfo(url, decoded)) FUZZ_CHECK(decoded.find(L'\0') == std::wstring::npos);
    const std::wstring data_folder = L"C:\\ProgramData\\Vexo\\GameLogin";
    EnterGamePlan plan = PlanEnterGame(url, data_folder, L"http://home/");
    if (plan.act) {
        // Nothing but a plain file in the data folder is ever started.
        FUZZ_CHECK(!plan.name.empty() && !HasPathCharacter(plan.name));
        if (!plan.clientPath.empty()) {
            FUZZ_CHECK(plan.clientPath == data_folder + L"\\" + plan.name + L".exe");
            FUZZ_CHECK(plan.clientPath.size() <= 259);
        }
    }
    std::wstring name;
    if (MakeGameShortName(url, name)) FUZZ_CHECK(!name.empty() && !HasPathCharacter(name));
    return 0;
}
