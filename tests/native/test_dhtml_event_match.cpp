#include <gtest/gtest.h>

#include "framework/DHtmlEventMatch.h"

namespace {

struct Entry {
    DHtmlMatchKind kind;
    long event;
    const wchar_t* name;
    int id;
};

constexpr long kDown = 1, kUp = 2, kSelect = 3;

// The shape of the browser dialog's map: class entries first, then tags.
const Entry kMap[] = {
    {DHtmlMatchKind::Class, kDown, L"button", 1},
    {DHtmlMatchKind::Class, kUp, L"button", 2},
    {DHtmlMatchKind::Tag, kDown, L"body", 3},
    {DHtmlMatchKind::Tag, kDown, L"td", 4},
    {DHtmlMatchKind::Tag, kDown, L"div", 5},
    {DHtmlMatchKind::Tag, kSelect, L"div", 6},
    {DHtmlMatchKind::Tag, kDown, L"div", 7},  // never reached: 5 comes first
    {DHtmlMatchKind::Tag, 0, nullptr, 0},
};

int Handler(long event, const std::wstring& cls, const std::wstring& tag) {
    const Entry* e = FindDHtmlEventEntry(kMap, event, cls, tag);
    return e ? e->id : 0;
}

TEST(DHtmlEventMatch, ClassMustMatchWholeAndExactly) {
    EXPECT_EQ(Handler(kDown, L"button", L"IMG"), 1);
    EXPECT_EQ(Handler(kUp, L"button", L"A"), 2);
    EXPECT_EQ(Handler(kDown, L"Button", L"IMG"), 0);
    EXPECT_EQ(Handler(kDown, L"button big", L"IMG"), 0);
    EXPECT_EQ(Handler(kDown, L"butto", L"IMG"), 0);
    EXPECT_EQ(Handler(kDown, L"", L"IMG"), 0);
}

TEST(DHtmlEventMatch, TagIgnoresCase) {
    EXPECT_EQ(Handler(kDown, L"", L"BODY"), 3);
    EXPECT_EQ(Handler(kDown, L"", L"td"), 4);
    EXPECT_EQ(Handler(kDown, L"x", L"Div"), 5);
    EXPECT_EQ(Handler(kDown, L"", L"DIVX"), 0);
    EXPECT_EQ(Handler(kDown, L"", L"DI"), 0);
    EXPECT_EQ(Handler(kDown, L"", L"SPAN"), 0);
}

TEST(DHtmlEventMatch, FirstMatchInMapOrderWins) {
    // A div whose class is exactly "button" is a button, not a drag area.
    EXPECT_EQ(Handler(kDown, L"button", L"DIV"), 1);
    // With a second class name it is a plain div again.
    EXPECT_EQ(Handler(kDown, L"button wide", L"DIV"), 5);
}

TEST(DHtmlEventMatch, EventMustMatchToo) {
    EXPECT_EQ(Handler(kSelect, L"", L"DIV"), 6);
    EXPECT_EQ(Handler(kSelect, L"", L"TD"), 0);
    EXPECT_EQ(Handler(kUp, L"", L"BODY"), 0);
    EXPECT_EQ(Handler(99, L"button", L"DIV"), 0);
}

TEST(DHtmlEventMatch, EmptyOrMissingMap) {
    const Entry empty[] = {{DHtmlMatchKind::Class, kDown, nullptr, 9}};
    EXPECT_EQ(FindDHtmlEventEntry(empty, kDown, L"button", L"DIV"), nullptr);
    EXPECT_EQ(FindDHtmlEventEntry<Entry>(nullptr, kDown, L"button", L"DIV"), nullptr);
}

}  // namespace
