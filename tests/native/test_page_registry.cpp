#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mainwnd/PageRegistry.h"

namespace {

using Frame = PageRegistry::Frame;

// Distinct fake handles.
Frame F(int n) { return reinterpret_cast<Frame>(static_cast<std::uintptr_t>(0x1000 + n)); }

struct Fixture {
    std::vector<PageRegistry::Process> closed;
    PageRegistry pages{[this](PageRegistry::Process p) { closed.push_back(p); }};

    void Login(const std::wstring& title, Frame frame) {
        ASSERT_TRUE(pages.AcceptTitle(title));
        pages.RegisterPage(frame);
    }
};

TEST(PageRegistry, StartsEmptyOnTabZero) {
    Fixture f;
    EXPECT_TRUE(f.pages.Empty());
    EXPECT_EQ(f.pages.Current(), 0);
    EXPECT_EQ(f.pages.CurrentFrame(), nullptr);
    EXPECT_EQ(f.pages.FrameAt(0), nullptr);
    EXPECT_EQ(f.pages.TitleAt(-1), L"");
    EXPECT_EQ(f.pages.Close(0), nullptr);
    f.pages.SelectNext();
    EXPECT_EQ(f.pages.Current(), 0);
}

TEST(PageRegistry, DuplicateTitlesAreRefusedExactly) {
    Fixture f;
    EXPECT_TRUE(f.pages.AcceptTitle(L"12服-宝宝-abc"));
    EXPECT_FALSE(f.pages.AcceptTitle(L"12服-宝宝-abc")) << "waiting for its frame counts";
    f.pages.RegisterPage(F(1));
    EXPECT_FALSE(f.pages.AcceptTitle(L"12服-宝宝-abc")) << "a tab's title counts";
    EXPECT_TRUE(f.pages.AcceptTitle(L"12服-宝宝-ABC")) << "case-sensitive";
    EXPECT_TRUE(f.pages.AcceptTitle(L"12服-宝宝-abc ")) << "exact";
    EXPECT_EQ(f.pages.TitleCount(), 3);
    EXPECT_EQ(f.pages.Count(), 1);
}

TEST(PageRegistry, FramesTakeTitlesInLoginOrderAndBecomeCurrent) {
    Fixture f;
    f.pages.AcceptTitle(L"a");
    f.pages.AcceptTitle(L"b");
    EXPECT_EQ(f.pages.RegisterPage(F(1)), 0);
    EXPECT_EQ(f.pages.Current(), 0);
    EXPECT_EQ(f.pages.RegisterPage(F(2)), 1);
    EXPECT_EQ(f.pages.Current(), 1);
    EXPECT_EQ(f.pages.TitleAt(0), L"a");
    EXPECT_EQ(f.pages.TitleAt(1), L"b");
    EXPECT_EQ(f.pages.Frames(), (std::vector<Frame>{F(1), F(2)}));
    EXPECT_EQ(f.pages.IndexOf(F(2)), 1);
    EXPECT_EQ(f.pages.IndexOf(F(3)), -1);
    EXPECT_EQ(f.pages.IndexOf(nullptr), -1);
}

TEST(PageRegistry, AFrameWithoutTitleTakesTheNextTitle) {
    Fixture f;
    f.pages.RegisterPage(F(1));
    EXPECT_EQ(f.pages.TitleAt(0), L"");
    EXPECT_EQ(f.pages.TitleCount(), 0);
    f.pages.AcceptTitle(L"late");
    EXPECT_EQ(f.pages.TitleAt(0), L"late");
    EXPECT_FALSE(f.pages.AcceptTitle(L"late"));
    f.pages.AcceptTitle(L"next");
    f.pages.RegisterPage(F(2));
    EXPECT_EQ(f.pages.TitleAt(1), L"next");
}

TEST(PageRegistry, ProcessIdsTravelWithTheirEntry) {
    Fixture f;
    f.pages.AcceptTitle(L"a", 77);
    f.pages.RegisterPage(F(1));
    EXPECT_EQ(f.pages.ProcessIdAt(0), 77u);
    f.pages.RegisterPage(F(2), 88);
    EXPECT_EQ(f.pages.ProcessIdAt(1), 88u);
    EXPECT_EQ(f.pages.ProcessIdAt(2), 0u);
}

TEST(PageRegistry, TitlesAndFramesPairByProcess) {
    // Two logins in flight; the second account's frame registers first.
    Fixture f;
    ASSERT_TRUE(f.pages.AcceptTitle(L"1服-a-first", 100));
    ASSERT_TRUE(f.pages.AcceptTitle(L"2服-b-second", 200));
    f.pages.RegisterPage(F(2), 200);
    EXPECT_EQ(f.pages.TitleAt(0), L"2服-b-second");
    f.pages.RegisterPage(F(1), 100);
    EXPECT_EQ(f.pages.TitleAt(1), L"1服-a-first");
    // A frame that came before its title gets the title of its own process.
    Fixture g;
    g.pages.RegisterPage(F(1), 100);
    g.pages.RegisterPage(F(2), 200);
    ASSERT_TRUE(g.pages.AcceptTitle(L"t200", 200));
    ASSERT_TRUE(g.pages.AcceptTitle(L"t100", 100));
    EXPECT_EQ(g.pages.TitleAt(0), L"t100");
    EXPECT_EQ(g.pages.TitleAt(1), L"t200");
    // Unknown processes (0) fall back to login order; a known one never takes
    // another known process's title.
    Fixture h;
    ASSERT_TRUE(h.pages.AcceptTitle(L"x", 0));
    ASSERT_TRUE(h.pages.AcceptTitle(L"y", 300));
    h.pages.RegisterPage(F(1), 400);
    EXPECT_EQ(h.pages.TitleAt(0), L"x");
    h.pages.RegisterPage(F(2), 0);
    EXPECT_EQ(h.pages.TitleAt(1), L"y");
}

TEST(PageRegistry, ADeadProcessFreesTheTitleItSent) {
    Fixture f;
    ASSERT_TRUE(f.pages.AcceptTitle(L"1服-a-abc", 100));
    ASSERT_TRUE(f.pages.AcceptTitle(L"2服-b-xyz", 200));
    EXPECT_EQ(f.pages.WaitingProcessIds(), (std::vector<std::uint32_t>{100, 200}));
    f.pages.DropWaitingOf(100);
    EXPECT_TRUE(f.pages.AcceptTitle(L"1服-a-abc", 300)) << "the account may log in again";
    EXPECT_FALSE(f.pages.AcceptTitle(L"2服-b-xyz", 400));
    f.pages.DropWaitingOf(0);
    EXPECT_EQ(f.pages.TitleCount(), 2);
}

TEST(PageRegistry, ClosingSelectsTheTabThatTookItsPlace) {
    struct Case {
        int pages, close;
        std::vector<Frame> left;
        int current;
    };
    const Case cases[] = {
        {3, 1, {F(0), F(2)}, 1},  // the middle: the next moves up
        {3, 2, {F(0), F(1)}, 1},  // the last: the new last
        {3, 0, {F(1), F(2)}, 0},
        {2, 1, {F(0)}, 0},
        {1, 0, {}, 0},
    };
    for (const Case& c : cases) {
        Fixture f;
        for (int i = 0; i < c.pages; ++i) f.Login(L"t" + std::to_wstring(i), F(i));
        EXPECT_EQ(f.pages.Close(c.close), F(c.close));
        EXPECT_EQ(f.pages.Frames(), c.left) << c.pages << " pages, closing " << c.close;
        EXPECT_EQ(f.pages.Current(), c.current) << c.pages << " pages, closing " << c.close;
        EXPECT_EQ(f.pages.TitleCount(), c.pages - 1);
        // The closed title may log in again.
        EXPECT_TRUE(f.pages.AcceptTitle(L"t" + std::to_wstring(c.close)));
    }
}

TEST(PageRegistry, ClosingKeepsWaitingTitlesForTheNextFrames) {
    Fixture f;
    f.Login(L"a", F(1));
    f.Login(L"b", F(2));
    f.pages.AcceptTitle(L"c");
    f.pages.Close(0);
    f.pages.RegisterPage(F(3));
    EXPECT_EQ(f.pages.TitleAt(0), L"b");
    EXPECT_EQ(f.pages.TitleAt(1), L"c");
}

TEST(PageRegistry, SelectAndNextWrap) {
    Fixture f;
    for (int i = 0; i < 3; ++i) f.Login(L"t" + std::to_wstring(i), F(i));
    EXPECT_EQ(f.pages.Current(), 2);
    f.pages.SelectNext();
    EXPECT_EQ(f.pages.Current(), 0);
    EXPECT_TRUE(f.pages.Select(1));
    EXPECT_FALSE(f.pages.Select(1)) << "already current";
    EXPECT_FALSE(f.pages.Select(3));
    EXPECT_FALSE(f.pages.Select(-1));
    EXPECT_EQ(f.pages.CurrentFrame(), F(1));
    Fixture one;
    one.Login(L"x", F(9));
    one.pages.SelectNext();
    EXPECT_EQ(one.pages.Current(), 0);
}

TEST(PageRegistry, ThreePagesFillTheWindow) {
    Fixture f;
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(f.pages.Full());
        f.Login(L"t" + std::to_wstring(i), F(i));
    }
    EXPECT_TRUE(f.pages.Full());
    f.pages.AcceptTitle(L"waiting");
    f.pages.Close(0);
    EXPECT_FALSE(f.pages.Full()) << "only registered pages count";
}

