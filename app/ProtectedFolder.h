// Folders only administrators can change (the rule of app/FolderAcl.h),
// applied for real.
#pragma once

#include <string>

// Gives `folder` the protected DACL. False when it could not be set.
bool ProtectFolder(const std::wstring& folder);
// Protects `folder` unless its DACL is protected already (the launcher finds
// DataFolder as an older install or ProgramData left it).
void EnsureFolderProtected(const std::wstring& folder);
// A folder made new under `parent` (never one that existed), protected;
// empty when none could be made.
std::wstring CreateFreshProtectedFolder(const std::wstring& parent, const std::wstring& prefix);
