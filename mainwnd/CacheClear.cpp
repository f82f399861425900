#include "mainwnd/CacheClear.h"

#include <shlobj.h>
#include <wininet.h>

#include <new>
#include <string>

#include "mainwnd/CachePaths.h"

namespace {

void Log(const wchar_t* text) { ::OutputDebugStringW(text); }

// A folder search, closed on scope exit.
class FolderSearch {
public:
    FolderSearch(const std::wstring& pattern, WIN32_FIND_DATAW& data)
        : m_h(::FindFirstFileW(pattern.c_str(), &data)) {}
    ~FolderSearch() {
        if (m_h != INVALID_HANDLE_VALUE) ::FindClose(m_h);
    }
    FolderSearch(const FolderSearch&) = delete;
    FolderSearch& operator=(const FolderSearch&) = delete;
    bool Found() const { return m_h != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAW& data) { return ::FindNextFileW(m_h, &data) != FALSE; }
    // Closes the search before the folder is removed.
    void Close() {
        if (m_h != INVALID_HANDLE_VALUE) ::FindClose(m_h);
        m_h = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_h;
};

// Deletes one file; 0 or the delete's error.
DWORD DeleteOneFile(const std::wstring& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (::DeleteFileW(path.c_str())) return 0;
    DWORD error = ::GetLastError();
    return error ? error : ERROR_ACCESS_DENIED;
}

// The folder `path` itself, when it is a link: removed as such (never
// searched), or left when it is a kind of reparse point that is not a link.
bool RemoveLinkFolder(const std::wstring& path, DWORD attributes) {
    WIN32_FIND_DATAW data{};
    DWORD tag = 0;
    std::wstring entry = path;
    while (entry.size() > 3 && entry.back() == L'\\') entry.pop_back();
    {
        FolderSearch self(entry, data);  // the entry itself, for its reparse tag
        if (self.Found()) tag = data.dwReserved0;
    }
    if (cache::ActionFor(attributes, tag) != cache::EntryAction::RemoveLink) {
        Log(L"VexoQuon: a reparse point that is not a link is left in place\n");
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return ::RemoveDirectoryW(path.c_str()) != FALSE;
}

bool DeleteFolderTree(const std::wstring& path);

// One entry of a folder being cleared; the error of a failed file delete goes to `fileError`.
void DeleteEntry(const std::wstring& folderWithBackslash, const WIN32_FIND_DATAW& data, DWORD& fileError) {
    std::wstring child;
    if (!cache::ChildPath(folderWithBackslash, data.cFileName, child)) return;  // too long: skipped
    switch (cache::ActionFor(data.dwFileAttributes, data.dwReserved0)) {
    case cache::EntryAction::DeleteTree:
        DeleteFolderTree(child);
        break;
    case cache::EntryAction::DeleteFile:
        if (DWORD error = DeleteOneFile(child, data.dwFileAttributes)) fileError = error;
        break;
    case cache::EntryAction::RemoveLink:
        // A junction or a folder link: the link goes, its target stays.
        ::RemoveDirectoryW(child.c_str());
        break;
    case cache::EntryAction::Leave:
        Log(L"VexoQuon: a reparse point that is not a link is left in place\n");
        break;
    }
}

bool DeleteFolderTree(const std::wstring& path) {
    std::wstring pattern;
    if (!cache::SearchPattern(path, pattern)) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    const std::wstring folder = cache::WithTrailingBackslash(path);
    WIN32_FIND_DATAW data{};
    FolderSearch search(pattern, data);
    if (!search.Found()) return ::RemoveDirectoryW(path.c_str()) != FALSE;

    DWORD fileError = 0;
    do {
        if (!cache::IsDotEntry(data.cFileName)) DeleteEntry(folder, data, fileError);
    } while (search.Next(data));
    search.Close();

    const bool removed = ::RemoveDirectoryW(path.c_str()) != FALSE;
    const cache::TreeResult result = cache::DeleteTreeResult(removed, fileError);
    if (result.setError) ::SetLastError(result.error);
    return result.ok;
}

// ---- the three steps of a clearing ---------------------------------------------------

void ClearFlashSharedObjects() {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &pidl)) || !pidl) {
        Log(L"VexoQuon: no application-data folder, Flash shared objects not cleared\n");
        return;
    }
    wchar_t appData[MAX_PATH] = {};
    const bool got = ::SHGetPathFromIDListW(pidl, appData) != FALSE;
    ::CoTaskMemFree(pidl);  // the shell's allocator
    if (!got) {
        Log(L"VexoQuon: the application-data folder has no path, Flash shared objects not cleared\n");
        return;
    }
    const std::wstring folder = std::wstring(appData) + L"\\Macromedia\\Flash Player\\#SharedObjects";
    if (folder.size() + 1 > cache::kMaxPath) return;
    DeleteTree(folder.c_str());
}