TEST(PageRegistry, TheHallIsNoTab) {
    Fixture f;
    f.pages.SetHall(F(7));
    EXPECT_EQ(f.pages.Hall(), F(7));
    EXPECT_TRUE(f.pages.Empty());
    EXPECT_EQ(f.pages.IndexOf(F(7)), -1);
}

TEST(PageRegistry, ThePendingProcessIsClosedOnceWhenReplacedRegisteredOrForgotten) {
    Fixture f;
    auto P = [](int n) { return reinterpret_cast<PageRegistry::Process>(static_cast<std::uintptr_t>(0x9000 + n)); };
    f.pages.SetPendingProcess(P(1));
    f.pages.SetPendingProcess(P(1));
    EXPECT_TRUE(f.closed.empty()) << "the same handle again is no replacement";
    f.pages.SetPendingProcess(P(2));
    EXPECT_EQ(f.closed, (std::vector<PageRegistry::Process>{P(1)}));
    f.pages.RegisterPage(F(1));
    EXPECT_EQ(f.closed, (std::vector<PageRegistry::Process>{P(1), P(2)}));
    EXPECT_EQ(f.pages.PendingProcess(), nullptr);
    f.pages.SetPendingProcess(P(3));
    f.pages.ClosePendingProcess();
    f.pages.ClosePendingProcess();
    EXPECT_EQ(f.closed.size(), 3u);
    f.pages.SetPendingProcess(P(4));
    {
        std::vector<PageRegistry::Process> closedAtEnd;
        {
            PageRegistry scoped([&](PageRegistry::Process p) { closedAtEnd.push_back(p); });
            scoped.SetPendingProcess(P(5));
        }
        EXPECT_EQ(closedAtEnd, (std::vector<PageRegistry::Process>{P(5)}));
    }
}

