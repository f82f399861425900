#include "app/Md5.h"

#include <wincrypt.h>

namespace {

// The CNG entries used, resolved from bcrypt.dll (absent on Windows XP).
using OpenAlgorithmFn = LONG(WINAPI*)(void**, LPCWSTR, LPCWSTR, ULONG);
using CloseAlgorithmFn = LONG(WINAPI*)(void*, ULONG);
using CreateHashFn = LONG(WINAPI*)(void*, void**, PUCHAR, ULONG, PUCHAR, ULONG, ULONG);
using HashDataFn = LONG(WINAPI*)(void*, PUCHAR, ULONG, ULONG);
using FinishHashFn = LONG(WINAPI*)(void*, PUCHAR, ULONG, ULONG);
using DestroyHashFn = LONG(WINAPI*)(void*);

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

void Say(const wchar_t* text) { ::OutputDebugStringW(text); }

}  // namespace

CMd5::CMd5(Md5Provider provider) {
    if (provider == Md5Provider::Best && StartCng()) return;
    if (provider == Md5Provider::Best) Say(L"VexoQuon: MD5 through CryptoAPI, CNG is not available\n");
    if (!StartCryptoApi()) Say(L"VexoQuon: no MD5 provider could start\n");
}

CMd5::~CMd5() {
    if (m_cngHash) Entry<DestroyHashFn>(m_bcrypt, "BCryptDestroyHash")(m_cngHash);
    if (m_cngAlg) Entry<CloseAlgorithmFn>(m_bcrypt, "BCryptCloseAlgorithmProvider")(m_cngAlg, 0);
    if (m_bcrypt) ::FreeLibrary(m_bcrypt);
    if (m_capiHash) ::CryptDestroyHash(m_capiHash);
    if (m_capiProv) ::CryptReleaseContext(m_capiProv, 0);
}

bool CMd5::StartCng() {
    // From the system folder only: never a bcrypt.dll beside the executable.
    m_bcrypt = ::LoadLibraryExW(L"bcrypt.dll", nullptr, 0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
    if (!m_bcrypt && ::GetLastError() == ERROR_INVALID_PARAMETER) {
        // Systems without the search flags (XP, Vista without the update): the full path.
        wchar_t path[MAX_PATH + 16] = {};
        UINT n = ::GetSystemDirectoryW(path, MAX_PATH);
        if (n && n < MAX_PATH) {
            ::lstrcatW(path, L"\\bcrypt.dll");
            m_bcrypt = ::LoadLibraryW(path);
        }
    }
    auto open = Entry<OpenAlgorithmFn>(m_bcrypt, "BCryptOpenAlgorithmProvider");
    auto create = Entry<CreateHashFn>(m_bcrypt, "BCryptCreateHash");
    if (!open || !create || !Entry<HashDataFn>(m_bcrypt, "BCryptHashData") ||
        !Entry<FinishHashFn>(m_bcrypt, "BCryptFinishHash") || !Entry<DestroyHashFn>(m_bcrypt, "BCryptDestroyHash") ||
        !Entry<CloseAlgorithmFn>(m_bcrypt, "BCryptCloseAlgorithmProvider"))
        return false;
    if (open(&m_cngAlg, L"MD5", nullptr, 0) != 0) {
        m_cngAlg = nullptr;
        return false;
    }
    // Hash object memory owned by the provider (a null buffer: Windows 7 and later).
    if (create(m_cngAlg, &m_cngHash, nullptr, 0, nullptr, 0, 0) != 0) {
        m_cngHash = nullptr;
        return false;
    }
    return true;
}

bool CMd5::StartCryptoApi() {
    HCRYPTPROV prov = 0;
    if (!::CryptAcquireContextW(&prov, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return false;
    m_capiProv = prov;
    HCRYPTHASH hash = 0;
    if (!::CryptCreateHash(prov, CALG_MD5, 0, 0, &hash)) return false;
    m_capiHash = hash;
    return true;
}

bool CMd5::Add(const BYTE* data, DWORD size) {
    if (m_cngHash)
        return Entry<HashDataFn>(m_bcrypt, "BCryptHashData")(m_cngHash, const_cast<PUCHAR>(data), size, 0) == 0;
    return m_capiHash && ::CryptHashData(m_capiHash, data, size, 0);
}

bool CMd5::Finish(std::uint8_t (&digest)[16]) {
    if (m_cngHash) return Entry<FinishHashFn>(m_bcrypt, "BCryptFinishHash")(m_cngHash, digest, 16, 0) == 0;
    DWORD size = 16;
    return m_capiHash && ::CryptGetHashParam(m_capiHash, HP_HASHVAL, digest, &size, 0) && size == 16;
}
