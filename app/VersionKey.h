// The version key that decides whether a different executable is published:
// the MD5 digest of the executable's bytes in 32 lower-case hex digits, whose
// last digits are the program version without its dots ("3.0.1.1" gives the
// first 28 digits followed by "3011"). The digest itself comes from the
// platform's hash provider; this part only spells the key and compares.
#pragma once

#include <cstdint>
#include <string>

std::wstring HexDigits(const std::uint8_t* bytes, std::size_t count);

// Key of a 16-byte digest for `version`; a version of more than 32 digits
// (never the case) keeps only its last 32.
std::wstring VersionKeyFromDigest(const std::uint8_t (&digest)[16], const std::wstring& version);

// Keys compare ignoring case; any difference means another executable.
bool VersionKeysDiffer(const std::wstring& a, const std::wstring& b);

// "a.b.c.d" of a version resource's two 32-bit halves (major in the high
// word of `ms`), the form the key's last digits are taken from.
std::wstring VersionText(std::uint32_t ms, std::uint32_t ls);
