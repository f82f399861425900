#include "app/TransferRules.h"

#include <cwctype>

#include "VexoConfig.h"
#include "app/HttpUrl.h"

namespace {

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = wchar_t(std::towlower(c));
    return s;
}

bool IsHostChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'-' || c == L'.';
}

// Letters, digits, "-" and "." only, and no empty label ("a..b", ".a", "a.").
bool IsPlainHost(const std::wstring& host) {
    if (host.empty() || host.front() == L'.' || host.back() == L'.') return false;
    for (std::size_t i = 0; i < host.size(); ++i) {
        if (!IsHostChar(host[i])) return false;
        if (host[i] == L'.' && i + 1 < host.size() && host[i + 1] == L'.') return false;
    }
    return true;
}

bool EndsWith(const std::wstring& s, const std::wstring& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsThreeDigits(const std::wstring& text) {
    if (text.size() != 3) return false;
    for (wchar_t c : text)
        if (c < L'0' || c > L'9') return false;
    return true;
}

}  // namespace

bool IsAllowedDownloadUrl(const std::wstring& url, const std::vector<std::wstring>& domains) {
    HttpUrlParts parts;
    if (!SplitHttpUrl(url, parts)) return false;
    const std::wstring host = Lower(parts.host);
    if (!IsPlainHost(host)) return false;
    for (const std::wstring& d : domains) {
        const std::wstring domain = Lower(d);
        if (domain.empty()) continue;
        if (host == domain || EndsWith(host, L"." + domain)) return true;
    }
    return false;
}

bool IsPlatformDownloadUrl(const std::wstring& url) {
    const std::vector<std::wstring> domains(std::begin(vexo::config::kDomains), std::end(vexo::config::kDomains));
    return IsAllowedDownloadUrl(url, domains);
}

bool IsAcceptedStatus(const std::wstring& statusText) { return IsThreeDigits(statusText) && statusText[0] == L'2'; }

TransferStatus CheckAnswer(bool statusRead, const std::wstring& statusText, std::uint32_t lengthBytes,
                           std::uint32_t contentLength, std::uint32_t maxBytes) {
    if (!statusRead) return TransferStatus::BadStatus;
    if (statusText == L"404") return TransferStatus::NotFound;
    // Redirects are off: a 3xx names another place, which is never asked.
    if (IsThreeDigits(statusText) && statusText[0] == L'3') return TransferStatus::Redirected;
    if (!IsAcceptedStatus(statusText)) return TransferStatus::BadStatus;
    if (lengthBytes != 4) return TransferStatus::NoLength;
    if (contentLength == 0) return TransferStatus::EmptyBody;
    if (contentLength > maxBytes) return TransferStatus::TooLarge;
    return TransferStatus::Ok;
}

TransferStatus CheckRunningTotal(std::uint64_t total, std::uint32_t maxBytes) {
    return total > maxBytes ? TransferStatus::TooLarge : TransferStatus::Ok;
}

TransferStatus CheckBody(std::uint64_t total, std::uint32_t contentLength) {
    if (contentLength == 0) return TransferStatus::EmptyBody;
    return total >= contentLength ? TransferStatus::Ok : TransferStatus::Short;
}

unsigned ProgressPercent(std::uint64_t total, std::uint32_t contentLength) {
    if (contentLength == 0) return 0;
    // Past the length the product could wrap; below it, it stays under 2^39.
    if (total >= contentLength) return 100;
    return unsigned(total * 100 / contentLength);
}

void ReadSizer::Took(std::uint32_t asked, std::uint32_t got, std::uint32_t elapsedMs) {
    if (got < asked || asked != m_size) return;
    if (elapsedMs < kTargetMs / 2) {  // not elapsedMs * 2, which wraps for the longest reads
        m_size = m_size >= kMaxBytes / 2 ? kMaxBytes : m_size * 2;
    } else if (elapsedMs > 2 * kTargetMs) {
        // Straight to the size the measured rate reads in the target time.
        const std::uint64_t fit = std::uint64_t(asked) * kTargetMs / elapsedMs;
        m_size = fit <= kMinBytes ? kMinBytes : std::uint32_t(fit / kMinBytes * kMinBytes);
    }
}
