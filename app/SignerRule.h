// Whether a downloaded executable may replace (or, for a game installer, run
// beside) the running one, judged on its Authenticode signer. Names are never
// compared: a second certificate with the same subject is a different signer.
// What is compared is the signer certificate's public key (its DER
// SubjectPublicKeyInfo), byte for byte, or its SHA-256 against a pin built in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The SubjectPublicKeyInfo of a DER X.509 certificate, as the whole encoded
// element (tag and length included). False for anything that is not a
// well-formed certificate up to that field; never reads past `size`.
bool CertificatePublicKey(const std::uint8_t* der, std::size_t size, std::vector<std::uint8_t>& publicKey);

struct SignerFacts {
    bool present = false;                // the file carries an Authenticode signature
    bool verified = false;               // the system's trust check accepted it (digest intact)
    std::vector<std::uint8_t> publicKey; // the signer's SubjectPublicKeyInfo; empty when unknown
    std::string publicKeySha256;         // lower-case hex of it; empty when unknown
};

enum class SignerVerdict {
    Accepted,          // signed by the required signer
    AcceptedUnsigned,  // no signer required: an unsigned running file and no pin (development builds)
    NotSigned,         // a signer is required and the file carries no signature
    BadSignature,      // it carries one the trust check refused (altered bytes, a tail...)
    OtherSigner,       // validly signed, by someone else
};

// `pin`: hex SHA-256 of the required public key (any case), or empty; when set
// it replaces "the running file's signer".
SignerVerdict JudgeSigner(const SignerFacts& running, const SignerFacts& candidate, const std::string& pin);

bool IsAccepted(SignerVerdict verdict);
const wchar_t* SignerVerdictName(SignerVerdict verdict);
