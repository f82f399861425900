#include "browser/X86Entry.h"

namespace {

// Reads bytes strictly inside [0, avail); `ok` turns false at the first
// attempt past the end and stays false.
class Cursor {
public:
    Cursor(const std::uint8_t* code, std::size_t avail) : m_code(code), m_avail(avail) {}
    std::uint8_t Next() {
        if (!m_ok || m_pos >= m_avail) {
            m_ok = false;
            return 0;
        }
        return m_code[m_pos++];
    }
    void Skip(std::size_t n) {
        if (!m_ok || n > m_avail - m_pos) {
            m_ok = false;
            return;
        }
        m_pos += n;
    }
    bool Ok() const { return m_ok; }
    std::size_t Pos() const { return m_pos; }

private:
    const std::uint8_t* m_code;
    std::size_t m_avail;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

// The ModRM byte and what follows it in 32-bit addressing (SIB, displacement).
// Returns the reg field. An absolute disp32 (mod 0, rm 5) is movable: 32-bit
// code has no instruction-relative data addressing.
int SkipModRM(Cursor& c) {
    std::uint8_t modrm = c.Next();
    int mod = modrm >> 6, rm = modrm & 7;
    if (mod != 3 && rm == 4) {
        std::uint8_t sib = c.Next();
        if (mod == 0 && (sib & 7) == 5) c.Skip(4);
    }
    if (mod == 0 && rm == 5) c.Skip(4);
    else if (mod == 1) c.Skip(1);
    else if (mod == 2) c.Skip(4);
    return (modrm >> 3) & 7;
}

bool IsRegisterModRM(const std::uint8_t* code, std::size_t at, std::size_t avail) {
    return at < avail && (code[at] >> 6) == 3;
}

X86Instruction Done(Cursor& c, X86Shape shape, bool endsFlow = false) {
    X86Instruction ins;
    if (!c.Ok()) {
        ins.shape = X86Shape::Truncated;
        return ins;
    }
    ins.shape = shape;
    ins.length = c.Pos();
    ins.endsFlow = endsFlow;
    return ins;
}

X86Instruction Unknown() { return X86Instruction{}; }

// Two-byte opcodes (0F xx) seen in function entries: the multi-byte no-op,
// moves with zero or sign extension, conditional moves and sets, imul, and
// the plain SSE moves and xors of spilled registers. Near jcc is relative.
X86Instruction DecodeTwoByte(Cursor& c) {
    std::uint8_t op = c.Next();
    if (!c.Ok()) return Done(c, X86Shape::Movable);
    if (op >= 0x80 && op <= 0x8F) {
        c.Skip(4);
        return Done(c, X86Shape::Relative);
    }
    bool modrmOnly = op == 0x1F || (op >= 0x40 && op <= 0x4F) || (op >= 0x90 && op <= 0x9F) || op == 0xAF ||
                     op == 0xB6 || op == 0xB7 || op == 0xBE || op == 0xBF || op == 0x10 || op == 0x11 ||
                     op == 0x28 || op == 0x29 || op == 0x57 || op == 0x6F || op == 0x7F || op == 0xD6 ||
                     op == 0xEF;
    if (!modrmOnly) return Unknown();
    SkipModRM(c);
    return Done(c, X86Shape::Movable);
}

}  // namespace

X86Instruction DecodeX86(const std::uint8_t* code, std::size_t avail) {
    if (!code) return X86Instruction{X86Shape::Truncated, 0, false};
    Cursor c(code, avail);
    bool operand16 = false;
    std::uint8_t op = 0;
    for (int prefixes = 0;; ++prefixes) {
        op = c.Next();
        if (!c.Ok()) return Done(c, X86Shape::Movable);
        bool segment = op == 0x26 || op == 0x2E || op == 0x36 || op == 0x3E || op == 0x64 || op == 0x65;
        if (op == 0x66) operand16 = true;
        else if (op == 0x67) return Unknown();  // 16-bit addressing: another ModRM table
        else if (!segment && op != 0xF0 && op != 0xF2 && op != 0xF3) break;
        if (prefixes == 3) return Unknown();
    }
    const std::size_t imm = operand16 ? 2 : 4;

    // The eight arithmetic groups 00-3F: r/m forms, then al/eax immediates.
    if (op < 0x40 && (op & 7) < 6) {
        switch (op & 7) {
        case 4: c.Skip(1); break;
        case 5: c.Skip(imm); break;
        default: SkipModRM(c); break;
        }
        return Done(c, X86Shape::Movable);
    }
    if (op == 0x0F) return DecodeTwoByte(c);
    switch (op) {
    case 0x06: case 0x07: case 0x0E: case 0x16: case 0x17: case 0x1E: case 0x1F:
        return Done(c, X86Shape::Movable);
    default: break;
    }
    if (op >= 0x40 && op <= 0x61) return Done(c, X86Shape::Movable);  // inc, dec, push, pop, pusha, popa
    if (op >= 0x90 && op <= 0x99) return Done(c, X86Shape::Movable);  // xchg/nop, cwde, cdq
    if (op >= 0xB0 && op <= 0xB7) { c.Skip(1); return Done(c, X86Shape::Movable); }
    if (op >= 0xB8 && op <= 0xBF) { c.Skip(imm); return Done(c, X86Shape::Movable); }
    if (op >= 0x70 && op <= 0x7F) { c.Skip(1); return Done(c, X86Shape::Relative); }
    if (op >= 0xE0 && op <= 0xE3) { c.Skip(1); return Done(c, X86Shape::Relative); }
    if (op >= 0xF8 && op <= 0xFD) return Done(c, X86Shape::Movable);  // clc … std
    switch (op) {
    case 0x68: c.Skip(imm); return Done(c, X86Shape::Movable);
    case 0x6A: c.Skip(1); return Done(c, X86Shape::Movable);
    case 0x69: SkipModRM(c); c.Skip(imm); return Done(c, X86Shape::Movable);
    case 0x6B: SkipModRM(c); c.Skip(1); return Done(c, X86Shape::Movable);
    case 0x80: case 0x83: case 0xC0: case 0xC1: case 0xC6:
        SkipModRM(c); c.Skip(1); return Done(c, X86Shape::Movable);
    case 0x81: case 0xC7:
        SkipModRM(c); c.Skip(imm); return Done(c, X86Shape::Movable);
    case 0x84: case 0x85: case 0x86: case 0x87: case 0x88: case 0x89: case 0x8A: case 0x8B:
    case 0x8C: case 0x8E: case 0x8F: case 0xD0: case 0xD1: case 0xD2: case 0xD3: case 0xFE:
        SkipModRM(c); return Done(c, X86Shape::Movable);
    case 0x8D:  // lea needs a memory operand; of a register it is no instruction
        if (IsRegisterModRM(code, c.Pos(), avail)) return Unknown();
        SkipModRM(c); return Done(c, X86Shape::Movable);
    case 0x9C: case 0x9D: case 0xC9: return Done(c, X86Shape::Movable);  // pushf, popf, leave
    case 0xA0: case 0xA1: case 0xA2: case 0xA3: c.Skip(4); return Done(c, X86Shape::Movable);  // mov moffs
    case 0xA8: c.Skip(1); return Done(c, X86Shape::Movable);
    case 0xA9: c.Skip(imm); return Done(c, X86Shape::Movable);
    case 0xC2: c.Skip(2); return Done(c, X86Shape::Movable, true);
    case 0xC3: return Done(c, X86Shape::Movable, true);
    case 0xC8: c.Skip(3); return Done(c, X86Shape::Movable);  // enter
    case 0xE8: c.Skip(4); return Done(c, X86Shape::Relative);
    case 0xE9: c.Skip(4); return Done(c, X86Shape::Relative, true);
    case 0xEB: c.Skip(1); return Done(c, X86Shape::Relative, true);
    case 0xF6: case 0xF7: {
        int reg = SkipModRM(c);
        if (reg == 0 || reg == 1) c.Skip(op == 0xF6 ? 1 : imm);  // test r/m, imm
        return Done(c, X86Shape::Movable);
    }
    case 0xFF: {
        // inc, dec, push, and calls and jumps through a register or an
        // absolute memory slot: all run the same from another address.
        int reg = SkipModRM(c);
        if (reg == 7) return Unknown();
        return Done(c, X86Shape::Movable, reg == 4 || reg == 5);
    }
    default: return Unknown();
    }
}

X86EntryPlan PlanX86Entry(const std::uint8_t* code, std::size_t avail, std::size_t need) {
    X86EntryPlan plan;
    std::size_t at = 0;
    while (at < need) {
        X86Instruction ins = DecodeX86(code + at, avail - at);
        switch (ins.shape) {
        case X86Shape::Relative: plan.refusal = "an instruction relative to its own address"; return plan;
        case X86Shape::Unknown: plan.refusal = "an instruction the decoder does not know"; return plan;
        case X86Shape::Truncated: plan.refusal = "the code ends inside an instruction"; return plan;
        case X86Shape::Movable: break;
        }
        at += ins.length;
        if (ins.endsFlow && at < need) {
            plan.refusal = "the function's flow ends before the jump would";
            return plan;
        }
    }
    plan.copyLength = at;
    return plan;
}

void WriteX86Jump(std::uint8_t* out, std::uint32_t from, std::uint32_t to) {
    std::uint32_t rel = to - (from + static_cast<std::uint32_t>(kX86JumpLength));
    out[0] = 0xE9;
    for (int i = 0; i < 4; ++i) out[1 + i] = static_cast<std::uint8_t>(rel >> (8 * i));
}

bool ReadX86Jump(const std::uint8_t* code, std::size_t avail, std::uint32_t at, std::uint32_t& to) {
    if (!code || avail < kX86JumpLength || code[0] != 0xE9) return false;
    std::uint32_t rel = 0;
    for (int i = 0; i < 4; ++i) rel |= std::uint32_t(code[1 + i]) << (8 * i);
    to = at + static_cast<std::uint32_t>(kX86JumpLength) + rel;
    return true;
}
