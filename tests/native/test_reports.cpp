#include <gtest/gtest.h>

#include "VexoConfig.h"
#include "app/DisableDays.h"
#include "app/Endpoints.h"
#include "app/HttpUrl.h"

namespace {

TEST(DisableDays, GeneratorMatchesTheClassicSequence) {
    ClassicLcg lcg;
    EXPECT_EQ(lcg.Next(), 41);
    EXPECT_EQ(lcg.Next(), 18467);
    EXPECT_EQ(lcg.Next(), 6334);
}

TEST(DisableDays, ByteLayoutAndTheNeverEqualRule) {
    // r1 = 41, r2 = 18467 as in every fresh process.
    for (int ms = 0; ms < 1000; ++ms) {
        std::uint32_t v = ComputeDisableDays(ms, 41, 18467);
        unsigned e = v & 0xFF, c = (v >> 8) & 0xFF, d = (v >> 16) & 0xFF;
        ASSERT_EQ(v >> 24, 0u);
        ASSERT_LT(e, 7u);
        ASSERT_LT(c, 7u);
        ASSERT_LT(d, 7u);
        ASSERT_NE(d, c) << ms;
        ASSERT_NE(e, c) << ms;
    }
    // ms = 0: c = 48 % 7 = 6, e = 18474 % 7 = 1, d = 0.
    EXPECT_EQ(ComputeDisableDays(0, 41, 18467), 1u + 256u * 6 + 65536u * 0);
    // ms = 500 wraps: (41 + 7 - 500) mod 2^32 mod 7.
    std::uint32_t c = (41u + 7u - 500u) % 7u;
    std::uint32_t e = (18467u + 7u - 500u) % 7u;
    std::uint32_t d = 500u % 7u;
    if (d == c) d = (d + 6) % 7;
    if (e == c) e = (e + 1) % 7;
    EXPECT_EQ(ComputeDisableDays(500, 41, 18467), e + 256 * c + 65536 * d);
    // d == c moves d back a day; e == c moves e forward.
    std::uint32_t v = ComputeDisableDays(6, 6, 6);  // c = 0, e = 0 -> 1, d = 6
    EXPECT_EQ(v, 1u + 0u + 65536u * 6);
    v = ComputeDisableDays(0, 0, 0);  // c = 0, d = 0 -> 6, e = 0 -> 1
    EXPECT_EQ(v, 1u + 65536u * 6);
}

TEST(HttpUrl, SplitsHostPortAndPath) {
    HttpUrlParts p;
    ASSERT_TRUE(SplitHttpUrl(L"http://stats.example.com/active.htm?a=1", p));
    EXPECT_EQ(p.host, L"stats.example.com");
    EXPECT_EQ(p.port, 80);
    EXPECT_EQ(p.path, L"active.htm?a=1");
    ASSERT_TRUE(SplitHttpUrl(L"HTTP://host:8080/x", p));
    EXPECT_EQ(p.host, L"host");
    EXPECT_EQ(p.port, 8080);
    EXPECT_EQ(p.path, L"x");
    ASSERT_TRUE(SplitHttpUrl(L"http://host", p));
    EXPECT_EQ(p.path, L"");
    EXPECT_FALSE(SplitHttpUrl(L"https://host/x", p));
    EXPECT_FALSE(SplitHttpUrl(L"ftp://host/x", p));
    EXPECT_FALSE(SplitHttpUrl(L"http:/", p));
    EXPECT_FALSE(SplitHttpUrl(L"http://host:/x", p));
    EXPECT_FALSE(SplitHttpUrl(L"http://host:99999/x", p));
    EXPECT_FALSE(SplitHttpUrl(L"http://host:80a/x", p));
    EXPECT_FALSE(SplitHttpUrl(L"http:///x", p));
    // Limits: 259-character host, 511-character path; longer is refused, not cut.
    EXPECT_TRUE(SplitHttpUrl(L"http://" + std::wstring(259, L'h') + L"/" + std::wstring(511, L'p'), p));
    EXPECT_FALSE(SplitHttpUrl(L"http://" + std::wstring(260, L'h') + L"/", p));
    EXPECT_FALSE(SplitHttpUrl(L"http://h/" + std::wstring(512, L'p'), p));
}

TEST(HttpUrl, PercentEncodingIsUtf8) {
    EXPECT_EQ(PercentEncodeUtf8(L""), L"");
    EXPECT_EQ(PercentEncodeUtf8(L"Az09-_.~"), L"Az09-_.~");
    EXPECT_EQ(PercentEncodeUtf8(L"+/%?=\x7f"), L"%2B%2F%25%3F%3D%7F");
    EXPECT_EQ(PercentEncodeUtf8(L"\u00e9\u670d"), L"%C3%A9%E6%9C%8D");
    EXPECT_EQ(PercentEncodeUtf8(std::wstring(1, wchar_t(0xD800))), L"%EF%BF%BD") << "a lone surrogate";
}

TEST(Endpoints, ReportAddresses) {
    std::wstring base = std::wstring(L"http://") + vexo::config::kClientHost;
    EXPECT_EQ(InstallReportUrl(3), base + L"/install.htm?tag=quon&ver=3.0.1.1&count=3");
    EXPECT_EQ(WebActivationReportUrl(1), base + L"/active.htm?tag=webVexo&ver=3.0.1.1&count=1");
    EXPECT_EQ(UninstallReportUrl(4294967295u), base + L"/uninstall.htm?tag=quon&ver=3.0.1.1&count=4294967295");
    EXPECT_EQ(GameActivationReportUrl(1, -2, 1, 1),
              base + L"/active.htm?tag=quon&ver=3.0.1.1&count=1&apartdays=-2&keepdays=1&weekdays=1");
    EXPECT_EQ(LoginReportUrl(L"abc", 2), base + L"/login.htm?tag=quon&ver=3.0.1.1&uid=abc&index=2");
    EXPECT_TRUE(LoginReportUrl(std::wstring(600, L'u'), 1).empty()) << "never sent truncated";
    // The account comes from a web page: encoded, so the server reads the same name.
    EXPECT_EQ(LoginReportUrl(L"a&b#c d", 1), base + L"/login.htm?tag=quon&ver=3.0.1.1&uid=a%26b%23c%20d&index=1");
    EXPECT_EQ(LoginReportUrl(L"宝宝", 3), base + L"/login.htm?tag=quon&ver=3.0.1.1&uid=%E5%AE%9D%E5%AE%9D&index=3");
    EXPECT_EQ(LoginReportUrl(L"x-_.~9", 1), base + L"/login.htm?tag=quon&ver=3.0.1.1&uid=x-_.~9&index=1");
    EXPECT_EQ(LoginPageUrl(), std::wstring(L"http://") + vexo::config::kWebHost + L"/quon/client/v2/index.html?cid=4224");
    EXPECT_EQ(UpdateConfigUrl(L"Quon"), base + L"/update/ConfigQuon.htm");
}

TEST(Endpoints, AccountIdIsTheTextAfterTheLastDash) {
    EXPECT_EQ(AccountIdOfTitle(L"12服-宝宝-abc"), L"abc");
    EXPECT_EQ(AccountIdOfTitle(L"nodash"), L"nodash");
    EXPECT_EQ(AccountIdOfTitle(L"a-"), L"");
}

}  // namespace
