#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "browser/X86Entry.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Decodes from a buffer of exactly the given size, so that AddressSanitizer
// sees any read past it.
X86Instruction Decode(const Bytes& b) {
    std::vector<std::uint8_t> exact(b);
    return DecodeX86(exact.data(), exact.size());
}

struct Case {
    Bytes code;
    X86Shape shape;
    std::size_t length;
};

TEST(X86Decode, LengthsOfEntryInstructions) {
    const Case cases[] = {
        {{0x8D, 0x4C, 0x24, 0x04}, X86Shape::Movable, 4},        // lea ecx,[esp+4]
        {{0x83, 0xE4, 0xF0}, X86Shape::Movable, 3},              // and esp,-16
        {{0xFF, 0x71, 0xFC}, X86Shape::Movable, 3},              // push [ecx-4]
        {{0x8B, 0xFF}, X86Shape::Movable, 2},                    // mov edi,edi
        {{0x55}, X86Shape::Movable, 1},                          // push ebp
        {{0x8B, 0xEC}, X86Shape::Movable, 2},                    // mov ebp,esp
        {{0x89, 0xE5}, X86Shape::Movable, 2},                    // mov ebp,esp
        {{0x83, 0xEC, 0x1C}, X86Shape::Movable, 3},              // sub esp,28
        {{0x81, 0xEC, 0x00, 0x01, 0x00, 0x00}, X86Shape::Movable, 6},
        {{0x66, 0x81, 0xEC, 0x00, 0x01}, X86Shape::Movable, 5},  // 16-bit immediate
        {{0x6A, 0x10}, X86Shape::Movable, 2},
        {{0x68, 1, 2, 3, 4}, X86Shape::Movable, 5},
        {{0xB8, 1, 2, 3, 4}, X86Shape::Movable, 5},
        {{0x66, 0xB8, 1, 2}, X86Shape::Movable, 4},
        {{0x8B, 0x44, 0x24, 0x04}, X86Shape::Movable, 4},        // mov eax,[esp+4]
        {{0x8B, 0x84, 0x24, 1, 2, 3, 4}, X86Shape::Movable, 7},  // mov eax,[esp+disp32]
        {{0x8B, 0x04, 0x25, 1, 2, 3, 4}, X86Shape::Movable, 7},  // SIB without base: disp32
        {{0xA1, 1, 2, 3, 4}, X86Shape::Movable, 5},              // mov eax,[abs]
        {{0x8B, 0x0D, 1, 2, 3, 4}, X86Shape::Movable, 6},        // mov ecx,[abs]
        {{0x64, 0xA1, 0x18, 0, 0, 0}, X86Shape::Movable, 6},     // mov eax,fs:[18h]
        {{0x33, 0xC0}, X86Shape::Movable, 2},
        {{0x31, 0xC0}, X86Shape::Movable, 2},
        {{0x3D, 1, 2, 3, 4}, X86Shape::Movable, 5},
        {{0x0C, 1}, X86Shape::Movable, 2},
        {{0xC7, 0x45, 0xFC, 1, 2, 3, 4}, X86Shape::Movable, 7},  // mov [ebp-4],imm32
        {{0xC6, 0x00, 1}, X86Shape::Movable, 3},
        {{0xF7, 0xC1, 1, 2, 3, 4}, X86Shape::Movable, 6},        // test ecx,imm32
        {{0xF7, 0xD8}, X86Shape::Movable, 2},                    // neg eax
        {{0xF6, 0x41, 0x04, 0x01}, X86Shape::Movable, 4},        // test byte [ecx+4],1
        {{0xFF, 0x25, 1, 2, 3, 4}, X86Shape::Movable, 6},        // jmp [abs]: an import thunk
        {{0xFF, 0x15, 1, 2, 3, 4}, X86Shape::Movable, 6},        // call [abs]
        {{0xFF, 0xE0}, X86Shape::Movable, 2},                    // jmp eax
        {{0x0F, 0x1F, 0x44, 0x00, 0x00}, X86Shape::Movable, 5},  // five-byte nop
        {{0x66, 0x0F, 0x1F, 0x44, 0, 0}, X86Shape::Movable, 6},
        {{0x0F, 0xB6, 0x45, 0x08}, X86Shape::Movable, 4},        // movzx eax, byte [ebp+8]
        {{0xC8, 0x10, 0x00, 0x00}, X86Shape::Movable, 4},        // enter
        {{0xC2, 0x0C, 0x00}, X86Shape::Movable, 3},
        {{0xC3}, X86Shape::Movable, 1},
        {{0x90}, X86Shape::Movable, 1},
        {{0xE8, 1, 2, 3, 4}, X86Shape::Relative, 5},
        {{0xE9, 1, 2, 3, 4}, X86Shape::Relative, 5},
        {{0xEB, 0x05}, X86Shape::Relative, 2},
        {{0x74, 0x05}, X86Shape::Relative, 2},
        {{0x0F, 0x84, 1, 2, 3, 4}, X86Shape::Relative, 6},
        {{0xE3, 0x05}, X86Shape::Relative, 2},
        {{0xCC}, X86Shape::Unknown, 0},                          // a breakpoint, not code
        {{0x67, 0x8B, 0x00}, X86Shape::Unknown, 0},              // 16-bit addressing
        {{0x8D, 0xC0}, X86Shape::Unknown, 0},                    // lea of a register
        {{0xFF, 0xF8}, X86Shape::Unknown, 0},
        {{0x0F, 0x0B}, X86Shape::Unknown, 0},                    // ud2
        {{0x66, 0x66, 0x66, 0x66, 0x90}, X86Shape::Unknown, 0},  // more prefixes than entries carry
        {{0x66, 0x66, 0x66, 0x90}, X86Shape::Movable, 4},
    };
    for (const Case& c : cases) {
        X86Instruction ins = Decode(c.code);
        std::string bytes;
        for (auto b : c.code) bytes += std::to_string(b) + " ";
        EXPECT_EQ(ins.shape, c.shape) << bytes;
        EXPECT_EQ(ins.length, c.length) << bytes;
        if (ins.shape == X86Shape::Movable) EXPECT_EQ(ins.length, c.code.size()) << bytes;
    }
}

