#include "browser/EntryPatch.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "browser/X86Entry.h"
#include "framework/Handles.h"

namespace {

#if defined(__i386__) || defined(_M_IX86)
constexpr bool kPatchableCode = true;
#else
constexpr bool kPatchableCode = false;
#endif

// The longest copy: the instruction that covers the jump's last byte may start
// at offset 4 and be 15 bytes long. A slot holds it and the jump back.
constexpr std::size_t kMaxCopy = 4 + 15;
constexpr std::size_t kSlotSize = 32;
constexpr std::size_t kReadAhead = 32;
constexpr int kMaxPatches = 16;

struct PatchRecord {
    std::uint8_t* target = nullptr;
    std::uint8_t* trampoline = nullptr;
    void* replacement = nullptr;
    std::uint8_t original[kMaxCopy] = {};
    std::size_t copyLength = 0;
    bool inUse = false;    // reserved by a transaction or in place
    bool active = false;   // the jump is in place
};

// Records and trampolines live for the whole process: a thread may still be
// running in a trampoline after its patch was removed.
PatchRecord g_patches[kMaxPatches];
std::uint8_t* g_slots = nullptr;
std::size_t g_slotsUsed = 0;
std::size_t g_slotsSize = 0;

void Log(const wchar_t* format, ...) {
    wchar_t text[320];
    va_list args;
    va_start(args, format);
    _vsnwprintf(text, 319, format, args);
    va_end(args);
    text[319] = 0;
    ::OutputDebugStringW(text);
}

std::uint32_t Address(const void* p) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p)); }

// How many bytes from `at` can be read: the rest of its committed, readable region.
std::size_t ReadableBytes(const void* at, std::size_t most) {
    MEMORY_BASIC_INFORMATION mbi{};
    if (!::VirtualQuery(at, &mbi, sizeof mbi) || mbi.State != MEM_COMMIT) return 0;
    if (mbi.Protect & (PAGE_NOACCESS | PAGE_GUARD)) return 0;
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
    const std::uintptr_t from = reinterpret_cast<std::uintptr_t>(at);
    return end > from ? (end - from < most ? end - from : most) : 0;
}

std::uint8_t* TakeSlot() {
    if (!g_slots) {
        SYSTEM_INFO si{};
        ::GetSystemInfo(&si);
        g_slotsSize = si.dwPageSize;
        g_slots = static_cast<std::uint8_t*>(
            ::VirtualAlloc(nullptr, g_slotsSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READ));
        if (!g_slots) return nullptr;
    }
    if (g_slotsUsed + kSlotSize > g_slotsSize) return nullptr;
    std::uint8_t* slot = g_slots + g_slotsUsed;
    g_slotsUsed += kSlotSize;
    return slot;
}

// The moved instructions and the jump back behind them.
bool WriteTrampoline(const PatchRecord& p) {
    DWORD old = 0;
    if (!::VirtualProtect(g_slots, g_slotsSize, PAGE_EXECUTE_READWRITE, &old)) return false;
    std::memcpy(p.trampoline, p.original, p.copyLength);
    WriteX86Jump(p.trampoline + p.copyLength, Address(p.trampoline + p.copyLength), Address(p.target + p.copyLength));
    ::VirtualProtect(g_slots, g_slotsSize, PAGE_EXECUTE_READ, &old);
    ::FlushInstructionCache(::GetCurrentProcess(), p.trampoline, p.copyLength + kX86JumpLength);
    return true;
}

