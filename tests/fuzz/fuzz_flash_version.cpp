// The Flash Player version text of the registry.
#include "FuzzInput.h"
#include "app/FlashVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::wstring> fields = FieldsFrom(WideFrom(data, size));
    const std::wstring& a = fields[0];
    IsFlashVersionNewer(a);
    // Strictly newer: never newer than itself, and never both ways.
    FUZZ_CHECK(!IsFlashVersionNewer(a, a));
    if (fields.size() > 1) FUZZ_CHECK(!(IsFlashVersionNewer(a, fields[1]) && IsFlashVersionNewer(fields[1], a)));
    return 0;
}
