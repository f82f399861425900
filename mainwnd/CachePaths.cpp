#include "mainwnd/CachePaths.h"

namespace cache {

std::wstring WithTrailingBackslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') return path;
    return path + L'\\';
}

bool SearchPattern(const std::wstring& folder, std::wstring& pattern) {
    std::wstring p = WithTrailingBackslash(folder) + L'*';
    if (p.size() + 1 > kMaxPath) return false;
    pattern = p;
    return true;
}

bool IsDotEntry(const std::wstring& name) { return name == L"." || name == L".."; }

bool ChildPath(const std::wstring& folderWithBackslash, const std::wstring& name, std::wstring& path) {
    if (folderWithBackslash.size() + name.size() + 1 > kMaxPath) return false;
    path = folderWithBackslash + name;
    return true;
}

EntryAction ActionFor(std::uint32_t attributes, std::uint32_t reparseTag) {
    const bool folder = (attributes & kAttrDirectory) != 0;
    if (!(attributes & kAttrReparsePoint)) return folder ? EntryAction::DeleteTree : EntryAction::DeleteFile;
    // A link's target may lie anywhere on the disk: never look inside it.
    if (!folder) return EntryAction::DeleteFile;
    if (reparseTag == kTagMountPoint || reparseTag == kTagSymlink) return EntryAction::RemoveLink;
    return EntryAction::Leave;
}

TreeResult DeleteTreeResult(bool folderRemoved, std::uint32_t fileError) {
    if (fileError) return TreeResult{false, true, fileError};
    return TreeResult{folderRemoved, false, 0};
}

std::size_t EntryBufferBytes(std::uint32_t reportedBytes, std::size_t headerBytes) {
    if (reportedBytes < headerBytes || reportedBytes > kMaxEntryBytes) return 0;
    return static_cast<std::size_t>(reportedBytes) * 2;
}

}  // namespace cache