// ---- lost places ----------------------------------------------------------------

PageRegistry::Process P(int n) {
    return reinterpret_cast<PageRegistry::Process>(static_cast<std::uintptr_t>(0x9000 + n));
}

// Three tabs t0..t2 from processes 100..102, each watched through handle P(i).
struct Three : Fixture {
    explicit Three(int current = 0) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(pages.AcceptTitle(L"t" + std::to_wstring(i), 100 + i));
            pages.SetPendingProcess(P(i), 100 + i);
            pages.RegisterPage(F(i), 100 + i);
        }
        pages.Select(current);
    }
};

TEST(PageRegistry, ALostPageReconnectsInItsPlaceAndTheViewStays) {
    struct Case {
        int current, lost;
    };
    const Case cases[] = {{0, 1}, {0, 0}, {2, 0}, {1, 2}, {2, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "current " << c.current << ", lost " << c.lost);
        Three f(c.current);
        ASSERT_TRUE(f.closed.empty()) << "each tab keeps its own process handle";
        EXPECT_EQ(f.pages.ProcessAt(c.lost), P(c.lost));
        EXPECT_EQ(f.pages.PageEnded(c.lost, false, 5000), PageRegistry::Loss::Restart);
        EXPECT_EQ(f.closed, (std::vector<PageRegistry::Process>{P(c.lost)}));
        EXPECT_EQ(f.pages.Count(), 3);
        EXPECT_EQ(f.pages.FrameCount(), 2);
        EXPECT_EQ(f.pages.Current(), c.current) << "the player's tab does not change";
        EXPECT_TRUE(f.pages.IsReconnecting(c.lost));
        EXPECT_EQ(f.pages.FrameAt(c.lost), nullptr);
        EXPECT_EQ(f.pages.Frames().size(), 2u);
        const std::wstring title = L"t" + std::to_wstring(c.lost);
        EXPECT_EQ(f.pages.TitleAt(c.lost), PageRegistry::kReconnectingMark + title);
        EXPECT_EQ(f.pages.ProcessAt(c.lost), nullptr);
        EXPECT_EQ(f.pages.TitleCount(), 2) << "its account is free";
        EXPECT_EQ(f.pages.PlacesAwaitingLogin(), (std::vector<int>{c.lost}));

        // The new login: the same account may log in again; its frame takes the place.
        ASSERT_TRUE(f.pages.StartedLogin(c.lost, P(9), 900));
        EXPECT_EQ(f.pages.PlaceLogins(), (std::vector<PageRegistry::Process>{P(9)}));
        EXPECT_TRUE(f.pages.PlacesAwaitingLogin().empty());
        EXPECT_EQ(f.pages.ProcessIdAt(c.lost), 900u);
        ASSERT_TRUE(f.pages.AcceptTitle(L"t" + std::to_wstring(c.lost), 900));
        f.pages.SetPendingProcess(P(7), 700);  // a new tab's login meanwhile
        EXPECT_EQ(f.pages.RegisterPage(F(9), 900), c.lost);
        EXPECT_EQ(f.pages.PendingProcess(), P(7)) << "another login is still pending";
        EXPECT_EQ(f.pages.Count(), 3);
        EXPECT_EQ(f.pages.FrameAt(c.lost), F(9));
        EXPECT_EQ(f.pages.TitleAt(c.lost), L"t" + std::to_wstring(c.lost));
        EXPECT_EQ(f.pages.ProcessAt(c.lost), P(9));
        EXPECT_EQ(f.pages.Current(), c.lost) << "the frame the player logged in shows";
        EXPECT_TRUE(f.pages.PlaceLogins().empty());
        EXPECT_FALSE(f.pages.AcceptTitle(L"t" + std::to_wstring(c.lost)));
    }
}