TEST(X86Decode, AnInstructionCutShortIsTruncatedAtEveryLength) {
    const Bytes whole[] = {
        {0x8D, 0x4C, 0x24, 0x04}, {0x81, 0xEC, 0, 1, 0, 0}, {0x8B, 0x04, 0x25, 1, 2, 3, 4},
        {0x64, 0xA1, 0x18, 0, 0, 0}, {0xF7, 0xC1, 1, 2, 3, 4}, {0x0F, 0xB6, 0x45, 0x08},
        {0x66, 0x0F, 0x1F, 0x44, 0, 0}, {0xE8, 1, 2, 3, 4}, {0xC8, 0x10, 0, 0},
    };
    for (const Bytes& code : whole) {
        for (std::size_t n = 0; n < code.size(); ++n) {
            Bytes cut(code.begin(), code.begin() + n);
            X86Instruction ins = Decode(cut);
            EXPECT_EQ(ins.shape, X86Shape::Truncated) << "first " << n << " bytes of an instruction starting "
                                                      << int(code[0]);
            EXPECT_EQ(ins.length, 0u);
        }
    }
    EXPECT_EQ(DecodeX86(nullptr, 5).shape, X86Shape::Truncated);
}

TEST(X86Decode, NeverReadsPastTheBytesGiven) {
    // Random code of every short length: whatever comes back, the length fits
    // (AddressSanitizer checks the reads themselves).
    std::mt19937 random(12345);
    for (int round = 0; round < 20000; ++round) {
        std::size_t n = random() % 18;
        std::vector<std::uint8_t> code(n);
        for (auto& b : code) b = static_cast<std::uint8_t>(random());
        X86Instruction ins = DecodeX86(code.data(), code.size());
        ASSERT_LE(ins.length, n);
        if (ins.shape == X86Shape::Movable || ins.shape == X86Shape::Relative) ASSERT_GT(ins.length, 0u);
        else ASSERT_EQ(ins.length, 0u);
    }
}

