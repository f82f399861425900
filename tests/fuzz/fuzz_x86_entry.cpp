// The entry-patching decoder on arbitrary bytes: never reads past them, and a
// plan covers whole instructions of at least the bytes asked for.
#include "FuzzInput.h"
#include "browser/X86Entry.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy: ASan reports any read past it.
    std::unique_ptr<std::uint8_t[]> code(new std::uint8_t[size ? size : 1]);
    if (size) std::memcpy(code.get(), data, size);
    X86Instruction one = DecodeX86(code.get(), size);
    FUZZ_CHECK(one.length <= size);
    X86EntryPlan plan = PlanX86Entry(code.get(), size, kX86JumpLength);
    if (plan.copyLength) FUZZ_CHECK(plan.copyLength >= kX86JumpLength && plan.copyLength <= size);
    std::uint32_t to = 0;
    ReadX86Jump(code.get(), size, 0x1000, to);
    return 0;
}