TEST(PageRegistry, APlaceLostTwiceWithinTwoMinutesGoes) {
    struct Case {
        std::uint32_t first, second;
        bool loginLost;  // the second loss is of the place's new login, before its frame
        PageRegistry::Loss expected;
    };
    using L = PageRegistry::Loss;
    const Case cases[] = {
        {1000, 1000 + 119999, false, L::Closed},
        {1000, 1000 + 120000, false, L::Restart},
        {0xFFFFFF00u, 0x100, false, L::Closed},  // across the tick count's wrap
        {1000, 2000, true, L::Closed},
        {1000, 1000 + 200000, true, L::Restart},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << " then " << c.second << (c.loginLost ? " (login)" : ""));
        Three f(2);
        ASSERT_EQ(f.pages.PageEnded(0, false, c.first), L::Restart);
        ASSERT_TRUE(f.pages.StartedLogin(0, P(8), 800));
        if (!c.loginLost) {
            ASSERT_TRUE(f.pages.AcceptTitle(L"new", 800));
            f.pages.RegisterPage(F(8), 800);
            f.pages.Select(2);
        } else {
            ASSERT_TRUE(f.pages.AcceptTitle(L"half", 800));  // its title came, its frame not
        }
        EXPECT_EQ(f.pages.PageEnded(0, false, c.second), c.expected);
        if (c.expected == L::Closed) {
            EXPECT_EQ(f.pages.Count(), 2);
            EXPECT_EQ(f.pages.Frames(), (std::vector<Frame>{F(1), F(2)}));
            EXPECT_EQ(f.pages.CurrentFrame(), F(2)) << "the player's tab does not change";
        } else {
            EXPECT_TRUE(f.pages.IsReconnecting(0));
        }
        EXPECT_TRUE(f.pages.AcceptTitle(c.loginLost ? L"half" : L"new")) << "the lost login's account is free";
        EXPECT_TRUE(f.pages.PlaceLogins().empty());
        EXPECT_EQ(f.closed.size(), 2u) << "both lost processes' handles closed once";
    }
}

