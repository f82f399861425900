// The decisions of cache clearing that need no Windows: which paths fit,
// what to do with each entry of a folder, what a folder's deletion reports,
// and how large a buffer a URL-cache entry gets. CacheClear.cpp does the
// file-system and cache calls around them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cache {

// Paths hold at most this many characters, the terminator included.
constexpr std::size_t kMaxPath = 260;

// The file attribute bits and reparse tags the decisions read (their Windows values).
constexpr std::uint32_t kAttrReadOnly = 0x1;
constexpr std::uint32_t kAttrDirectory = 0x10;
constexpr std::uint32_t kAttrReparsePoint = 0x400;
constexpr std::uint32_t kTagMountPoint = 0xA0000003;  // a junction
constexpr std::uint32_t kTagSymlink = 0xA000000C;

// `path` with one backslash at its end.
std::wstring WithTrailingBackslash(const std::wstring& path);

// The search pattern of a folder ("<folder>\*"); false when it would not fit.
bool SearchPattern(const std::wstring& folder, std::wstring& pattern);

// "." and "..", which a folder search lists but which are not its entries.
bool IsDotEntry(const std::wstring& name);

// The full path of `name` in a folder given with its trailing backslash;
// false when it would not fit (such a name is skipped).
bool ChildPath(const std::wstring& folderWithBackslash, const std::wstring& name, std::wstring& path);

enum class EntryAction {
    DeleteTree,   // a real folder: clear it and remove it
    DeleteFile,   // a file (a symbolic link to a file is deleted as the link)
    RemoveLink,   // a junction or a symbolic link to a folder: remove the link only
    Leave,        // another kind of reparse point: neither followed nor removed
};

// What to do with an entry of these attributes and (for reparse points) this tag.
EntryAction ActionFor(std::uint32_t attributes, std::uint32_t reparseTag);

// What a folder's deletion reports once its entries are done.
struct TreeResult {
    bool ok;
    bool setError;        // set the thread's last error to `error`
    std::uint32_t error;
};
// Success only when the folder went and no file delete failed; with a failed
// file delete, the last error is that delete's (`fileError` non-zero).
TreeResult DeleteTreeResult(bool folderRemoved, std::uint32_t fileError);

// Bytes to allocate for a URL-cache entry whose size the cache reported:
// twice that size. 0 when the size cannot be a real entry (smaller than the
// entry header, or larger than any entry can sensibly be) or the double
// would overflow; the enumeration then stops.
std::size_t EntryBufferBytes(std::uint32_t reportedBytes, std::size_t headerBytes);

// Largest entry the enumeration accepts: URLs, file names and headers of an
// entry stay far below this.
constexpr std::uint32_t kMaxEntryBytes = 1024 * 1024;

}  // namespace cache