// Every other thread of the process, held while the code changes under them.
// Everything that allocates happens before the first thread is held: a held
// thread may own the heap's lock.
class OtherThreads {
public:
    bool Hold() {
        fw::Handle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
        if (!snap) return false;
        const DWORD pid = ::GetCurrentProcessId(), self = ::GetCurrentThreadId();
        THREADENTRY32 te{};
        te.dwSize = sizeof te;
        m_threads.reserve(64);
        for (BOOL more = ::Thread32First(snap.Get(), &te); more; more = ::Thread32Next(snap.Get(), &te)) {
            if (te.th32OwnerProcessID != pid || te.th32ThreadID == self) continue;
            HANDLE h = ::OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_SET_CONTEXT, FALSE,
                                    te.th32ThreadID);
            if (h) m_threads.push_back(Held{fw::Handle(h), false});
        }
        for (Held& t : m_threads) t.suspended = ::SuspendThread(t.handle.Get()) != static_cast<DWORD>(-1);
        return true;
    }

    // A held thread about to run an instruction in [from, from + length)
    // continues at the same offset from `to`.
    void MoveOut(const std::uint8_t* from, std::size_t length, const std::uint8_t* to) {
#if defined(__i386__) || defined(_M_IX86)
        for (Held& t : m_threads) {
            if (!t.suspended) continue;
            CONTEXT ctx{};
            ctx.ContextFlags = CONTEXT_CONTROL;
            if (!::GetThreadContext(t.handle.Get(), &ctx)) continue;
            const std::uint32_t ip = ctx.Eip, start = Address(from);
            if (ip < start || ip - start >= length) continue;
            ctx.Eip = Address(to) + (ip - start);
            ::SetThreadContext(t.handle.Get(), &ctx);
        }
#else
        (void)from; (void)length; (void)to;
#endif
    }

    ~OtherThreads() {
        for (Held& t : m_threads)
            if (t.suspended) ::ResumeThread(t.handle.Get());
    }

private:
    struct Held {
        fw::Handle handle;
        bool suspended;
    };
    std::vector<Held> m_threads;
};

int FindActive(const std::uint8_t* target) {
    for (int i = 0; i < kMaxPatches; ++i)
        if (g_patches[i].inUse && g_patches[i].target == target) return i;
    return -1;
}

}  // namespace

bool EntryPatchTransaction::Attach(void** real, void* replacement, const wchar_t* name) {
    if (m_done) return false;
    auto refuse = [&](const wchar_t* why) {
        Log(L"VexoQuon: %ls is not redirected: %ls", name, why);
        m_refused = true;
        return false;
    };
    if (!kPatchableCode) return refuse(L"entry patching is built for 32-bit x86 only");
    if (!real || !*real || !replacement) return refuse(L"no function");
    auto* target = static_cast<std::uint8_t*>(*real);
    if (FindActive(target) >= 0) return refuse(L"it is redirected already");
    const std::size_t avail = ReadableBytes(target, kReadAhead);
    X86EntryPlan plan = PlanX86Entry(target, avail, kX86JumpLength);
    if (!plan.copyLength || plan.copyLength > kMaxCopy) {
        wchar_t why[200] = {};
        std::size_t n = avail < 8 ? avail : 8;
        int at = _snwprintf(why, 120, L"%hs; entry", plan.refusal ? plan.refusal : "too long to move");
        for (std::size_t i = 0; i < n && at > 0 && at < 190; ++i) at += _snwprintf(why + at, 6, L" %02X", target[i]);
        why[199] = 0;
        return refuse(why);
    }
    int index = -1;
    for (int i = 0; i < kMaxPatches && index < 0; ++i)
        if (!g_patches[i].inUse) index = i;
    if (index < 0) return refuse(L"too many redirected functions");
    std::uint8_t* slot = TakeSlot();
    if (!slot) return refuse(L"no room for its moved instructions");
    PatchRecord& p = g_patches[index];
    p = PatchRecord{};
    p.target = target;
    p.trampoline = slot;
    p.replacement = replacement;
    p.copyLength = plan.copyLength;
    std::memcpy(p.original, target, plan.copyLength);
    p.inUse = true;
    m_ops.push_back(Op{real, index, true});
    return true;
}

