#include "app/Authenticode.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstddef>
#include <vector>

#include "VexoConfig.h"
#include "app/Paths.h"
#include "app/VersionKey.h"

namespace {

void Say(const std::wstring& text) { ::OutputDebugStringW((L"VexoQuon: signature: " + text + L"\n").c_str()); }

// WINTRUST_DATA as Windows XP knows it: the fields up to dwUIContext.
constexpr DWORD kXpTrustDataSize = offsetof(WINTRUST_DATA, dwUIContext) + sizeof(DWORD);

bool TrustCheckAccepts(const std::wstring& path, LONG& result) {
    WINTRUST_FILE_INFO file{};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path.c_str();
    WINTRUST_DATA data{};
    data.cbStruct = kXpTrustDataSize;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    result = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result == ERROR_SUCCESS;
}

struct StoreTraits {
    static HCERTSTORE Invalid() { return nullptr; }
    static bool IsValid(HCERTSTORE h) { return h != nullptr; }
    static void Close(HCERTSTORE h) { ::CertCloseStore(h, 0); }
};

// The embedded signature's signer certificate, DER; false when the file
// carries no signature the system can read.
bool SignerCertificate(const std::wstring& path, std::vector<std::uint8_t>& der) {
    HCERTSTORE store = nullptr;
    HCRYPTMSG message = nullptr;
    DWORD encoding = 0, content = 0, format = 0;
    if (!::CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                            CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &content, &format, &store, &message,
                            nullptr))
        return false;
    bool found = false;
    DWORD size = 0;
    if (::CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size) && size > 0) {
        std::vector<BYTE> buffer(size);
        auto* signer = reinterpret_cast<CMSG_SIGNER_INFO*>(buffer.data());
        if (::CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, signer, &size)) {
            CERT_INFO wanted{};
            wanted.Issuer = signer->Issuer;
            wanted.SerialNumber = signer->SerialNumber;
            PCCERT_CONTEXT cert = ::CertFindCertificateInStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                                               CERT_FIND_SUBJECT_CERT, &wanted, nullptr);
            if (cert) {
                der.assign(cert->pbCertEncoded, cert->pbCertEncoded + cert->cbCertEncoded);
                ::CertFreeCertificateContext(cert);
                found = true;
            }
        }
    }
    ::CryptMsgClose(message);
    ::CertCloseStore(store, 0);
    return found;
}

std::string Sha256Hex(const std::vector<std::uint8_t>& bytes) {
    HCRYPTPROV provider = 0;
    if (!::CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return "";
    std::string hex;
    HCRYPTHASH hash = 0;
    if (::CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
        BYTE digest[32];
        DWORD size = sizeof digest;
        if (::CryptHashData(hash, bytes.data(), DWORD(bytes.size()), 0) &&
            ::CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0) && size == sizeof digest) {
            const std::wstring wide = HexDigits(digest, sizeof digest);
            hex.assign(wide.begin(), wide.end());
        }
        ::CryptDestroyHash(hash);
    }
    ::CryptReleaseContext(provider, 0);
    return hex;
}

}  // namespace

SignerFacts ReadSignerFacts(const std::wstring& path) {
    SignerFacts facts;
    std::vector<std::uint8_t> der;
    facts.present = SignerCertificate(path, der);
    if (!facts.present) return facts;
    LONG result = 0;
    facts.verified = TrustCheckAccepts(path, result);
    if (!facts.verified) Say(path + L" refused by the trust check, 0x" + HexDigits(
        reinterpret_cast<const std::uint8_t*>(&result), sizeof result));
    if (CertificatePublicKey(der.data(), der.size(), facts.publicKey))
        facts.publicKeySha256 = Sha256Hex(facts.publicKey);
    return facts;
}

std::string UpdateSignerPin() { return vexo::config::kUpdateSigner; }

SignerVerdict CheckSigner(const std::wstring& candidate, const wchar_t* what) {
    const SignerVerdict verdict = JudgeSigner(ReadSignerFacts(ExePath()), ReadSignerFacts(candidate), UpdateSignerPin());
    Say(std::wstring(what) + L": " + SignerVerdictName(verdict));
    return verdict;
}

bool LauncherRequiresSigner() { return !UpdateSignerPin().empty() || ReadSignerFacts(ExePath()).present; }
