// The signer certificate's public key, read from DER bytes that come with a
// downloaded file; and the name of the update signal, read from the
// environment.
#include <algorithm>
#include <string>

#include "FuzzInput.h"
#include "app/SignerRule.h"
#include "app/UpdateStart.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> key;
    if (CertificatePublicKey(data, size, key)) {
        // The key is a whole DER sequence lying inside the input.
        FUZZ_CHECK(key.size() >= 2 && key[0] == 0x30 && key.size() <= size);
        FUZZ_CHECK(std::search(data, data + size, key.begin(), key.end()) != data + size);
    } else {
        FUZZ_CHECK(key.empty());
    }
    const std::wstring name = WideFrom(data, size);
    if (IsUpdateSignalName(name)) FUZZ_CHECK(name.rfind(L"Local\\VexoQuon-update-", 0) == 0);
    return 0;
}
