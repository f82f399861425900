// The portable rules that decide whether an update (or a game installer) is
// trusted: the signer's public key out of its certificate, the signer
// decision, the folder rule, the signal between updater and new executable
// and what happens after the new executable started.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/FolderAcl.h"
#include "app/SignerRule.h"
#include "app/UpdateStart.h"
#include "app/VersionKey.h"

namespace {

std::vector<std::uint8_t> FromHex(const std::string& hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(std::uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// A certificate made by openssl (EC P-256, subject "Vexo Test") and its
// public key as openssl prints it.
const std::vector<std::uint8_t> kCert = FromHex("3082017c30820123a00302010202141540b5b24f9cf7e09060df7b9e263614cf1a595b300a06082a8648ce3d04030230143112301006035504030c095665786f2054657374301e170d3236313230393135353035375a170d3236313231303135353035375a30143112301006035504030c095665786f20546573743059301306072a8648ce3d020106082a8648ce3d030107034200049292b6f8594174fc0092b30287e063c1faf43ee21a82e14bc7bab7fbd3c69bca773b4b24dc29471eb70a0223e3dfc6aeb1175994736cea8bac311c431c391d88a3533051301d0603551d0e04160414613b068ba7edc5c03280fd2e54a87febdd1b6098301f0603551d23041830168014613b068ba7edc5c03280fd2e54a87febdd1b6098300f0603551d130101ff040530030101ff300a06082a8648ce3d040302034700304402202b7947054e46133573cdb14fb0edbaaf2e72275f841d37d2e4155ff047b307f802205f192b859f38f1fed49ba1b4f86599f82aeb743da921cbffbdcdb386771ceee2");
const std::vector<std::uint8_t> kSpki = FromHex("3059301306072a8648ce3d020106082a8648ce3d030107034200049292b6f8594174fc0092b30287e063c1faf43ee21a82e14bc7bab7fbd3c69bca773b4b24dc29471eb70a0223e3dfc6aeb1175994736cea8bac311c431c391d88");

TEST(SignerKey, TheCertificatesPublicKeyIsFoundByStructure) {
    std::vector<std::uint8_t> key;
    ASSERT_TRUE(CertificatePublicKey(kCert.data(), kCert.size(), key));
    EXPECT_EQ(key, kSpki);
}

TEST(SignerKey, AnythingMalformedGivesNoKeyAndIsNeverReadPast) {
    std::vector<std::uint8_t> key;
    // Every cut of the certificate short of the key's end is refused.
    const std::size_t keyEnd = std::size_t(std::search(kCert.begin(), kCert.end(), kSpki.begin(), kSpki.end()) -
                                           kCert.begin()) + kSpki.size();
    ASSERT_LT(keyEnd, kCert.size());
    for (std::size_t n = 0; n < keyEnd; ++n) {
        std::vector<std::uint8_t> cut(kCert.begin(), kCert.begin() + n);  // its own allocation: ASan sees overreads
        EXPECT_FALSE(CertificatePublicKey(cut.data(), cut.size(), key)) << n;
        EXPECT_TRUE(key.empty());
    }
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"not a sequence", {0x31, 0x03, 0x30, 0x01, 0x00}},
        {"length past the end", {0x30, 0x84, 0x7f, 0xff, 0xff, 0xff, 0x30, 0x00}},
        {"five length bytes", {0x30, 0x85, 0, 0, 0, 0, 2}},
        {"indefinite length", {0x30, 0x80, 0x30, 0x80, 0, 0, 0, 0}},
        {"multi-byte tag", {0x30, 0x04, 0x3f, 0x81, 0x01, 0x00}},
        {"too few fields", {0x30, 0x08, 0x30, 0x06, 0x02, 0x01, 0x01, 0x30, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(CertificatePublicKey(c.bytes.data(), c.bytes.size(), key)) << c.what;
    }
    EXPECT_FALSE(CertificatePublicKey(nullptr, 10, key));
}

SignerFacts Signed(std::vector<std::uint8_t> key, const std::string& sha, bool verified = true) {
    SignerFacts f;
    f.present = true;
    f.verified = verified;
    f.publicKey = std::move(key);
    f.publicKeySha256 = sha;
    return f;
}

TEST(SignerRule, TheSignerIsTheRunningFilesOrThePinnedOneNeverANameAlike) {
    const SignerFacts unsignedFile;
    const SignerFacts ours = Signed({1, 2, 3}, "aa");
    const SignerFacts oursAgain = Signed({1, 2, 3}, "aa");
    const SignerFacts sameNameOtherKey = Signed({1, 2, 4}, "bb");
    const SignerFacts oursTampered = Signed({1, 2, 3}, "aa", false);
    const SignerFacts unreadable = Signed({}, "");
    const std::string pin = std::string(64, 'A');
    const SignerFacts pinned = Signed({9}, std::string(64, 'a'));
    struct Case {
        const char* what;
        const SignerFacts& running;
        const SignerFacts& candidate;
        std::string pin;
        SignerVerdict expected;
    } cases[] = {
        {"same signer", ours, oursAgain, "", SignerVerdict::Accepted},
        {"other signer, same name", ours, sameNameOtherKey, "", SignerVerdict::OtherSigner},
        {"altered after signing", ours, oursTampered, "", SignerVerdict::BadSignature},
        {"unsigned for a signed launcher", ours, unsignedFile, "", SignerVerdict::NotSigned},
        {"running key unreadable", unreadable, oursAgain, "", SignerVerdict::OtherSigner},
        {"development build", unsignedFile, unsignedFile, "", SignerVerdict::AcceptedUnsigned},
        {"development build, signed update", unsignedFile, sameNameOtherKey, "", SignerVerdict::AcceptedUnsigned},
        {"pin, matching (case ignored)", unsignedFile, pinned, pin, SignerVerdict::Accepted},
        {"pin replaces the running signer", ours, oursAgain, pin, SignerVerdict::OtherSigner},
        {"pin, unsigned", unsignedFile, unsignedFile, pin, SignerVerdict::NotSigned},
        {"pin, tampered", ours, Signed({9}, std::string(64, 'a'), false), pin, SignerVerdict::BadSignature},
        {"pin, no hash known", ours, Signed({9}, ""), pin, SignerVerdict::OtherSigner},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JudgeSigner(c.running, c.candidate, c.pin), c.expected) << c.what;
        EXPECT_EQ(IsAccepted(c.expected),
                  c.expected == SignerVerdict::Accepted || c.expected == SignerVerdict::AcceptedUnsigned);
    }
}

TEST(FolderRule, OnlyAdministratorsAndSystemMayChangeTheFolder) {
    EXPECT_EQ(ProtectedFolderSddl(), L"D:PAI(A;OICI;0x1f01ff;;;SY)(A;OICI;0x1f01ff;;;BA)(A;OICI;0x1200a9;;;BU)");
    bool users = false;
    for (const FolderAce& ace : ProtectedFolderAces()) {
        const std::wstring sid = ace.sid;
        if (sid == L"SY" || sid == L"BA") {
            EXPECT_EQ(ace.mask, kFileAllAccess) << sid;
        } else {
            EXPECT_EQ(ace.mask & kFileWriteRights, 0u) << sid;  // nobody else writes, deletes or re-permits
            EXPECT_NE(ace.mask & 0x20u, 0u) << sid;            // but may run what is there
            users = users || sid == L"BU";
        }
    }
    EXPECT_TRUE(users);
}

TEST(UpdateStart, TheSignalIsUniqueAndOnlyItsOwnFormIsOpened) {
    EXPECT_EQ(UpdateSignalName(1234, 56789), L"Local\\VexoQuon-update-1234-56789");
    EXPECT_NE(UpdateSignalName(1234, 56789), UpdateSignalName(1234, 56790));
    struct Case {
        const wchar_t* name;
        bool ok;
    } cases[] = {
        {L"Local\\VexoQuon-update-1234-56789", true},
        {L"Local\\VexoQuon-update-4294967295-4294967295", true},
        {L"Global\\VexoQuon-update-1-2", false},
        {L"Local\\VexoQuon-update-1-", false},
        {L"Local\\VexoQuon-update--2", false},
        {L"Local\\VexoQuon-update-1-2-3", false},
        {L"Local\\VexoQuon-update-1-2x", false},
        {L"Local\\VexoQuon-update-12345678901-2", false},
        {L"Local\\VexoQuon-update-", false},
        {L"", false},
        {L"Local\\SomeoneElsesEvent", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsUpdateSignalName(c.name), c.ok) << c.name;
    EXPECT_EQ(kUpdateConfirmMs, 60000u);
}

TEST(UpdateStart, OnlyAWindowThatSaidItIsUpKeepsTheNewExecutable) {
    EXPECT_EQ(DecideAfterStart(StartWait::Signalled), AfterStart::KeepNew);
    EXPECT_EQ(DecideAfterStart(StartWait::ProcessEnded), AfterStart::RollBack);
    EXPECT_EQ(DecideAfterStart(StartWait::TimedOut), AfterStart::RollBack);
    EXPECT_EQ(DecideAfterStart(StartWait::NotStarted), AfterStart::RollBack);
}

TEST(VersionKey, TheNewFilesOwnVersionSpellsItsKeysLastDigits) {
    EXPECT_EQ(VersionText(0x00030000, 0x00010001), L"3.0.1.1");
    EXPECT_EQ(VersionText(0xFFFF0010, 0x00000000), L"65535.16.0.0");
    const std::uint8_t digest[16] = {0xd4, 0x1d, 0x8c, 0xd9, 0x8f, 0x00, 0xb2, 0x04,
                                     0xe9, 0x80, 0x09, 0x98, 0xec, 0xf8, 0x42, 0x7e};
    EXPECT_EQ(VersionKeyFromDigest(digest, VersionText(0x00030000, 0x00010001)), L"d41d8cd98f00b204e9800998ecf83011");
    EXPECT_EQ(VersionKeyFromDigest(digest, VersionText(0x00030000, 0x00010002)), L"d41d8cd98f00b204e9800998ecf83012");
}

}  // namespace
