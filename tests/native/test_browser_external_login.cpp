// The QQ and Sina Weibo login's addresses: recognised only where they begin.
#include <gtest/gtest.h>

#include "browser/ExternalLogin.h"

namespace {

const std::wstring kBase = L"http://passport.example:81";
const std::wstring kAuthorize = L"https://graph.qq.example/oauth2.0/authorize";

TEST(ExternalLoginRedirect, RecognisedOnlyAtTheStart) {
    struct Case {
        std::wstring url;
        ExternalLoginKind kind;
    } cases[] = {
        {kBase + L"/qzone/redirectToAuthorize.do?cid=1", ExternalLoginKind::QQ},
        {kBase + L"/weibo/redirectToAuthorize.do?x", ExternalLoginKind::Weibo},
        {L"HTTP://PASSPORT.example:81/qzone/redirectToAuthorize.do?", ExternalLoginKind::QQ},  // scheme, host: any case
        {kBase + L"/QZONE/redirectToAuthorize.do?", ExternalLoginKind::None},                 // the path: exactly
        {L"http://a/?next=" + kBase + L"/qzone/redirectToAuthorize.do?", ExternalLoginKind::None},
        {L"x" + kBase + L"/weibo/redirectToAuthorize.do?", ExternalLoginKind::None},
        {kBase + L"/qzone/redirectToAuthorize.do", ExternalLoginKind::None},  // no "?"
        {L"http://passport.example:810/qzone/redirectToAuthorize.do?", ExternalLoginKind::None},
        {L"http://passport.example:81.evil/qzone/redirectToAuthorize.do?", ExternalLoginKind::None},
        {L"https://passport.example:81/qzone/redirectToAuthorize.do?", ExternalLoginKind::None},
        {L"http://other/qzone/redirectToAuthorize.do?x", ExternalLoginKind::None},
        {kBase + L"/qzone/callback.do?code=1", ExternalLoginKind::None},
        {kBase + L"/x/qzone/redirectToAuthorize.do?", ExternalLoginKind::None},
        {L"", ExternalLoginKind::None},
        {kBase, ExternalLoginKind::None},
    };
    for (const Case& c : cases) EXPECT_EQ(ExternalLoginRedirectOf(c.url, kBase), c.kind) << std::string(c.url.begin(), c.url.end());
    EXPECT_EQ(ExternalLoginRedirectOf(kBase + L"/qzone/redirectToAuthorize.do?", L""), ExternalLoginKind::None);
}

TEST(ExternalLoginRedirect, TitleIsQQsOnlyForQQ) {
    EXPECT_STREQ(ExternalLoginTitle(ExternalLoginKind::QQ), L"QQ账号安全登录");
    EXPECT_STREQ(ExternalLoginTitle(ExternalLoginKind::Weibo), L"新浪微博账号安全登录");
    EXPECT_STREQ(ExternalLoginTitle(ExternalLoginKind::None), L"新浪微博账号安全登录");
}

TEST(ExternalLoginCallback, ThreePagesAtPositionZero) {
    struct Case {
        std::wstring url;
        bool callback;
    } cases[] = {
        {kBase + L"/qzone/callback.do?code=abc", true},
        {kBase + L"/qzone/callback.do?code=", true},
        {kBase + L"/weibo/callback.do?state=1&code=2", true},
        {kBase + L"/weibo/callback.do?stateless", true},
        {kBase + L"/qzone/extAutoBind.do", true},
        {kBase + L"/qzone/extAutoBind.do?openid=1", true},
        {L"Http://Passport.Example:81/qzone/callback.do?code=1", true},
        {L"http://x/?u=" + kBase + L"/qzone/callback.do?code=abc", false},
        {L" " + kBase + L"/qzone/callback.do?code=abc", false},
        {kBase + L"/qzone/callback.do?state=1", false},
        {kBase + L"/weibo/callback.do?code=1", false},
        {kBase + L"/qzone/callback.do", false},
        {kBase + L"/qzone/extautobind.do", false},
        {L"http://passport.example:8/qzone/callback.do?code=1", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsExternalLoginCallback(c.url, kBase), c.callback) << std::string(c.url.begin(), c.url.end());
}

TEST(QQAuthorize, HttpsHostAndPathAtTheStart) {
    EXPECT_TRUE(IsQQAuthorizeAddress(kAuthorize + L"?response_type=code&client_id=1", kAuthorize));
    EXPECT_TRUE(IsQQAuthorizeAddress(kAuthorize, kAuthorize));
    EXPECT_TRUE(IsQQAuthorizeAddress(L"HTTPS://Graph.QQ.example/oauth2.0/authorize?x", kAuthorize));
    EXPECT_FALSE(IsQQAuthorizeAddress(L"http://graph.qq.example/oauth2.0/authorize?x", kAuthorize));
    EXPECT_FALSE(IsQQAuthorizeAddress(L"https://graph.qq.example/OAUTH2.0/authorize", kAuthorize));
    EXPECT_FALSE(IsQQAuthorizeAddress(L"https://x/?r=" + kAuthorize, kAuthorize));
    EXPECT_FALSE(IsQQAuthorizeAddress(L"https://graph.qq.example.evil/oauth2.0/authorize", kAuthorize));
    EXPECT_FALSE(IsQQAuthorizeAddress(kAuthorize, L"no scheme"));
    EXPECT_FALSE(IsQQAuthorizeAddress(kAuthorize, L"https://hostonly"));
}

TEST(Cookies, LookedUpByWholeName) {
    EXPECT_TRUE(CookieTextHas(L"Pauth=qq_1", L"Pauth"));
    EXPECT_TRUE(CookieTextHas(L"JSESSIONID=2; Pauth=qq_1", L"Pauth"));
    EXPECT_TRUE(CookieTextHas(L"a=1;Pauth=x;b=2", L"Pauth"));
    EXPECT_TRUE(CookieTextHas(L"Pauth=", L"Pauth"));
    EXPECT_TRUE(CookieTextHas(L"Pauth", L"Pauth"));
    EXPECT_FALSE(CookieTextHas(L"", L"Pauth"));
    EXPECT_FALSE(CookieTextHas(L"JSESSIONID=2", L"Pauth"));
    EXPECT_FALSE(CookieTextHas(L"XPauth=1; Pauthx=2", L"Pauth"));
    EXPECT_FALSE(CookieTextHas(L"pauth=1", L"Pauth"));
    EXPECT_FALSE(CookieTextHas(L"a=Pauth=1", L"Pauth"));
    EXPECT_FALSE(CookieTextHas(L"Pauth=1", L""));
}

TEST(ExternalBrowser, GluedBelowTheCaptionInsideTheBorder) {
    BrowserPlacement p = ExternalBrowserPlacement(270, 160, 740, 480);
    EXPECT_EQ(p.x, 274);
    EXPECT_EQ(p.y, 190);
    EXPECT_EQ(p.cx, 732);
    EXPECT_EQ(p.cy, 446);
}

}  // namespace
