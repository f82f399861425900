// A session of the settings dialog: the three keys as Statistic.ini holds
// them (any program may have written it), the key messages the edits get
// (their codes are whatever the message carries), then "确定". Input: a count
// of key events and the events (edit, system key, modifiers, code), then the
// three stored texts, "\n"-separated.
#include "FuzzInput.h"
#include "mainwnd/HotKey.h"
#include "mainwnd/KeyCapture.h"

namespace {

struct Edit {
    KeyEdit kind;
    std::wstring text;
    int vk;
    bool captured = false;     // the text is the capture's, not the stored key's
    int pressedVk = 0;         // the key down that made it, and the modifiers then
    int pressedModifiers = 0;
    bool pressedNamed = false;  // that key down named a key (no clearing, no bare modifiers)
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader in(data, size);
    const int events = in.Byte() % 32;
    struct Event {
        std::uint8_t flags;
        int vk;
    };
    std::vector<Event> keys;
    for (int i = 0; i < events; ++i) {
        const std::uint8_t flags = in.Byte();
        // Mostly a real key code; sometimes whatever a posted message carries.
        const int vk = (flags & 0x80) ? int(in.Take<std::uint32_t>()) : int(in.Byte());
        keys.push_back({flags, vk});
    }
    const std::vector<std::wstring> stored = FieldsFrom(in.RestAsWide());

    Edit edits[3] = {{KeyEdit::Boss, L"", 0}, {KeyEdit::Switch, L"", 0}, {KeyEdit::Sound, L"", 0}};
    for (int e = 0; e < 3; ++e) {
        const HotKey key = ParseHotKey(e < int(stored.size()) ? stored[e] : std::wstring());
        edits[e].vk = key.vk;
        edits[e].text = FormatHotKey(key.vk, key.modifiers);
    }

    for (const Event& k : keys) {
        const bool systemKey = k.flags & 0x40;
        const bool ctrl = k.flags & 4, shift = k.flags & 8, alt = k.flags & 16;
        const bool captured = IsCapturedKeyDown(systemKey, k.vk);
        FUZZ_CHECK(captured == (!systemKey || k.vk == 121 || k.vk == 18));
        if (!captured) continue;
        FUZZ_CHECK(IsSwallowedKey(k.vk) == (k.vk == 27 || k.vk == 13));
        if (IsSwallowedKey(k.vk)) continue;
        Edit& edit = edits[k.flags % 3];
        const CapturedKey result = CaptureKey(edit.kind, k.vk, edit.vk, ctrl, shift, alt);
        if (result.text == L"无") {
            FUZZ_CHECK(result.vk == edit.vk);  // cleared: the key code stays
        } else {
            std::wstring prefix;
            if (ctrl) prefix += L"Ctrl  +  ";
            if (shift) prefix += L"Shift  +  ";
            if (alt) prefix += L"Alt  +  ";
            FUZZ_CHECK(result.text.compare(0, prefix.size(), prefix) == 0);
            const std::wstring named = result.text.substr(prefix.size());
            FUZZ_CHECK(named.empty() ? result.vk == edit.vk : named == KeyName(k.vk) && result.vk == k.vk);
        }
        edit.text = result.text;
        edit.vk = result.vk;
        edit.captured = true;
        edit.pressedVk = k.vk;
        edit.pressedModifiers = CurrentModifiers(ctrl, shift, alt);
        edit.pressedNamed = result.text != L"无" && !result.text.empty() && result.text.back() != L' ';
    }

    // "确定": nothing is saved when two texts are the same.
    const bool conflict = KeyTextsConflict(edits[0].text, edits[1].text, edits[2].text);
    FUZZ_CHECK(conflict == (edits[0].text == edits[1].text || edits[0].text == edits[2].text ||
                            edits[1].text == edits[2].text));
    FUZZ_CHECK(conflict == KeyTextsConflict(edits[2].text, edits[0].text, edits[1].text));
    for (const Edit& edit : edits) {
        const std::optional<std::wstring> value = StoredKeyValue(edit.text, edit.vk);
        const bool incomplete = edit.text.empty() || edit.text.back() == L' ';
        FUZZ_CHECK(value.has_value() == !incomplete);
        if (!value) continue;
        const HotKey saved = ParseHotKey(*value);
        FUZZ_CHECK(saved.modifiers >= 0 && saved.modifiers <= 7);
        FUZZ_CHECK(saved.vk == (edit.text.find(L"无") != std::wstring::npos ? 0 : edit.vk));
        if (edit.captured) {
            // What the dialog showed is what is saved, and shown again next time.
            FUZZ_CHECK(FormatHotKey(saved.vk, saved.modifiers) == edit.text);
            // The key pressed in the edit is the key the hot key then answers to.
            if (edit.pressedNamed) FUZZ_CHECK(MatchesHotKey(saved, edit.pressedVk, edit.pressedModifiers));
        }
    }
    return 0;
}
