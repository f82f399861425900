// The portable rules of self-update and of the one transfer routine.
#include <gtest/gtest.h>

#include "app/TransferRules.h"
#include "app/UpdateConfig.h"
#include "app/UpdateGate.h"
#include "app/VersionKey.h"

namespace {

const std::vector<std::wstring> kDomains = {L"vexo.com", L"vexo.cn", L"vexogame.com"};

TEST(DownloadAllowList, ParsesTheHostInsteadOfSearchingTheAddress) {
    struct Case {
        const wchar_t* url;
        bool allowed;
    } cases[] = {
        {L"http://vexo.com/x.exe", true},
        {L"http://dl.vexo.com/files/x.exe", true},
        {L"http://a.b.vexo.cn:8080/x.exe", true},
        {L"HTTP://DL.VEXOGAME.COM/X.EXE", true},
        {L"http://vexo.com", true},
        {L"http://evil.example/vexo.com/x.exe", false},  // the substring trick
        {L"http://evil.example/?d=vexo.com", false},
        {L"http://evil.example?vexo.com/x.exe", false},
        {L"http://vexo.com@evil.example/x.exe", false},
        {L"http://vexo.com.evil.example/x.exe", false},
        {L"http://evilvexo.com/x.exe", false},
        {L"http://xvexo.cn/x.exe", false},
        {L"http://.vexo.com/x.exe", false},
        {L"http://a..vexo.com/x.exe", false},
        {L"http://vexo.com./x.exe", false},
        {L"http://vexo.com:99999/x.exe", false},
        {L"http://vexo.com:/x.exe", false},
        {L"http://vexo.com\\@evil.example/x.exe", false},
        {L"https://vexo.com/x.exe", false},
        {L"ftp://vexo.com/x.exe", false},
        {L"file:///C:/vexo.com/x.exe", false},
        {L"vexo.com/x.exe", false},
        {L"", false},
        {L"http://", false},
        {L"http://vexo.co/x.exe", false},
        {L"http://com/x.exe", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsAllowedDownloadUrl(c.url, kDomains), c.allowed) << c.url;
}

TEST(DownloadAllowList, AnIpAddressDomainIsMatchedWhole) {
    const std::vector<std::wstring> local = {L"127.0.0.1", L"localhost", L"vexo.test"};
    EXPECT_TRUE(IsAllowedDownloadUrl(L"http://127.0.0.1:47180/files/Quon.exe", local));
    EXPECT_TRUE(IsAllowedDownloadUrl(L"http://LOCALHOST/x", local));
    EXPECT_FALSE(IsAllowedDownloadUrl(L"http://127.1:47180/files/Quon.exe", local));
    EXPECT_FALSE(IsAllowedDownloadUrl(L"http://227.0.0.1/x", local));
    EXPECT_FALSE(IsAllowedDownloadUrl(L"http://evil/127.0.0.1/x", local));
}

TEST(DownloadAllowList, AnOverlongAddressIsNeverAccepted) {
    std::wstring url = L"http://vexo.com/" + std::wstring(600, L'a');
    EXPECT_FALSE(IsAllowedDownloadUrl(url, kDomains));
}

TEST(TransferRules, OnlyA2xxAnswerWithALengthIsRead) {
    struct Case {
        bool statusRead;
        const wchar_t* status;
        std::uint32_t lengthBytes, length;
        TransferStatus expected;
    } cases[] = {
        {true, L"200", 4, 1000, TransferStatus::Ok},
        {true, L"206", 4, 1, TransferStatus::Ok},
        {true, L"404", 4, 9, TransferStatus::NotFound},
        {true, L"500", 4, 9, TransferStatus::BadStatus},
        {true, L"302", 4, 9, TransferStatus::Redirected},
        {true, L"301", 0, 0, TransferStatus::Redirected},
        {true, L"307", 4, 9, TransferStatus::Redirected},
        {true, L"3x2", 4, 9, TransferStatus::BadStatus},
        {true, L"30", 4, 9, TransferStatus::BadStatus},
        {false, L"302", 4, 9, TransferStatus::BadStatus},
        {true, L"200", 4, 1000, TransferStatus::Ok},  // at the limit below
        {true, L"200", 4, 1001, TransferStatus::TooLarge},
        {true, L"200", 4, 0xFFFFFFFFu, TransferStatus::TooLarge},
        {true, L"20", 4, 9, TransferStatus::BadStatus},
        {true, L"2000", 4, 9, TransferStatus::BadStatus},
        {true, L"2x0", 4, 9, TransferStatus::BadStatus},
        {false, L"200", 4, 9, TransferStatus::BadStatus},
        {true, L"200", 0, 0, TransferStatus::NoLength},
        {true, L"200", 8, 9, TransferStatus::NoLength},
        {true, L"200", 4, 0, TransferStatus::EmptyBody},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckAnswer(c.statusRead, c.status, c.lengthBytes, c.length, 1000), c.expected) << c.status;
}

TEST(TransferRules, TheLimitsAreNamedAndTheRunningTotalIsHeldToThem) {
    EXPECT_EQ(kMaxConfigBytes, 64u * 1024);
    EXPECT_EQ(kMaxExecutableBytes, 64u * 1024 * 1024);
    struct Case {
        std::uint64_t total;
        std::uint32_t max;
        TransferStatus expected;
    } cases[] = {
        {0, kMaxConfigBytes, TransferStatus::Ok},
        {kMaxConfigBytes, kMaxConfigBytes, TransferStatus::Ok},
        {kMaxConfigBytes + 1ull, kMaxConfigBytes, TransferStatus::TooLarge},
        {kMaxExecutableBytes + 1ull, kMaxExecutableBytes, TransferStatus::TooLarge},
        {1ull << 40, kMaxExecutableBytes, TransferStatus::TooLarge},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckRunningTotal(c.total, c.max), c.expected) << c.total;
    EXPECT_EQ(CheckAnswer(true, L"200", 4, kMaxConfigBytes + 1, kMaxConfigBytes), TransferStatus::TooLarge);
    EXPECT_EQ(CheckAnswer(true, L"200", 4, kMaxConfigBytes, kMaxConfigBytes), TransferStatus::Ok);
}

TEST(TransferRules, ABodyIsCompleteAtItsLengthOrBeyond) {
    EXPECT_EQ(CheckBody(999, 1000), TransferStatus::Short);
    EXPECT_EQ(CheckBody(0, 1000), TransferStatus::Short);
    EXPECT_EQ(CheckBody(1000, 1000), TransferStatus::Ok);
    EXPECT_EQ(CheckBody(1500, 1000), TransferStatus::Ok);  // more than announced: not the player's fault
    EXPECT_EQ(CheckBody(0, 0), TransferStatus::EmptyBody);
}

TEST(TransferRules, ProgressIsTotalTimesHundredOverLengthRoundedDown) {
    struct Case {
        std::uint64_t total;
        std::uint32_t length;
        unsigned percent;
    } cases[] = {
        {512, 1000000, 0},
        {10240, 1000000, 1},
        {999999, 1000000, 99},
        {1000000, 1000000, 100},
        {3000000, 1000000, 100},
        {100, 0, 0},  // no division by zero
        // 4 GB lengths do not overflow the product.
        {0xFFFFFFFFull, 0xFFFFFFFFu, 100},
        {0x7FFFFFFFull, 0xFFFFFFFFu, 49},
        // Nor do totals far past the length, whose product would wrap.
        {1ull << 62, 1000, 100},
        {0xFFFFFFFFFFFFFFFFull, 1, 100},
        {184467440737095517ull, 1000, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressPercent(c.total, c.length), c.percent) << c.total << " of " << c.length;
}

TEST(TransferRules, EachProgressValueIsToldOnce) {
    ProgressNotifier n;
    std::vector<unsigned> told;
    for (std::uint64_t total = 0; total <= 1000000; total += 512)
        if (n.Changed(ProgressPercent(total, 1000000))) told.push_back(ProgressPercent(total, 1000000));
    ASSERT_EQ(told.size(), 100u);  // 0 .. 99; 1000000 is not a multiple of 512
    for (unsigned i = 0; i < told.size(); ++i) EXPECT_EQ(told[i], i);
    EXPECT_TRUE(n.Changed(100));
    EXPECT_FALSE(n.Changed(100));
}

TEST(TransferRules, ReadsGrowOnAFastLineAndShrinkOnASlowOne) {
    ReadSizer s;
    EXPECT_EQ(s.Next(), 64u * 1024);
    s.Took(s.Next(), s.Next(), 1);
    EXPECT_EQ(s.Next(), 128u * 1024);
    for (int i = 0; i < 10; ++i) s.Took(s.Next(), s.Next(), 1);
    EXPECT_EQ(s.Next(), ReadSizer::kMaxBytes);
    s.Took(s.Next(), 1000, 900);  // the short last read says nothing
    EXPECT_EQ(s.Next(), ReadSizer::kMaxBytes);
    s.Took(s.Next(), s.Next(), 100);  // on target: stays
    EXPECT_EQ(s.Next(), ReadSizer::kMaxBytes);
    // 1 MiB in 1000 ms: 100 ms read about 104 857 bytes, kept to 16 KiB steps.
    s.Took(s.Next(), s.Next(), 1000);
    EXPECT_EQ(s.Next(), 96u * 1024);
    s.Took(s.Next(), s.Next(), 60000);  // a crawl: the floor
    EXPECT_EQ(s.Next(), ReadSizer::kMinBytes);
    s.Took(s.Next() * 2, s.Next() * 2, 1);  // not the size it was asked for
    EXPECT_EQ(s.Next(), ReadSizer::kMinBytes);
}

TEST(TransferRules, AReadOfAnyDurationIsJudgedByItsDuration) {
    // Whatever a read took, from a blink to the longest a tick count can
    // tell: quick ones double the size, slow ones shrink it, in between it stays.
    struct Case {
        std::uint32_t elapsedMs;
        std::uint32_t next;
    } cases[] = {
        {0, 128 * 1024},
        {49, 128 * 1024},
        {50, 64 * 1024},
        {200, 64 * 1024},
        {201, 16 * 1024},  // 65536 × 100 / 201 = 32605, down to a whole 16 KiB
        {0x7FFFFFFFu, ReadSizer::kMinBytes},
        {0x80000000u, ReadSizer::kMinBytes},
        {0x80000010u, ReadSizer::kMinBytes},
        {0xFFFFFFFFu, ReadSizer::kMinBytes},
    };
    for (const Case& c : cases) {
        ReadSizer s;
        s.Took(s.Next(), s.Next(), c.elapsedMs);
        EXPECT_EQ(s.Next(), c.next) << c.elapsedMs << " ms";
    }
}

TEST(VersionKey, LastDigitsAreTheVersionWithoutDots) {
    // MD5("") and MD5("abc") of RFC 1321.
    const std::uint8_t empty[16] = {0xd4, 0x1d, 0x8c, 0xd9, 0x8f, 0x00, 0xb2, 0x04,
                                    0xe9, 0x80, 0x09, 0x98, 0xec, 0xf8, 0x42, 0x7e};
    const std::uint8_t abc[16] = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                                  0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
    EXPECT_EQ(HexDigits(empty, 16), L"d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(VersionKeyFromDigest(empty, L"3.0.1.1"), L"d41d8cd98f00b204e9800998ecf83011");
    EXPECT_EQ(VersionKeyFromDigest(abc, L"3.0.1.1"), L"900150983cd24fb0d6963f7d28e13011");
    // The same bytes under another version are another key.
    EXPECT_EQ(VersionKeyFromDigest(abc, L"3.0.1.2"), L"900150983cd24fb0d6963f7d28e13012");
    EXPECT_EQ(VersionKeyFromDigest(abc, L"10.20"), L"900150983cd24fb0d6963f7d28e11020");
    EXPECT_EQ(VersionKeyFromDigest(abc, L""), L"900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(VersionKeyFromDigest(abc, std::wstring(40, L'7')), std::wstring(32, L'7'));
}

TEST(VersionKey, KeysCompareIgnoringCase) {
    EXPECT_FALSE(VersionKeysDiffer(L"900150983cd24fb0d6963f7d28e13011", L"900150983CD24FB0D6963F7D28E13011"));
    EXPECT_TRUE(VersionKeysDiffer(L"900150983cd24fb0d6963f7d28e13011", L"900150983cd24fb0d6963f7d28e13012"));
    EXPECT_TRUE(VersionKeysDiffer(L"900150983cd24fb0d6963f7d28e13011", L"900150983cd24fb0d6963f7d28e1301"));
    EXPECT_TRUE(VersionKeysDiffer(L"abc", L""));
}

TEST(UpdateConfig, ReadsTheGamesKeyAndTheAddressLikeTheProfileFunctions) {
    const std::string text =
        "\xEF\xBB\xBF; published\r\n[Other]\r\nQuon=wrong\r\n[ verkey ]\r\n  QUON = \"abc123\"  \r\n"
        "UpdAddr=http://dl.vexo.com/VexoQuon.exe\r\nQuon=second\r\n";
    UpdateConfig c = ParseUpdateConfig(text, "Quon");
    EXPECT_EQ(c.verKey, "abc123");
    EXPECT_EQ(c.updAddr, "http://dl.vexo.com/VexoQuon.exe");
    EXPECT_EQ(ParseUpdateConfig(text, "Abc").verKey, "");
    // LF line ends, no final line end.
    c = ParseUpdateConfig("[VerKey]\nAbc=k\nUpdAddr=http://x.vexo.cn/a.exe", "Abc");
    EXPECT_EQ(c.verKey, "k");
    EXPECT_EQ(c.updAddr, "http://x.vexo.cn/a.exe");
    EXPECT_EQ(ProfileValue("", "VerKey", "Quon"), "");
    EXPECT_EQ(ProfileValue("Quon=x\r\n", "VerKey", "Quon"), "");  // outside any section
    EXPECT_EQ(ProfileValue("[VerKey]\r\nQuon\r\nQuon=y\r\n", "VerKey", "Quon"), "y");
}

TEST(UpdateConfig, KeysAreCutAtSixtyThreeAndOverlongAddressesDropped) {
    const std::string key(70, 'k');
    const std::string address = "http://vexo.com/" + std::string(496, 'a');  // 512 characters
    UpdateConfig c = ParseUpdateConfig("[VerKey]\r\nQuon=" + key + "\r\nUpdAddr=" + address + "\r\n", "Quon");
    EXPECT_EQ(c.verKey, std::string(63, 'k'));
    EXPECT_EQ(c.updAddr, "");
    c = ParseUpdateConfig("[VerKey]\r\nUpdAddr=" + address.substr(1) + "\r\n", "Quon");
    EXPECT_EQ(c.updAddr.size(), 511u);
}

TEST(UpdateGate, OncePerUtcDayAndNeverOnADisabledWeekday) {
    const std::uint8_t none[4] = {0, 0, 0, 0};
    const std::uint8_t days[4] = {2, 5, 0, 0};  // Tuesday, Friday, Sunday
    const UtcDay today{2026, 12, 9};
    EXPECT_FALSE(IsCheckDue(true, today, today, 3, true, none));
    EXPECT_TRUE(IsCheckDue(true, UtcDay{2026, 12, 8}, today, 3, true, none));
    EXPECT_TRUE(IsCheckDue(true, UtcDay{2025, 12, 9}, today, 3, true, none));
    EXPECT_TRUE(IsCheckDue(false, today, today, 3, true, none));  // a missing value never equals today
    EXPECT_FALSE(IsCheckDue(false, UtcDay{}, today, 2, true, days));
    EXPECT_FALSE(IsCheckDue(false, UtcDay{}, today, 5, true, days));
    EXPECT_FALSE(IsCheckDue(false, UtcDay{}, today, 0, true, days));
    EXPECT_TRUE(IsCheckDue(false, UtcDay{}, today, 3, true, days));
    EXPECT_TRUE(IsCheckDue(false, UtcDay{}, today, 0, false, days));  // unreadable: nothing disabled
    EXPECT_FALSE(IsWeekdayDisabled(true, none, 0));                   // 0 disables nothing
}

}  // namespace
