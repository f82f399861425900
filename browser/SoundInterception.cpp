#include "browser/SoundInterception.h"

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "browser/EntryPatch.h"

namespace {

// Written by the user-interface thread, read by the audio threads: one
// aligned int, no lock.
std::atomic<int> soundSuppressed{0};
static_assert(std::atomic<int>::is_always_lock_free, "a plain aligned int");

bool g_installed = false;

using WaveOutWriteFn = MMRESULT(WINAPI*)(HWAVEOUT, LPWAVEHDR, UINT);
using MidiStreamOutFn = MMRESULT(WINAPI*)(HMIDISTRM, LPMIDIHDR, UINT);
using DirectSoundCreateFn = HRESULT(WINAPI*)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);
using CreateSoundBufferFn = HRESULT(STDMETHODCALLTYPE*)(IDirectSound*, LPCDSBUFFERDESC, LPDIRECTSOUNDBUFFER*,
                                                        LPUNKNOWN);
using UnlockFn = HRESULT(STDMETHODCALLTYPE*)(IDirectSoundBuffer*, LPVOID, DWORD, LPVOID, DWORD);

// The real entry points; after installation, the trampolines to them.
void* g_realWaveOutWrite = nullptr;
void* g_realMidiStreamOut = nullptr;
void* g_realDirectSoundCreate = nullptr;

constexpr int kCreateSoundBufferEntry = 3;
constexpr int kUnlockEntry = 19;

bool Suppressed() { return soundSuppressed.load(std::memory_order_relaxed) != 0; }

void Silence(void* data, DWORD bytes) {
    if (data && bytes) std::memset(data, 0, bytes);
}

// Writable, and still executable where the page was: a table may share its
// page with code that other threads run meanwhile.
DWORD WritableLike(const void* at) {
    MEMORY_BASIC_INFORMATION mbi{};
    if (!::VirtualQuery(at, &mbi, sizeof mbi)) return PAGE_READWRITE;
    const DWORD executable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return (mbi.Protect & executable) ? PAGE_EXECUTE_READWRITE : PAGE_READWRITE;
}

// Whether a header of `size` bytes reaches past the buffer length it carries.
template <typename Header>
bool CarriesBuffer(const Header* header, UINT size) {
    return header && size >= offsetof(Header, dwBufferLength) + sizeof(header->dwBufferLength);
}

// One patched entry of the method tables of one interface: which tables were
// patched and the entries found there. Classes of the audio library may use
// more than one table per interface (a primary and a secondary buffer may
// differ), so each table met is patched once; a handful is plenty.
class MethodPatch {
public:
    explicit MethodPatch(int entry) : m_entry(entry) {}

    // The entry that `object`'s table held before we patched it.
    void* Kept(void* object) const {
        void** table = *static_cast<void***>(object);
        const int n = m_count.load(std::memory_order_acquire);
        for (int i = 0; i < n; ++i)
            if (m_tables[i] == table) return m_kept[i];
        return nullptr;
    }

    // Puts `replacement` into `object`'s table unless it is there already.
    void Patch(void* object, void* replacement) {
        void** table = *static_cast<void***>(object);
        if (Kept(object)) return;
        while (m_busy.exchange(true, std::memory_order_acquire)) ::Sleep(0);
        const int n = m_count.load(std::memory_order_relaxed);
        bool known = false;
        for (int i = 0; i < n; ++i) known = known || m_tables[i] == table;
        if (!known && n == kTables) ::OutputDebugStringW(L"VexoQuon: too many DirectSound method tables to patch");
        if (!known && n < kTables) {
            void** slot = &table[m_entry];
            DWORD old = 0;
            if (::VirtualProtect(slot, sizeof(void*), WritableLike(slot), &old)) {
                // Kept before the table points at the replacement, which looks it up.
                m_tables[n] = table;
                m_kept[n] = *slot;
                m_count.store(n + 1, std::memory_order_release);
                ::InterlockedExchangePointer(slot, replacement);
                DWORD ignored = 0;
                ::VirtualProtect(slot, sizeof(void*), old, &ignored);
            } else {
                ::OutputDebugStringW(L"VexoQuon: a DirectSound method table cannot be made writable");
            }
        }
        m_busy.store(false, std::memory_order_release);
    }

private:
    static constexpr int kTables = 4;
    const int m_entry;
    void** m_tables[kTables] = {};
    void* m_kept[kTables] = {};
    std::atomic<int> m_count{0};
    std::atomic<bool> m_busy{false};
};

MethodPatch g_createSoundBuffer(kCreateSoundBufferEntry);
MethodPatch g_unlock(kUnlockEntry);

