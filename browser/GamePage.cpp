#include "browser/GamePage.h"

#include "browser/PageCommand.h"

bool IsPlainF5(const HotKey& key) { return key.vk == 0x74 && key.modifiers == 0; }

bool F5Refreshes(const HotKey& bossKey, const HotKey& soundKey, bool marked) {
    if (IsPlainF5(bossKey) || IsPlainF5(soundKey)) return marked;
    return true;
}

bool TakeMuteMessage(int muted, int& state, bool& known) {
    if (!known) {
        state = muted ? 0 : 1;
        known = true;
    }
    if (muted == state) return false;
    state = muted;
    return true;
}

bool IsWebAddress(const std::wstring& url) {
    auto startsWith = [&](const wchar_t* prefix) {
        std::size_t i = 0;
        for (; prefix[i]; ++i) {
            if (i >= url.size()) return false;
            wchar_t c = url[i];
            if (c >= L'A' && c <= L'Z') c = wchar_t(c + 32);
            if (c != prefix[i]) return false;
        }
        return url.size() > i;  // something after the scheme
    };
    return startsWith(L"http://") || startsWith(L"https://");
}

EnterGamePlan PlanEnterGame(const std::wstring& url, const std::wstring& dataFolder,
                            const std::wstring& homePage) {
    EnterGamePlan plan;
    if (!IsEnterGameCommand(url)) return plan;
    EnterGameArgs args = SplitEnterGame(url, homePage);
    if (!MakeGameShortName(args.rawName, plan.name)) return plan;
    // Without a data folder there is no installed client to look for.
    if (!dataFolder.empty() && !MakeGameClientPath(dataFolder, plan.name, plan.clientPath)) plan.clientPath.clear();
    plan.webAddress = args.webAddress;
    plan.act = true;
    return plan;
}
