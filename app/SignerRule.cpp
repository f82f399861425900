#include "app/SignerRule.h"

namespace {

// One DER element: its tag, where its content starts and how long it is.
struct Element {
    std::uint8_t tag = 0;
    std::size_t start = 0;    // first byte of the element (its tag)
    std::size_t content = 0;  // first byte of its content
    std::size_t length = 0;   // bytes of content
    std::size_t End() const { return content + length; }
};

// Reads the element at `pos`, which must end by `limit`. Definite lengths of
// at most four bytes only, as DER has them.
bool ReadElement(const std::uint8_t* der, std::size_t pos, std::size_t limit, Element& out) {
    if (pos >= limit || limit - pos < 2) return false;
    out.start = pos;
    out.tag = der[pos++];
    if ((out.tag & 0x1F) == 0x1F) return false;  // multi-byte tags do not occur here
    std::size_t length = der[pos++];
    if (length & 0x80) {
        const std::size_t count = length & 0x7F;
        if (count == 0 || count > 4 || limit - pos < count) return false;
        length = 0;
        for (std::size_t i = 0; i < count; ++i) length = (length << 8) | der[pos++];
    }
    if (length > limit - pos) return false;
    out.content = pos;
    out.length = length;
    return true;
}

constexpr std::uint8_t kSequence = 0x30;
constexpr std::uint8_t kExplicitVersion = 0xA0;

char LowerHex(char c) { return c >= 'A' && c <= 'F' ? char(c - 'A' + 'a') : c; }

bool SameHex(const std::string& a, const std::string& b) {
    if (a.size() != b.size() || a.empty()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerHex(a[i]) != LowerHex(b[i])) return false;
    return true;
}

}  // namespace

bool CertificatePublicKey(const std::uint8_t* der, std::size_t size, std::vector<std::uint8_t>& publicKey) {
    publicKey.clear();
    if (!der) return false;
    Element cert, tbs;
    if (!ReadElement(der, 0, size, cert) || cert.tag != kSequence) return false;
    if (!ReadElement(der, cert.content, cert.End(), tbs) || tbs.tag != kSequence) return false;
    // version [0] (optional), serialNumber, signature, issuer, validity,
    // subject, then subjectPublicKeyInfo.
    std::size_t pos = tbs.content;
    Element field;
    if (!ReadElement(der, pos, tbs.End(), field)) return false;
    if (field.tag == kExplicitVersion) {
        pos = field.End();
        if (!ReadElement(der, pos, tbs.End(), field)) return false;
    }
    for (int skipped = 0; skipped < 5; ++skipped) {  // serial number to subject
        pos = field.End();
        if (!ReadElement(der, pos, tbs.End(), field)) return false;
    }
    if (field.tag != kSequence || field.length == 0) return false;
    publicKey.assign(der + field.start, der + field.End());
    return true;
}

SignerVerdict JudgeSigner(const SignerFacts& running, const SignerFacts& candidate, const std::string& pin) {
    const bool required = !pin.empty() || running.present;
    if (!required) return SignerVerdict::AcceptedUnsigned;
    if (!candidate.present) return SignerVerdict::NotSigned;
    if (!candidate.verified) return SignerVerdict::BadSignature;
    if (!pin.empty()) return SameHex(pin, candidate.publicKeySha256) ? SignerVerdict::Accepted : SignerVerdict::OtherSigner;
    // A running signer whose key could not be read matches nobody.
    if (running.publicKey.empty() || candidate.publicKey != running.publicKey) return SignerVerdict::OtherSigner;
    return SignerVerdict::Accepted;
}

bool IsAccepted(SignerVerdict verdict) {
    return verdict == SignerVerdict::Accepted || verdict == SignerVerdict::AcceptedUnsigned;
}

const wchar_t* SignerVerdictName(SignerVerdict verdict) {
    switch (verdict) {
    case SignerVerdict::Accepted: return L"signed by the required signer";
    case SignerVerdict::AcceptedUnsigned: return L"no signer required (unsigned running file, no pin): key only";
    case SignerVerdict::NotSigned: return L"not signed";
    case SignerVerdict::BadSignature: return L"signature refused by the trust check";
    case SignerVerdict::OtherSigner: return L"signed by another signer";
    }
    return L"?";
}
