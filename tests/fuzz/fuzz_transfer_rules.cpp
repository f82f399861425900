// The rules of a download that outside parties feed: the address (from the
// update configuration or a page), the domains it is checked against, the
// server's status and length, the bytes that arrived and how long reads took.
// The first byte chooses which.
#include "FuzzInput.h"
#include "VexoConfig.h"
#include "app/TransferRules.h"

namespace {

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c; }

std::wstring AsciiLower(std::wstring s) {
    for (wchar_t& c : s) c = AsciiLower(c);
    return s;
}

// The host of an address read by hand, apart from the code under test:
// "http://", then up to the first "/" the authority, whose part after a
// ":" is a port of 1 to 5 digits from 1 to 65535; at most 259 characters
// before the path and 511 in it; the host made of non-empty labels of
// letters, digits and "-" joined by ".". Lower-cased.
bool ReadHost(const std::wstring& url, std::wstring& host) {
    static const wchar_t kScheme[] = L"http://";
    if (url.size() < 7) return false;
    for (int i = 0; i < 7; ++i)
        if (AsciiLower(url[i]) != kScheme[i]) return false;
    const std::size_t slash = url.find(L'/', 7);
    const std::size_t authorityEnd = slash == std::wstring::npos ? url.size() : slash;
    const std::size_t pathLength = slash == std::wstring::npos ? 0 : url.size() - slash - 1;
    if (authorityEnd - 7 > 259 || pathLength > 511) return false;
    std::wstring authority = url.substr(7, authorityEnd - 7);
    const std::size_t colon = authority.find(L':');
    if (colon != std::wstring::npos) {
        const std::wstring port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5) return false;
        unsigned value = 0;
        for (wchar_t c : port) {
            if (c < L'0' || c > L'9') return false;
            value = value * 10 + unsigned(c - L'0');
        }
        if (value < 1 || value > 65535) return false;
        authority.resize(colon);
    }
    host = AsciiLower(authority);
    std::size_t labelStart = 0;
    for (std::size_t i = 0; i <= host.size(); ++i) {
        if (i == host.size() || host[i] == L'.') {
            if (i == labelStart) return false;  // an empty label, or no host at all
            labelStart = i + 1;
            continue;
        }
        const wchar_t c = host[i];
        if (!((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'-')) return false;
    }
    return true;
}

bool HostIsUnder(const std::wstring& host, const std::wstring& domainText) {
    const std::wstring domain = AsciiLower(domainText);
    if (domain.empty()) return false;
    if (host == domain) return true;
    return host.size() > domain.size() && host[host.size() - domain.size() - 1] == L'.' &&
           host.compare(host.size() - domain.size(), domain.size(), domain) == 0;
}

bool ExpectedAllowed(const std::wstring& url, const std::vector<std::wstring>& domains) {
    std::wstring host;
    if (!ReadHost(url, host)) return false;
    for (const std::wstring& d : domains)
        if (HostIsUnder(host, d)) return true;
    return false;
}

void Addresses(FuzzReader& in) {
    const std::vector<std::wstring> fields = FieldsFrom(in.RestAsWide());
    const std::wstring& url = fields[0];
    const std::vector<std::wstring> platform(std::begin(vexo::config::kDomains), std::end(vexo::config::kDomains));
    const std::vector<std::wstring> others(fields.begin() + 1, fields.end());
    for (int round = 0; round < 2; ++round) {
        const std::vector<std::wstring>& domains = round == 0 ? platform : others;
        const bool allowed = round == 0 ? IsPlatformDownloadUrl(url) : IsAllowedDownloadUrl(url, domains);
        if (allowed) {
            // What is fetched is plain HTTP from one of the domains, whatever the path says.
            FUZZ_CHECK(AsciiLower(url.substr(0, 7)) == L"http://");
            std::wstring host;
            FUZZ_CHECK(ReadHost(url, host));
            bool under = false;
            for (const std::wstring& d : domains) under = under || HostIsUnder(host, d);
            FUZZ_CHECK(under);
        }
        FUZZ_CHECK(allowed == ExpectedAllowed(url, domains));
    }
}