TEST(PageRegistry, PlacesThatGoKeepTheVisibleTab) {
    struct Case {
        int current, gone;
        int currentAfter;
        Frame shown;
    };
    const Case cases[] = {
        {0, 1, 0, F(0)}, {2, 0, 1, F(2)}, {2, 1, 1, F(2)},
        {1, 1, 1, F(2)},  // the visible one went: the tab that took its place
        {2, 2, 1, F(1)},     // the last: the new last
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "current " << c.current << ", gone " << c.gone);
        Three f(c.current);
        f.pages.PageEnded(c.gone, false, 0);
        ASSERT_TRUE(f.pages.StartedLogin(c.gone, P(5), 500));
        // The player leaves the new login (exitgame, a refused account...).
        EXPECT_EQ(f.pages.PageEnded(c.gone, true, 1), PageRegistry::Loss::GivenUp);
        EXPECT_EQ(f.pages.Count(), 2);
        EXPECT_EQ(f.pages.Current(), c.currentAfter);
        if (c.shown) EXPECT_EQ(f.pages.CurrentFrame(), c.shown);
        EXPECT_EQ(f.closed.back(), P(5));
    }
}

TEST(PageRegistry, OnlyAPlacesLoginLeavesOnPurposeAndAPlaceWithoutLoginGoes) {
    Three f(0);
    // A registered page never leaves by itself: whatever its exit, it was lost.
    EXPECT_EQ(f.pages.PageEnded(1, true, 0), PageRegistry::Loss::Restart);
    EXPECT_EQ(f.pages.PageEnded(3, false, 0), PageRegistry::Loss::None);
    EXPECT_FALSE(f.pages.StartedLogin(0, P(6), 600)) << "tab 0 is no reconnecting place";
    EXPECT_EQ(f.pages.PageEnded(0, false, 0), PageRegistry::Loss::Restart);
    EXPECT_EQ(f.pages.PlacesAwaitingLogin(), (std::vector<int>{1, 0})) << "highest first";
    ASSERT_TRUE(f.pages.StartedLogin(0, P(7), 700));
    EXPECT_FALSE(f.pages.StartedLogin(0, P(8), 800)) << "its login runs already";
    EXPECT_EQ(f.pages.ProcessAt(0), P(7));
    EXPECT_FALSE(f.pages.StartedLogin(1, nullptr, 0)) << "no process started";
    EXPECT_EQ(f.pages.Count(), 2);
    EXPECT_EQ(f.pages.Frames(), (std::vector<Frame>{F(2)}));
    EXPECT_EQ(f.closed, (std::vector<PageRegistry::Process>{P(1), P(6), P(0), P(8)}));
    // The last place going leaves no tab.
    Fixture one;
    one.Login(L"x", F(1));
    EXPECT_EQ(one.pages.PageEnded(0, false, 0), PageRegistry::Loss::Restart);
    EXPECT_FALSE(one.pages.Empty());
    EXPECT_EQ(one.pages.FrameCount(), 0);
    EXPECT_EQ(one.pages.CurrentFrame(), nullptr);
    EXPECT_EQ(one.pages.PageEnded(0, false, 10), PageRegistry::Loss::Closed);
    EXPECT_TRUE(one.pages.Empty());
    EXPECT_EQ(one.pages.Current(), 0);
}