// A URL-cache entry in a buffer of twice its reported size, freed on scope exit.
class EntryBuffer {
public:
    ~EntryBuffer() { delete[] m_bytes; }
    // Makes room for an entry of `reported` bytes; false when that size is
    // not believable or the memory is not there.
    bool Resize(DWORD reported) {
        delete[] m_bytes;
        m_bytes = nullptr;
        m_size = 0;
        const std::size_t bytes = cache::EntryBufferBytes(reported, sizeof(INTERNET_CACHE_ENTRY_INFOW));
        if (!bytes || bytes > MAXDWORD) return false;
        // Aligned for the entry structure.
        m_bytes = reinterpret_cast<BYTE*>(new (std::nothrow) ULONGLONG[(bytes + 7) / 8]);
        if (!m_bytes) return false;
        m_size = static_cast<DWORD>(bytes);
        return true;
    }
    INTERNET_CACHE_ENTRY_INFOW* Entry() const { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(m_bytes); }
    DWORD Size() const { return m_size; }

private:
    BYTE* m_bytes = nullptr;
    DWORD m_size = 0;
};

// The cache's answer to a size question: the size, or 0 when the
// enumeration is over (or cannot go on).
DWORD ReportedSize(BOOL answered, DWORD size) {
    if (!answered && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) return size;
    if (!answered && ::GetLastError() != ERROR_NO_MORE_ITEMS)
        Log(L"VexoQuon: the URL cache could not be read to its end\n");
    return 0;
}

void DeleteUnlessCookie(const INTERNET_CACHE_ENTRY_INFOW* entry) {
    if (entry->CacheEntryType & COOKIE_CACHE_ENTRY) return;
    if (entry->lpszSourceUrlName && entry->lpszSourceUrlName[0]) ::DeleteUrlCacheEntryW(entry->lpszSourceUrlName);
}

void ClearUrlCache() {
    EntryBuffer buffer;
    DWORD size = 0;
    HANDLE sizeOnly = ::FindFirstUrlCacheEntryW(nullptr, nullptr, &size);
    DWORD reported = ReportedSize(sizeOnly != nullptr, size);
    if (sizeOnly) {
        // Not what a size question answers; nothing sensible to read from it.
        ::FindCloseUrlCache(sizeOnly);
        return;
    }
    if (!reported || !buffer.Resize(reported)) return;
    size = buffer.Size();
    HANDLE find = ::FindFirstUrlCacheEntryW(nullptr, buffer.Entry(), &size);
    if (!find) {
        Log(L"VexoQuon: the first URL-cache entry could not be read\n");
        return;
    }
    for (;;) {
        DeleteUnlessCookie(buffer.Entry());
        size = 0;
        const BOOL answered = ::FindNextUrlCacheEntryW(find, nullptr, &size);  // before `size` is read
        reported = ReportedSize(answered, size);
        if (!reported || !buffer.Resize(reported)) break;
        size = buffer.Size();
        if (!::FindNextUrlCacheEntryW(find, buffer.Entry(), &size)) {
            Log(L"VexoQuon: a URL-cache entry could not be read, the clearing stops there\n");
            break;
        }
    }
    ::FindCloseUrlCache(find);
}

void ClearTemporaryInternetFiles() {
    wchar_t folder[MAX_PATH] = {};
    // Not created if missing: there is nothing to clear then.
    if (::SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) {
        Log(L"VexoQuon: no temporary-internet-files folder to clear\n");
        return;
    }
    DeleteTree(folder);
}

}  // namespace

bool DeleteTree(const wchar_t* path) {
    if (!path || !path[0]) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const std::wstring folder(path);
    // The folder itself may be a link: then only the link goes.
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return RemoveLinkFolder(folder, attributes);
    return DeleteFolderTree(folder);
}

DWORD WINAPI ClearBrowserCache(LPVOID) {
    ClearFlashSharedObjects();
    ClearUrlCache();
    ClearTemporaryInternetFiles();
    return 0;
}
