// Addresses and ports: report and download addresses, percent-encoding.
#include "FuzzInput.h"
#include "app/HttpUrl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = WideFrom(data, size);
    HttpUrlParts parts;
    if (SplitHttpUrl(text, parts)) {
        FUZZ_CHECK(parts.port != 0);
        FUZZ_CHECK(parts.host.size() <= 259 && parts.path.size() <= 511);
        FUZZ_CHECK(parts.host.find(L'/') == std::wstring::npos && parts.host.find(L':') == std::wstring::npos);
    }
    // The encoded text is a plain query value: unreserved characters and %XX.
    std::wstring encoded = PercentEncodeUtf8(text);
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        wchar_t c = encoded[i];
        bool plain = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'-' ||
                     c == L'_' || c == L'.' || c == L'~';
        if (!plain) {
            FUZZ_CHECK(c == L'%' && i + 2 < encoded.size());
            i += 2;
        }
    }
    return 0;
}