TEST(PageRegistry, EveryTabsHandleIsClosedOnce) {
    std::vector<PageRegistry::Process> closed;
    {
        PageRegistry pages([&](PageRegistry::Process p) { closed.push_back(p); });
        pages.SetPendingProcess(P(1), 10);
        pages.RegisterPage(F(1), 11);  // another process's frame: the pending one is pending no more
        EXPECT_EQ(closed, (std::vector<PageRegistry::Process>{P(1)}));
        EXPECT_EQ(pages.ProcessAt(0), nullptr);
        pages.AdoptProcess(0, P(2));
        EXPECT_EQ(pages.ProcessAt(0), P(2));
        pages.AdoptProcess(0, P(3));  // it has one already
        pages.AdoptProcess(5, P(4));  // no tab
        EXPECT_EQ(closed, (std::vector<PageRegistry::Process>{P(1), P(3), P(4)}));
        pages.SetPendingProcess(P(5), 12);
        pages.RegisterPage(F(2), 12);
        pages.SetPendingProcess(P(6), 13);
        pages.RegisterPage(F(3), 13);
        EXPECT_EQ(pages.Close(1), F(2));
        EXPECT_EQ(closed.back(), P(5));
        pages.PageEnded(1, false, 0);
        EXPECT_EQ(closed.back(), P(6));
        pages.StartedLogin(1, P(7), 14);
        EXPECT_EQ(pages.Close(1), nullptr) << "a reconnecting place has no frame";
        EXPECT_EQ(closed.back(), P(7));
    }
    EXPECT_EQ(closed, (std::vector<PageRegistry::Process>{P(1), P(3), P(4), P(5), P(6), P(7), P(2)}));
}

TEST(PageRegistry, AReconnectingPlaceTakesOnlyItsOwnLoginsTitleAndFrame) {
    Three f(0);
    f.pages.PageEnded(0, false, 0);
    ASSERT_TRUE(f.pages.StartedLogin(0, P(5), 500));
    // Another login's title and frame go to a new tab, not to the place.
    ASSERT_TRUE(f.pages.AcceptTitle(L"other", 600));
    ASSERT_TRUE(f.pages.AcceptTitle(L"mine", 500));
    EXPECT_EQ(f.pages.RegisterPage(F(6), 600), 3);
    EXPECT_EQ(f.pages.TitleAt(3), L"other");
    EXPECT_TRUE(f.pages.IsReconnecting(0));
    EXPECT_EQ(f.pages.RegisterPage(F(5), 500), 0);
    EXPECT_EQ(f.pages.TitleAt(0), L"mine");
    // A place whose lost page had no title does not take a title before its frame.
    Fixture g;
    g.pages.RegisterPage(F(1), 100);
    g.pages.PageEnded(0, false, 0);
    ASSERT_TRUE(g.pages.StartedLogin(0, P(2), 200));
    EXPECT_EQ(g.pages.TitleAt(0), PageRegistry::kReconnectingMark);
    ASSERT_TRUE(g.pages.AcceptTitle(L"late", 200));
    EXPECT_EQ(g.pages.RegisterPage(F(2), 200), 0);
    EXPECT_EQ(g.pages.TitleAt(0), L"late");
}

}  // namespace
