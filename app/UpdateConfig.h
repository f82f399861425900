// The update configuration the platform publishes for a game: profile (INI)
// text with section "VerKey", the version key under the game's short name and
// the download address under "UpdAddr". Read from the bytes of the fetched
// file the way the profile functions read it.
#pragma once

#include <string>

// The value of `key` in `section` (both compared ignoring ASCII case), blanks
// around it trimmed and one pair of enclosing quotes removed; the first
// occurrence counts. Empty when there is none. Lines end in LF or CR LF; a
// UTF-8 byte-order mark is skipped; lines starting with ";" are comments.
std::string ProfileValue(const std::string& text, const std::string& section, const std::string& key);

struct UpdateConfig {
    std::string verKey;   // at most 63 characters, as the profile read always kept it
    std::string updAddr;  // empty when missing or longer than 511 characters (never cut)
};

UpdateConfig ParseUpdateConfig(const std::string& text, const std::string& gameName);
