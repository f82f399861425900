#include "app/SelfUpdate.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "app/Endpoints.h"
#include "app/HttpTransfer.h"
#include "app/Md5.h"
#include "app/VersionKey.h"
#include "framework/Handles.h"

namespace {

// A configuration is a few lines; anything this large is not one.
constexpr DWORD kMaxConfigBytes = 1024 * 1024;
// A multiple of the allocation granularity (64 KiB) that a 32-bit process
// can always map.
constexpr LONGLONG kHashWindow = 16 * 1024 * 1024;

bool ReadSmallFile(const std::wstring& path, std::string& bytes) {
    fw::Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxConfigBytes) return false;
    bytes.resize(size_t(size.QuadPart));
    DWORD got = 0;
    if (bytes.empty()) return true;
    if (!::ReadFile(file.Get(), &bytes[0], DWORD(bytes.size()), &got, nullptr) || got != bytes.size()) return false;
    return true;
}

void Say(const std::wstring& text) { ::OutputDebugStringW((L"VexoQuon: " + text + L"\n").c_str()); }

}  // namespace

bool FileMd5(const std::wstring& path, std::uint8_t (&digest)[16], Md5Provider provider) {
    fw::Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) return false;
    CMd5 md5(provider);
    if (!md5.IsReady()) return false;
    // Hashed straight from a mapped view, window by window: no copy of the
    // bytes, which is most of what a read loop adds to the digest itself.
    fw::Handle mapping;
    if (size.QuadPart > 0) {
        mapping.Reset(::CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (!mapping) return false;
    }
    for (LONGLONG offset = 0; offset < size.QuadPart; offset += kHashWindow) {
        const DWORD length = DWORD(std::min<LONGLONG>(kHashWindow, size.QuadPart - offset));
        const BYTE* view = static_cast<const BYTE*>(::MapViewOfFile(
            mapping.Get(), FILE_MAP_READ, DWORD(offset >> 32), DWORD(offset & 0xFFFFFFFF), length));
        if (!view) return false;
        const bool added = md5.Add(view, length);
        ::UnmapViewOfFile(view);
        if (!added) return false;
    }
    return md5.Finish(digest);
}

bool ComputeVersionKey(const std::wstring& path, std::wstring& key) {
    std::uint8_t digest[16];
    if (!FileMd5(path, digest)) {
        Say(L"version key: " + path + L" cannot be read");
        return false;
    }
    key = VersionKeyFromDigest(digest, kProductVersion);
    return true;
}

std::wstring FromAnsi(const std::string& text) {
    if (text.empty()) return L"";
    int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), &out[0], n);
    return out;
}

bool FetchConfigFile(CHttpTransfer& transfer, const std::wstring& url, const std::wstring& filePath,
                     const std::string& gameName, UpdateConfig& config) {
    const bool fetched = transfer.Download(url, filePath) == TransferStatus::Ok;
    std::string text;
    const bool read = fetched && ReadSmallFile(filePath, text);
    // No stale configuration is left beside the executable, complete or not.
    ::DeleteFileW(filePath.c_str());
    if (!read) return false;
    config = ParseUpdateConfig(text, gameName);
    return true;
}

void DeleteAtReboot(const std::wstring& path) {
    if (!::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        Say(L"cannot mark " + path + L" for deletion at restart");
}

SwapResult SwapInExecutable(const std::wstring& exe, const std::wstring& newPath, const std::wstring& oldPath) {
    if (!::MoveFileExW(exe.c_str(), oldPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        Say(L"update not applied: the running executable cannot be moved away");
        DeleteAtReboot(newPath);
        return SwapResult::NotMoved;
    }
    if (!::MoveFileExW(newPath.c_str(), exe.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = ::GetLastError();
        const bool back = ::MoveFileExW(oldPath.c_str(), exe.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
        Say(L"update not applied: the new file cannot take its place (error " + std::to_wstring(error) +
            (back ? L"); the old one is back" : L"); the old one stays as " + oldPath));
        DeleteAtReboot(newPath);
        return back ? SwapResult::PutBack : SwapResult::OldMissing;
    }
    DeleteAtReboot(oldPath);
    return SwapResult::Applied;
}
