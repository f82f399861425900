// The steps of self-update below the application object: the version key of
// a file, the configuration fetch (shared with the game-client download),
// and the swap of the running executable.
#pragma once

#include <cstdint>
#include <string>

#include "app/Md5.h"
#include "app/UpdateConfig.h"
#include "app/UpdateStart.h"

class CHttpTransfer;

// MD5 of a file's bytes through the system's hash provider (CNG, or
// CryptoAPI where CNG is missing or when asked for).
// False when the file cannot be read or the provider fails.
bool FileMd5(const std::wstring& path, std::uint8_t (&digest)[16], Md5Provider provider = Md5Provider::Best);

// The version key of a file for this program's version; false when the file
// cannot be read (the caller then answers that nothing is published).
bool ComputeVersionKey(const std::wstring& path, std::wstring& key);

// The key a file gives itself: its digest with the version of its own
// version resource. False when the file cannot be read or has no version.
bool ComputeOwnVersionKey(const std::wstring& path, std::wstring& key);

enum class ConfigFetch {
    Read,          // the configuration arrived whole and was read
    NotPublished,  // 404: nothing is published under that name
    Failed,        // no answer, a server error, a redirect, too large, cut short...
};

// Fetches the configuration at `url` (at most kMaxConfigBytes) into
// `filePath`, a file the caller names, reads `gameName`'s key and the
// download address from it and deletes that file again (also after a failed
// or partial transfer).
ConfigFetch FetchConfigFile(CHttpTransfer& transfer, const std::wstring& url, const std::wstring& filePath,
                            const std::string& gameName, UpdateConfig& config);

enum class UpdateAnswer {
    UpToDate,   // the published key is ours, empty, refused before, or nothing is published (404)
    Available,  // another executable is published
    Failed,     // the configuration could not be had, or our own key not computed
};

struct PublishedUpdate {
    UpdateAnswer answer = UpdateAnswer::Failed;
    std::wstring key;      // the published key
    std::wstring address;  // where its executable is
};

// Fetches "ConfigQuon.htm" (into that file beside the executable, then
// deleted) and compares its key with the running executable's. Safe on any
// thread; `transfer` may be cancelled from another one.
PublishedUpdate CheckPublishedUpdate(CHttpTransfer& transfer);

// A downloaded executable may replace the running one only when its own
// version key is the published key and its signer is the one required
// (app/SignerRule.h). Says why not in the diagnostics.
bool AcceptDownloadedExecutable(const std::wstring& path, const std::wstring& publishedKey);

// Starts `exe` (no argument, as always) and waits up to `timeoutMs` for its
// main window to say it is up; a process that stays silent is ended.
StartWait StartAndAwaitWindow(const std::wstring& exe, std::uint32_t timeoutMs);

// The new executable did not come up: it goes (deleted at restart), `oldPath`
// takes its name back and starts, and `refusedKey` is recorded. False when
// the old file could not be put back.
bool RollBackUpdate(const std::wstring& exe, const std::wstring& oldPath, const std::wstring& refusedKey);

// At start-up: takes the update signal's name out of the environment (so no
// child inherits it). Later, once the main window is up, tells the updating
// process. Both do nothing in a process not started by an update.
void TakeUpdateSignal();
void ConfirmUpdatedStart();

// Wide text of profile bytes in the system's ANSI code page.
std::wstring FromAnsi(const std::string& text);

// Marks a file for deletion at the next restart of the computer.
void DeleteAtReboot(const std::wstring& path);

enum class SwapResult {
    Applied,      // `exe` now holds the new file; the old one is `oldPath`, deleted at reboot
    NotMoved,     // the running file could not be moved away; nothing changed
    PutBack,      // the new file could not take its place; the old one is back
    OldMissing,   // neither step could be undone: the old file is left as `oldPath`
};

// Renames `exe` to `oldPath` and `newPath` to `exe`, both replacing, and
// checks each: when the second fails the first is undone, so that a working
// executable always stays under its name. On anything but Applied, `newPath`
// is marked for deletion at reboot.
SwapResult SwapInExecutable(const std::wstring& exe, const std::wstring& newPath, const std::wstring& oldPath);
