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

}  // namespace
