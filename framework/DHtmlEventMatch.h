// Which entry of a DHTML event map handles an event of a page element. Kept
// free of Windows headers so the rule is unit-tested natively; the browser
// dialog (framework/HtmlDialog.h) applies it to live documents.
//
// Only the element the event happened on counts, never its ancestors. A class
// entry matches when the element's whole class attribute equals the entry's
// text exactly; a tag entry when the tag name equals it regardless of case. The
// first entry in map order that matches both the event and the element is the
// one; a map ends at the first entry without a name.
#pragma once

#include <string>

enum class DHtmlMatchKind { Class, Tag };

inline bool DHtmlElementMatches(DHtmlMatchKind kind, const wchar_t* name, const std::wstring& className,
                                const std::wstring& tagName) {
    if (!name) return false;
    if (kind == DHtmlMatchKind::Class) return className == name;
    const wchar_t* t = tagName.c_str();
    std::size_t i = 0;
    for (; name[i]; ++i) {
        if (i >= tagName.size()) return false;
        wchar_t a = name[i], b = t[i];
        if (a >= L'A' && a <= L'Z') a = wchar_t(a + 32);
        if (b >= L'A' && b <= L'Z') b = wchar_t(b + 32);
        if (a != b) return false;
    }
    return i == tagName.size();
}

// Entry: any type with members `kind` (DHtmlMatchKind), `event` (the event's
// dispatch id) and `name` (const wchar_t*).
template <class Entry>
const Entry* FindDHtmlEventEntry(const Entry* map, long event, const std::wstring& className,
                                 const std::wstring& tagName) {
    for (const Entry* e = map; e && e->name; ++e)
        if (e->event == event && DHtmlElementMatches(e->kind, e->name, className, tagName)) return e;
    return nullptr;
}
