// Reading the first instructions of a 32-bit x86 function, so that they can be
// moved elsewhere and a jump written over them. Only the shapes that function
// entries begin with are understood; anything else is refused, never guessed.
// Plain C++ on byte arrays: no Windows here, unit-tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

enum class X86Shape {
    Movable,       // runs the same at any address
    Relative,      // branches relative to its own address (jcc, jmp/call rel, loop)
    Unknown,       // an opcode or form the decoder does not handle
    Truncated,     // the instruction would run past the bytes given
};

struct X86Instruction {
    X86Shape shape = X86Shape::Unknown;
    std::size_t length = 0;    // bytes; 0 unless Movable or Relative
    bool endsFlow = false;     // ret or an unconditional jump: nothing after it belongs to this path
};

// Decodes the instruction at code[0], reading no byte at or past code[avail].
X86Instruction DecodeX86(const std::uint8_t* code, std::size_t avail);

struct X86EntryPlan {
    std::size_t copyLength = 0;   // whole instructions covering at least `need` bytes; 0 when refused
    const char* refusal = nullptr;  // why not, when refused
};

// Whether the first `need` bytes of a function entry can be replaced: the
// whole instructions that cover them must all be movable, and none may end
// the function's flow before `need` bytes (the bytes after it would belong to
// something else).
X86EntryPlan PlanX86Entry(const std::uint8_t* code, std::size_t avail, std::size_t need);

// The size of the jump written at a patched entry.
constexpr std::size_t kX86JumpLength = 5;

// Writes "jmp rel32" (E9) at out[0..4] for a jump placed at address `from` to `to`.
void WriteX86Jump(std::uint8_t* out, std::uint32_t from, std::uint32_t to);

// Where the jump at code[0..4] leads, given its address; false unless it is E9 rel32.
bool ReadX86Jump(const std::uint8_t* code, std::size_t avail, std::uint32_t at, std::uint32_t& to);