bool EntryPatchTransaction::Detach(void** real, const wchar_t* name) {
    if (m_done) return false;
    for (int i = 0; i < kMaxPatches; ++i) {
        if (g_patches[i].active && real && *real == g_patches[i].trampoline) {
            m_ops.push_back(Op{real, i, false});
            return true;
        }
    }
    Log(L"VexoQuon: %ls cannot be restored: it is not redirected", name);
    m_refused = true;
    return false;
}

EntryPatchTransaction::~EntryPatchTransaction() {
    if (m_done) return;
    for (const Op& op : m_ops)
        if (op.attach) g_patches[op.patch].inUse = false;  // the slot it took stays unused
}

bool EntryPatchTransaction::Commit() {
    if (m_done) return false;
    m_done = true;
    auto giveUp = [&](const wchar_t* why) {
        Log(L"VexoQuon: function redirection not applied: %ls", why);
        for (const Op& op : m_ops)
            if (op.attach) g_patches[op.patch].inUse = false;
        return false;
    };
    if (m_refused) return giveUp(L"a function was refused");
    if (m_ops.empty()) return true;

    for (const Op& op : m_ops)
        if (op.attach && !WriteTrampoline(g_patches[op.patch])) return giveUp(L"the trampolines cannot be written");

    std::vector<DWORD> oldProtect(m_ops.size(), 0);
    for (std::size_t i = 0; i < m_ops.size(); ++i) {
        const PatchRecord& p = g_patches[m_ops[i].patch];
        if (!::VirtualProtect(p.target, p.copyLength, PAGE_EXECUTE_READWRITE, &oldProtect[i])) {
            DWORD ignored = 0;
            while (i-- > 0) {
                const PatchRecord& q = g_patches[m_ops[i].patch];
                ::VirtualProtect(q.target, q.copyLength, oldProtect[i], &ignored);
            }
            return giveUp(L"the code cannot be made writable");
        }
    }

    {
        OtherThreads others;
        if (!others.Hold()) {
            DWORD ignored = 0;
            for (std::size_t i = 0; i < m_ops.size(); ++i) {
                const PatchRecord& p = g_patches[m_ops[i].patch];
                ::VirtualProtect(p.target, p.copyLength, oldProtect[i], &ignored);
            }
            return giveUp(L"the other threads cannot be listed");
        }
        for (const Op& op : m_ops) {
            PatchRecord& p = g_patches[op.patch];
            if (op.attach) {
                others.MoveOut(p.target, p.copyLength, p.trampoline);
                // The trampoline is what the replacement calls on: in place
                // before the first call can arrive.
                ::InterlockedExchangePointer(op.real, p.trampoline);
                std::uint8_t jump[kX86JumpLength];
                WriteX86Jump(jump, Address(p.target), Address(p.replacement));
                std::memcpy(p.target + 1, jump + 1, kX86JumpLength - 1);
                // The opcode last: whoever sees the jump sees its whole displacement.
                *static_cast<volatile std::uint8_t*>(p.target) = jump[0];
                // Bytes behind the jump are never run again; a stray arrival traps.
                std::memset(p.target + kX86JumpLength, 0xCC, p.copyLength - kX86JumpLength);
                p.active = true;
            } else {
                others.MoveOut(p.trampoline, p.copyLength, p.target);
                std::memcpy(p.target + 1, p.original + 1, p.copyLength - 1);
                *static_cast<volatile std::uint8_t*>(p.target) = p.original[0];
                ::InterlockedExchangePointer(op.real, p.target);
                p.active = false;
                p.inUse = false;
            }
            ::FlushInstructionCache(::GetCurrentProcess(), p.target, p.copyLength);
        }
    }  // the other threads go on from here

    DWORD ignored = 0;
    for (std::size_t i = 0; i < m_ops.size(); ++i) {
        const PatchRecord& p = g_patches[m_ops[i].patch];
        ::VirtualProtect(p.target, p.copyLength, oldProtect[i], &ignored);
    }
    return true;
}
