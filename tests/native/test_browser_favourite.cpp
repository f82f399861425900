// The favourite's shortcut text and the file-name rule of the favourites and
// game-download dialogs.
#include <gtest/gtest.h>

#include "browser/Favourite.h"

namespace {

TEST(Favourite, SevenLinesWithTheAddressInTheSecondAndSixth) {
    const std::wstring text = InternetShortcutText(L"http://www.vexo.com/quon/game.html?sid=12&acc=abc");
    EXPECT_EQ(text,
              L"[DEFAULT]\r\n"
              L"BASEURL=http://www.vexo.com/quon/game.html?sid=12&acc=abc\r\n"
              L"[{000214A0-0000-0000-C000-000000000046}]\r\n"
              L"=19,2\r\n"
              L"[InternetShortcut]\r\n"
              L"URL=http://www.vexo.com/quon/game.html?sid=12&acc=abc\r\n"
              L"IDList=\r\n");
    EXPECT_EQ(InternetShortcutText(L"").size(), 105u);
    // A line break in the address cannot add a line of its own (an IconFile= of the page's choosing).
    const std::wstring injected = InternetShortcutText(L"http://a.vexo.com/x\r\nIconFile=\\\\evil\\i.ico\t\x7F");
    EXPECT_EQ(injected.find(L"\nIconFile"), std::wstring::npos);
    EXPECT_NE(injected.find(L"URL=http://a.vexo.com/x%0D%0AIconFile=\\\\evil\\i.ico%09%7F\r\nIDList="), std::wstring::npos);
    EXPECT_EQ(ShortcutAddress(L"http://a.vexo.com/中文?q=1 2"), L"http://a.vexo.com/中文?q=1 2");
}

TEST(Favourite, OnlyNamesAFileCanCarry) {
    struct Case {
        const wchar_t* name;
        bool usable;
    } cases[] = {
        {L"我的游戏", true},
        {L"Quon - 12服", true},
        {L"a.b", true},
        {L"CONSOLE", true},
        {L"com10", true},
        {L"", false},
        {L"a?b", false},
        {L"a\\b", false},
        {L"..\\..\\evil", false},
        {L"a/b", false},
        {L"a:b", false},
        {L"a*b", false},
        {L"a\"b", false},
        {L"a<b", false},
        {L"a>b", false},
        {L"a|b", false},
        {L"a\tb", false},
        {L".", false},
        {L"..", false},
        {L" . ", false},
        {L"CON", false},
        {L"con.txt", false},
        {L"nul ", false},
        {L"Com1", false},
        {L"LPT9.x", false},
        {L"aux", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsUsableFileName(c.name), c.usable) << c.name;
}

TEST(Favourite, DownloadLabelHasTwoBlanks) {
    struct Case {
        unsigned percent;
        const wchar_t* label;
    } cases[] = {
        {0, L"已加载  0%"},
        {57, L"已加载  57%"},
        {100, L"已加载  100%"},
        // The figure arrives in a window message, which any program can post:
        // the label holds every value whole.
        {1000000000u, L"已加载  1000000000%"},
        {4294967295u, L"已加载  4294967295%"},
    };
    for (const Case& c : cases) EXPECT_EQ(DownloadPercentLabel(c.percent), c.label) << c.percent;
}

}  // namespace
