#include "app/Md5.h"

#include <wincrypt.h>

namespace {

// The CNG entries only needed to start a hash.
using OpenAlgorithmFn = LONG(WINAPI*)(void**, LPCWSTR, LPCWSTR, ULONG);
using CreateHashFn = LONG(WINAPI*)(void*, void**, PUCHAR, ULONG, PUCHAR, ULONG, ULONG);

// An entry of bcrypt.dll (absent on Windows XP), null when missing.
template <typename Fn>
void Resolve(HMODULE module, const char* name, Fn& entry) {
    entry = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

void Say(const wchar_t* text) { ::OutputDebugStringW(text); }

}  // namespace

CMd5::CMd5(Md5Provider provider) {
    if (provider == Md5Provider::Best && StartCng()) return;
    if (provider == Md5Provider::Best) Say(L"VexoQuon: MD5 through CryptoAPI, CNG is not available\n");
    if (!StartCryptoApi()) Say(L"VexoQuon: no MD5 provider could start\n");
}

CMd5::~CMd5() {
    if (m_cngHash) m_destroyHash(m_cngHash);
    if (m_cngAlg) m_closeAlgorithm(m_cngAlg, 0);
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
    OpenAlgorithmFn open = nullptr;
    CreateHashFn create = nullptr;
    Resolve(m_bcrypt, "BCryptOpenAlgorithmProvider", open);
    Resolve(m_bcrypt, "BCryptCreateHash", create);
    Resolve(m_bcrypt, "BCryptHashData", m_hashData);
    Resolve(m_bcrypt, "BCryptFinishHash", m_finishHash);
    Resolve(m_bcrypt, "BCryptDestroyHash", m_destroyHash);
    Resolve(m_bcrypt, "BCryptCloseAlgorithmProvider", m_closeAlgorithm);
    if (!open || !create || !m_hashData || !m_finishHash || !m_destroyHash || !m_closeAlgorithm) return false;
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
    if (m_cngHash) return m_hashData(m_cngHash, const_cast<PUCHAR>(data), size, 0) == 0;
    return m_capiHash && ::CryptHashData(m_capiHash, data, size, 0);
}

bool CMd5::Finish(std::uint8_t (&digest)[16]) {
    if (m_cngHash) return m_finishHash(m_cngHash, digest, 16, 0) == 0;
    DWORD size = 16;
    return m_capiHash && ::CryptGetHashParam(m_capiHash, HP_HASHVAL, digest, &size, 0) && size == 16;
}
