// The batch script that deletes the uninstalled executable once the process
// that ran the uninstall has ended. No Windows here: paths arrive in the
// system's ANSI code page, as cmd reads them.
#pragma once

#include <string>

inline constexpr std::size_t kMaxSelfDeleteScript = 2047;

// fileCount: files in the executable's folder (and below). With only the
// executable there, the folder is removed as well once it is empty. Empty when the script
// would exceed kMaxSelfDeleteScript bytes.
std::string SelfDeleteScript(const std::string& exePath, const std::string& batchPath, int fileCount);

// The folder part of a path: up to, not including, its last backslash.
std::string FolderOf(const std::string& path);
