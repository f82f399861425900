// What the system says about a file's Authenticode signature: whether it
// carries one, whether the trust check accepts it (no user interface, no
// revocation fetched from the network), and the signer's public key. The
// decision itself is app/SignerRule.h's.
#pragma once

#include <string>

#include "app/SignerRule.h"

SignerFacts ReadSignerFacts(const std::wstring& path);

// The pin of this build (VEXO_UPDATE_SIGNER), empty when none.
std::string UpdateSignerPin();

// Judges `candidate` against the running executable (or the pin) and says
// the verdict in the diagnostics, with `what` naming the file's role.
SignerVerdict CheckSigner(const std::wstring& candidate, const wchar_t* what);

// True when the running executable carries a signature (or a pin is built
// in): then game installers must carry the same signer too.
bool LauncherRequiresSigner();