MMRESULT WINAPI SilentWaveOutWrite(HWAVEOUT wave, LPWAVEHDR header, UINT size) {
    if (Suppressed() && CarriesBuffer(header, size)) Silence(header->lpData, header->dwBufferLength);
    return reinterpret_cast<WaveOutWriteFn>(g_realWaveOutWrite)(wave, header, size);
}

MMRESULT WINAPI SilentMidiStreamOut(HMIDISTRM stream, LPMIDIHDR header, UINT size) {
    if (Suppressed() && CarriesBuffer(header, size)) Silence(header->lpData, header->dwBufferLength);
    return reinterpret_cast<MidiStreamOutFn>(g_realMidiStreamOut)(stream, header, size);
}

HRESULT STDMETHODCALLTYPE SilentUnlock(IDirectSoundBuffer* buffer, LPVOID first, DWORD firstBytes, LPVOID second,
                                       DWORD secondBytes) {
    if (Suppressed()) {
        Silence(first, firstBytes);
        Silence(second, secondBytes);
    }
    auto kept = reinterpret_cast<UnlockFn>(g_unlock.Kept(buffer));
    return kept ? kept(buffer, first, firstBytes, second, secondBytes) : E_FAIL;
}

HRESULT STDMETHODCALLTYPE SilentCreateSoundBuffer(IDirectSound* sound, LPCDSBUFFERDESC desc,
                                                  LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN outer) {
    auto kept = reinterpret_cast<CreateSoundBufferFn>(g_createSoundBuffer.Kept(sound));
    if (!kept) return E_FAIL;
    HRESULT hr = kept(sound, desc, buffer, outer);
    if (SUCCEEDED(hr) && buffer && *buffer) g_unlock.Patch(*buffer, reinterpret_cast<void*>(&SilentUnlock));
    return hr;
}

HRESULT WINAPI SilentDirectSoundCreate(LPCGUID device, LPDIRECTSOUND* sound, LPUNKNOWN outer) {
    HRESULT hr = reinterpret_cast<DirectSoundCreateFn>(g_realDirectSoundCreate)(device, sound, outer);
    if (SUCCEEDED(hr) && sound && *sound)
        g_createSoundBuffer.Patch(*sound, reinterpret_cast<void*>(&SilentCreateSoundBuffer));
    return hr;
}

// At the end of the process: the functions go back to what they were. The
// method-table entries stay; they only call on.
void RemoveSoundInterception() {
    if (!g_installed) return;
    EntryPatchTransaction t;
    t.Detach(&g_realWaveOutWrite, L"waveOutWrite");
    t.Detach(&g_realMidiStreamOut, L"midiStreamOut");
    t.Detach(&g_realDirectSoundCreate, L"DirectSoundCreate");
    if (t.Commit()) g_installed = false;
}

}  // namespace

bool InstallSoundInterception() {
    if (g_installed) return true;
    // Loaded for good: a library that unloaded and came back would come back unpatched.
    HMODULE winmm = ::LoadLibraryW(L"winmm.dll");
    HMODULE dsound = ::LoadLibraryW(L"dsound.dll");
    if (!winmm || !dsound) {
        ::OutputDebugStringW(L"VexoQuon: sound not intercepted: winmm or dsound does not load");
        return false;
    }
    g_realWaveOutWrite = reinterpret_cast<void*>(::GetProcAddress(winmm, "waveOutWrite"));
    g_realMidiStreamOut = reinterpret_cast<void*>(::GetProcAddress(winmm, "midiStreamOut"));
    g_realDirectSoundCreate = reinterpret_cast<void*>(::GetProcAddress(dsound, MAKEINTRESOURCEA(1)));

    EntryPatchTransaction t;
    t.Attach(&g_realWaveOutWrite, reinterpret_cast<void*>(&SilentWaveOutWrite), L"waveOutWrite");
    t.Attach(&g_realMidiStreamOut, reinterpret_cast<void*>(&SilentMidiStreamOut), L"midiStreamOut");
    t.Attach(&g_realDirectSoundCreate, reinterpret_cast<void*>(&SilentDirectSoundCreate), L"DirectSoundCreate");
    if (!t.Commit()) {
        ::OutputDebugStringW(L"VexoQuon: sound not intercepted; it cannot be muted in this process");
        return false;
    }
    g_installed = true;
    std::atexit(RemoveSoundInterception);
    return true;
}

bool SoundInterceptionInstalled() { return g_installed; }

void SuppressSound(int on) { soundSuppressed.store(on ? 1 : 0, std::memory_order_relaxed); }
