// Addresses of the platform's services; the hosts come from the build
// settings (VexoConfig.h), the paths and queries are the platform's.
#pragma once

#include <cstdint>
#include <string>

inline constexpr wchar_t kProductVersion[] = L"3.0.1.1";
// Longest address any request may carry; longer ones are not sent.
inline constexpr std::size_t kMaxAddress = 511;

std::wstring ClientServiceUrl(const std::wstring& pathAndQuery);
std::wstring WebUrl(const std::wstring& pathAndQuery);
std::wstring LoginServiceUrl(const std::wstring& pathAndQuery);
// QQ Connect's authorization page (https), without a query.
std::wstring QQAuthorizeUrl();

std::wstring WebHomePageUrl();
std::wstring LoginPageUrl();
std::wstring HallPageUrl();
std::wstring UpdateConfigUrl(const std::wstring& gameShortName);

// Report addresses; empty when the result would not fit kMaxAddress.
std::wstring InstallReportUrl(std::uint32_t count);
std::wstring WebActivationReportUrl(std::uint32_t count);
std::wstring GameActivationReportUrl(std::uint32_t count, int apartdays, int keepdays, int weekdays);
std::wstring UninstallReportUrl(std::uint32_t count);
// The account id is percent-encoded (UTF-8): it comes from a web page.
std::wstring LoginReportUrl(const std::wstring& uid, int index);

// The account id of a tab title: the text after its last "-", or the whole
// title when it has none.
std::wstring AccountIdOfTitle(const std::wstring& title);
