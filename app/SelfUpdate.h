// The steps of self-update below the application object: the version key of
// a file, the configuration fetch (shared with the game-client download),
// and the swap of the running executable.
#pragma once

#include <cstdint>
#include <string>

#include "app/Md5.h"
#include "app/UpdateConfig.h"

class CHttpTransfer;

// MD5 of a file's bytes through the system's hash provider (CNG, or
// CryptoAPI where CNG is missing or when asked for).
// False when the file cannot be read or the provider fails.
bool FileMd5(const std::wstring& path, std::uint8_t (&digest)[16], Md5Provider provider = Md5Provider::Best);

// The version key of a file for this program's version; false when the file
// cannot be read (the caller then answers that nothing is published).
bool ComputeVersionKey(const std::wstring& path, std::wstring& key);

// Fetches the configuration at `url` into `filePath`, reads `gameName`'s key
// and the download address from it and deletes the file again (also after a
// failed or partial transfer). False when the transfer failed.
bool FetchConfigFile(CHttpTransfer& transfer, const std::wstring& url, const std::wstring& filePath,
                     const std::string& gameName, UpdateConfig& config);

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