TEST(X86Entry, PlansWholeInstructionsCoveringTheJump) {
    // Wine's 32-bit audio entries: stack realignment, then the frame.
    const Bytes wine = {0x8D, 0x4C, 0x24, 0x04, 0x83, 0xE4, 0xF0, 0xFF, 0x71, 0xFC, 0x55, 0x89, 0xE5};
    X86EntryPlan plan = PlanX86Entry(wine.data(), wine.size(), kX86JumpLength);
    EXPECT_EQ(plan.copyLength, 7u);
    EXPECT_EQ(plan.refusal, nullptr);
    // Windows XP's system entries: mov edi,edi; push ebp; mov ebp,esp.
    const Bytes xp = {0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x83, 0xEC, 0x10};
    EXPECT_EQ(PlanX86Entry(xp.data(), xp.size(), kX86JumpLength).copyLength, 5u);
    // Exactly enough bytes.
    EXPECT_EQ(PlanX86Entry(xp.data(), 5, kX86JumpLength).copyLength, 5u);
}

TEST(X86Entry, RefusesWhatCannotMove) {
    struct Refused {
        Bytes code;
        const char* why;
    };
    const Refused refused[] = {
        {{0x55, 0xE8, 1, 2, 3, 4}, "a call relative to its address"},
        {{0xE9, 1, 2, 3, 4}, "an entry already patched"},
        {{0x85, 0xC0, 0x74, 0x05, 0x90}, "a short jcc"},
        {{0x33, 0xC0, 0xC3, 0x55, 0x8B, 0xEC}, "a tiny function: ret before five bytes"},
        {{0xFF, 0x25, 1, 2}, "cut short"},
        {{0x55, 0xCC, 0xCC, 0xCC, 0xCC}, "unknown"},
        {{0x8B, 0xFF, 0x55}, "too few bytes readable"},
    };
    for (const Refused& r : refused) {
        Bytes exact(r.code);
        X86EntryPlan plan = PlanX86Entry(exact.data(), exact.size(), kX86JumpLength);
        EXPECT_EQ(plan.copyLength, 0u) << r.why;
        EXPECT_NE(plan.refusal, nullptr) << r.why;
    }
    // A jump through memory longer than five bytes ends the flow after them: fine.
    const Bytes thunk = {0xFF, 0x25, 1, 2, 3, 4};
    EXPECT_EQ(PlanX86Entry(thunk.data(), thunk.size(), kX86JumpLength).copyLength, 6u);
}

TEST(X86Entry, JumpsRoundTripAcrossTheAddressSpace) {
    const std::uint32_t pairs[][2] = {
        {0x6F25BC36, 0x00401000}, {0x00401000, 0x6F25BC36}, {0x10, 0xFFFFFF00}, {0xFFFFFF00, 0x10}, {0x1000, 0x1005}};
    for (const auto& p : pairs) {
        std::uint8_t code[kX86JumpLength];
        WriteX86Jump(code, p[0], p[1]);
        EXPECT_EQ(code[0], 0xE9);
        std::uint32_t to = 0;
        ASSERT_TRUE(ReadX86Jump(code, sizeof code, p[0], to));
        EXPECT_EQ(to, p[1]);
    }
    std::uint8_t here[kX86JumpLength];
    WriteX86Jump(here, 0x1000, 0x1005);  // to the next instruction: displacement 0
    EXPECT_EQ(Bytes(here, here + 5), (Bytes{0xE9, 0, 0, 0, 0}));
    std::uint32_t to = 0;
    EXPECT_FALSE(ReadX86Jump(here, 4, 0x1000, to));
    const std::uint8_t notJump[] = {0xE8, 0, 0, 0, 0};
    EXPECT_FALSE(ReadX86Jump(notJump, 5, 0x1000, to));
}

}  // namespace