void Answer(FuzzReader& in) {
    const std::uint8_t flags = in.Byte();
    const bool statusRead = flags & 1;
    const std::uint32_t lengthBytes = in.Byte() & 15;
    const std::uint32_t length = in.Take<std::uint32_t>();
    const std::uint64_t total = in.Take<std::uint64_t>();
    const std::wstring status = in.RestAsWide();

    const bool accepted = status.size() == 3 && status[0] == L'2' && status[1] >= L'0' && status[1] <= L'9' &&
                          status[2] >= L'0' && status[2] <= L'9';
    FUZZ_CHECK(IsAcceptedStatus(status) == accepted);
    const std::uint32_t limit = flags & 2 ? kMaxConfigBytes : kMaxExecutableBytes;
    const TransferStatus verdict = CheckAnswer(statusRead, status, lengthBytes, length, limit);
    FUZZ_CHECK((verdict == TransferStatus::Ok) ==
               (statusRead && accepted && lengthBytes == 4 && length > 0 && length <= limit));
    const bool threeDigits = status.size() == 3 && status[0] >= L'0' && status[0] <= L'9' && status[1] >= L'0' &&
                             status[1] <= L'9' && status[2] >= L'0' && status[2] <= L'9';
    FUZZ_CHECK((verdict == TransferStatus::Redirected) == (statusRead && threeDigits && status[0] == L'3'));
    FUZZ_CHECK((verdict == TransferStatus::NotFound) == (statusRead && status == L"404"));
    FUZZ_CHECK(CheckRunningTotal(total, limit) == (total > limit ? TransferStatus::TooLarge : TransferStatus::Ok));

    const TransferStatus body = CheckBody(total, length);
    FUZZ_CHECK(body == (length == 0 ? TransferStatus::EmptyBody
                                    : total >= length ? TransferStatus::Ok : TransferStatus::Short));

    // total × 100 / length without overflow, capped.
    const unsigned percent = ProgressPercent(total, length);
    if (length == 0) {
        FUZZ_CHECK(percent == 0);
    } else {
        const unsigned __int128 exact = (unsigned __int128)total * 100 / length;
        FUZZ_CHECK(percent == (exact > 100 ? 100u : unsigned(exact)));
        FUZZ_CHECK((percent == 100) == (total >= length));
    }
    FUZZ_CHECK(ProgressPercent(total / 2, length) <= percent);

    // The notifier tells a figure only when it differs from the last one told.
    ProgressNotifier notifier;
    FUZZ_CHECK(notifier.Changed(percent));
    FUZZ_CHECK(!notifier.Changed(percent));
    FUZZ_CHECK(notifier.Changed(percent + 1) && notifier.Changed(percent));
}

void Reads(FuzzReader& in) {
    ReadSizer sizer;
    for (int step = 0; step < 64 && !in.AtEnd(); ++step) {
        const std::uint8_t kind = in.Byte();
        const std::uint32_t before = sizer.Next();
        // A read is mostly of the size the sizer said, and never returns more than asked.
        const std::uint32_t asked = (kind & 1) ? in.Take<std::uint32_t>() : before;
        const std::uint32_t raw = in.Take<std::uint32_t>();
        const std::uint32_t got = (kind & 2) ? asked : std::uint32_t(raw % (std::uint64_t(asked) + 1));
        const std::uint32_t elapsed = (kind & 4) ? in.Take<std::uint32_t>() : in.Take<std::uint16_t>();
        sizer.Took(asked, got, elapsed);
        const std::uint32_t after = sizer.Next();

        FUZZ_CHECK(after >= ReadSizer::kMinBytes && after <= ReadSizer::kMaxBytes);
        FUZZ_CHECK(after % ReadSizer::kMinBytes == 0);
        if (got < asked || asked != before) {
            FUZZ_CHECK(after == before);  // says nothing about the rate
        } else if (elapsed < ReadSizer::kTargetMs / 2) {
            FUZZ_CHECK(after == (before >= ReadSizer::kMaxBytes / 2 ? ReadSizer::kMaxBytes : before * 2));
        } else if (elapsed > 2 * ReadSizer::kTargetMs) {
            // Never larger than what reads in the target time at the measured rate, but for the floor.
            FUZZ_CHECK(after <= before);
            FUZZ_CHECK(after == ReadSizer::kMinBytes ||
                       std::uint64_t(after) * elapsed <= std::uint64_t(asked) * ReadSizer::kTargetMs);
        } else {
            FUZZ_CHECK(after == before);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader in(data, size);
    switch (in.Byte() % 3) {
        case 0: Addresses(in); break;
        case 1: Answer(in); break;
        default: Reads(in); break;
    }
    return 0;
}
