// Redirecting functions of this process to replacements of our own, at the
// functions' entries, so that every caller in the process is caught, also code
// of modules loaded later that never went through our import table.
//
// A patch overwrites the first whole instructions of the function with a jump
// to the replacement; the instructions overwritten move to a trampoline that
// ends with a jump back behind them, and the replacement calls the original
// through that trampoline. Entries whose first instructions cannot move (see
// browser/X86Entry.h) are refused, and so is every other attach of the same
// transaction: nothing changes.
//
// Use, on one thread at a time:
//     EntryPatchTransaction t;                 // begin
//     t.Attach(&real, Replacement, L"name");   // real: the function's entry
//     if (t.Commit()) ...                      // now real is the trampoline
// and later, in another transaction, t.Detach(&real, L"name"), after whose
// commit real is the entry again. While a transaction commits, every other
// thread of the process is held, and one that stood inside the bytes being
// replaced is moved to the same instruction at their new place.
//
// Built for 32-bit x86 only; elsewhere every attach is refused.
#pragma once

#include <vector>

class EntryPatchTransaction {
public:
    EntryPatchTransaction() = default;
    ~EntryPatchTransaction();  // a transaction not committed changes nothing
    EntryPatchTransaction(const EntryPatchTransaction&) = delete;
    EntryPatchTransaction& operator=(const EntryPatchTransaction&) = delete;

    // *real: the entry of the function to redirect to `replacement`. False
    // (and a debug message saying why) when the entry cannot be patched.
    bool Attach(void** real, void* replacement, const wchar_t* name);
    // *real: a trampoline that an earlier commit gave out.
    bool Detach(void** real, const wchar_t* name);
    // Applies every attach and detach, or none when one of them was refused or
    // the code's protection cannot be changed. Once only.
    bool Commit();

private:
    struct Op {
        void** real;
        int patch;      // index into the process's patch records
        bool attach;
    };
    std::vector<Op> m_ops;
    bool m_refused = false;
    bool m_done = false;
};
