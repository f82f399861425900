// The system's MD5, fed block by block: CNG (bcrypt.dll, Vista and later),
// which is the faster of the two providers, and CryptoAPI where CNG is
// missing (Windows XP). bcrypt.dll is loaded at run time so that the
// program still starts on XP.
#pragma once

#include <windows.h>

#include <cstdint>

enum class Md5Provider { Best, CryptoApi };

class CMd5 {
public:
    // Best: CNG when it loads, else CryptoAPI; CryptoApi: CryptoAPI only.
    explicit CMd5(Md5Provider provider = Md5Provider::Best);
    ~CMd5();
    CMd5(const CMd5&) = delete;
    CMd5& operator=(const CMd5&) = delete;

    // False when neither provider could start a hash.
    bool IsReady() const { return m_cngHash || m_capiHash; }
    bool UsesCng() const { return m_cngHash != nullptr; }
    bool Add(const BYTE* data, DWORD size);
    bool Finish(std::uint8_t (&digest)[16]);

private:
    bool StartCng();
    bool StartCryptoApi();

    // CNG, its entries resolved once from bcrypt.dll
    HMODULE m_bcrypt = nullptr;
    void* m_cngAlg = nullptr;
    void* m_cngHash = nullptr;
    LONG(WINAPI* m_hashData)(void*, PUCHAR, ULONG, ULONG) = nullptr;
    LONG(WINAPI* m_finishHash)(void*, PUCHAR, ULONG, ULONG) = nullptr;
    LONG(WINAPI* m_destroyHash)(void*) = nullptr;
    LONG(WINAPI* m_closeAlgorithm)(void*, ULONG) = nullptr;
    // CryptoAPI
    ULONG_PTR m_capiProv = 0;
    ULONG_PTR m_capiHash = 0;
};
