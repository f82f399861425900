// Hot-key texts of Statistic.ini, which any program or person may edit.
#include "FuzzInput.h"
#include "mainwnd/HotKey.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = WideFrom(data, size);
    HotKey key = ParseHotKey(text);
    // What is stored again ("modifiers,vk") reads back as the same key.
    HotKey again = ParseHotKey(std::to_wstring(key.modifiers) + L"," + std::to_wstring(key.vk));
    FUZZ_CHECK(again.vk == key.vk && again.modifiers == key.modifiers);
    std::wstring shown = FormatHotKey(key.vk, key.modifiers);
    FUZZ_CHECK(!shown.empty() || (key.vk != 0 && KeyName(key.vk).empty() && (key.modifiers & 7) == 0));
    if (key.vk == 0) FUZZ_CHECK(shown == L"无");
    FUZZ_CHECK(KeyName(key.vk).size() <= 15);
    MatchesHotKey(key, key.vk, key.modifiers);
    return 0;
}
