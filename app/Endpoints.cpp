#include "app/Endpoints.h"

#include <cwchar>
#include <vector>

#include "VexoConfig.h"
#include "app/HttpUrl.h"

namespace {

std::wstring Http(const wchar_t* host, const std::wstring& pathAndQuery) {
    return std::wstring(L"http://") + host + pathAndQuery;
}

std::wstring FitOrEmpty(std::wstring url) {
    return url.size() <= kMaxAddress ? url : std::wstring();
}

std::wstring WithCount(const wchar_t* pathAndQuery, std::uint32_t count) {
    wchar_t tail[32];
    std::swprintf(tail, 32, L"&count=%u", count);
    return FitOrEmpty(ClientServiceUrl(pathAndQuery) + tail);
}

}  // namespace

std::wstring ClientServiceUrl(const std::wstring& p) { return Http(vexo::config::kClientHost, p); }
std::wstring WebUrl(const std::wstring& p) { return Http(vexo::config::kWebHost, p); }
std::wstring LoginServiceUrl(const std::wstring& p) { return Http(vexo::config::kLoginHost, p); }
std::wstring QQAuthorizeUrl() { return std::wstring(L"https://") + vexo::config::kQQAuthHost + L"/oauth2.0/authorize"; }

std::wstring WebHomePageUrl() { return WebUrl(L"/"); }
std::wstring LoginPageUrl() { return WebUrl(L"/quon/client/v2/index.html?cid=4224"); }
std::wstring HallPageUrl() { return ClientServiceUrl(L"/webgame.htm"); }
std::wstring UpdateConfigUrl(const std::wstring& name) {
    return ClientServiceUrl(L"/update/Config" + name + L".htm");
}

std::wstring InstallReportUrl(std::uint32_t count) {
    return WithCount(L"/install.htm?tag=quon&ver=3.0.1.1", count);
}

std::wstring WebActivationReportUrl(std::uint32_t count) {
    return WithCount(L"/active.htm?tag=webVexo&ver=3.0.1.1", count);
}

std::wstring UninstallReportUrl(std::uint32_t count) {
    return WithCount(L"/uninstall.htm?tag=quon&ver=3.0.1.1", count);
}

std::wstring GameActivationReportUrl(std::uint32_t count, int apartdays, int keepdays, int weekdays) {
    wchar_t tail[96];
    std::swprintf(tail, 96, L"&count=%u&apartdays=%d&keepdays=%d&weekdays=%d", count, apartdays,
                  keepdays, weekdays);
    return FitOrEmpty(ClientServiceUrl(L"/active.htm?tag=quon&ver=3.0.1.1") + tail);
}

std::wstring LoginReportUrl(const std::wstring& uid, int index) {
    wchar_t tail[32];
    std::swprintf(tail, 32, L"&index=%d", index);
    return FitOrEmpty(ClientServiceUrl(L"/login.htm?tag=quon&ver=3.0.1.1&uid=") + PercentEncodeUtf8(uid) + tail);
}

std::wstring AccountIdOfTitle(const std::wstring& title) {
    std::size_t dash = title.rfind(L'-');
    return dash == std::wstring::npos ? title : title.substr(dash + 1);
}
