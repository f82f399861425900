#include "app/SelfUpdate.h"

#include <windows.h>

#include <vector>

#include "app/Endpoints.h"
#include "app/HttpTransfer.h"
#include "app/Md5.h"
#include "app/VersionKey.h"
#include "framework/Handles.h"

namespace {

// A configuration is a few lines; anything this large is not one.
constexpr DWORD kMaxConfigBytes = 1024 * 1024;
// Read block of the version key. Measured under Wine on a 20 MB file: 64 KiB
// to 256 KiB reads add about a tenth to the digest's own time, a mapped
// view (page faults) about half, 1 MiB reads a fifth (cache misses).
constexpr DWORD kHashBlock = 256 * 1024;

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
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) return false;
    CMd5 md5(provider);
    if (!md5.IsReady()) return false;
    std::vector<BYTE> block(kHashBlock);
    LONGLONG total = 0;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), block.data(), kHashBlock, &got, nullptr)) return false;
        if (got == 0) break;
        if (!md5.Add(block.data(), got)) return false;
        total += got;
    }
    // A file that changed length while it was read has no stable key.
    if (total != size.QuadPart) return false;
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
