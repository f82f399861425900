#include "app/SelfUpdate.h"

#include <windows.h>

#include <vector>

#include "app/Authenticode.h"
#include "app/Endpoints.h"
#include "app/HttpTransfer.h"
#include "app/Md5.h"
#include "app/Paths.h"
#include "app/PersistedState.h"
#include "app/Process.h"
#include "app/VersionKey.h"
#include "framework/Handles.h"

namespace {

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

bool ComputeOwnVersionKey(const std::wstring& path, std::wstring& key) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) {
        Say(L"version key: " + path + L" has no version resource");
        return false;
    }
    std::vector<BYTE> info(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, info.data()) ||
        !::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
        fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        Say(L"version key: the version resource of " + path + L" cannot be read");
        return false;
    }
    std::uint8_t digest[16];
    if (!FileMd5(path, digest)) return false;
    key = VersionKeyFromDigest(digest, VersionText(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
    return true;
}

std::wstring FromAnsi(const std::string& text) {
    if (text.empty()) return L"";
    int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), &out[0], n);
    return out;
}

ConfigFetch FetchConfigFile(CHttpTransfer& transfer, const std::wstring& url, const std::wstring& filePath,
                            const std::string& gameName, UpdateConfig& config) {
    const TransferStatus status = transfer.Download(url, filePath, {}, kMaxConfigBytes);
    std::string text;
    const bool read = status == TransferStatus::Ok && ReadSmallFile(filePath, text);
    // No stale configuration is left behind, complete or not; a 404 wrote
    // nothing, and nothing else is ever deleted under a name from outside.
    if (status != TransferStatus::NotFound && status != TransferStatus::BadAddress) ::DeleteFileW(filePath.c_str());
    if (status == TransferStatus::NotFound) return ConfigFetch::NotPublished;
    if (!read) return ConfigFetch::Failed;
    config = ParseUpdateConfig(text, gameName);
    return ConfigFetch::Read;
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

PublishedUpdate CheckPublishedUpdate(CHttpTransfer& transfer) {
    PublishedUpdate result;
    UpdateConfig config;
    switch (FetchConfigFile(transfer, UpdateConfigUrl(L"Quon"), ModuleDirPath(L"ConfigQuon.htm"), "Quon", config)) {
    case ConfigFetch::NotPublished:
        result.answer = UpdateAnswer::UpToDate;
        return result;
    case ConfigFetch::Failed:
        Say(L"update check failed: no configuration");
        return result;
    case ConfigFetch::Read:
        break;
    }
    result.key = FromAnsi(config.verKey);
    result.address = FromAnsi(config.updAddr);
    if (result.key.empty()) {
        result.answer = UpdateAnswer::UpToDate;
        return result;
    }
    std::wstring own;
    if (!ComputeVersionKey(ExePath(), own)) {
        Say(L"update check failed: the running file's own key cannot be computed");
        return result;
    }
    if (!VersionKeysDiffer(result.key, RefusedKey())) {
        Say(L"the published executable was rolled back once: not fetched again");
        result.answer = UpdateAnswer::UpToDate;
        return result;
    }
    result.answer = VersionKeysDiffer(own, result.key) ? UpdateAnswer::Available : UpdateAnswer::UpToDate;
    return result;
}

bool AcceptDownloadedExecutable(const std::wstring& path, const std::wstring& publishedKey) {
    std::wstring own;
    if (publishedKey.empty() || !ComputeOwnVersionKey(path, own) || VersionKeysDiffer(own, publishedKey)) {
        Say(L"update refused: its own key " + own + L" is not the published key " + publishedKey);
        return false;
    }
    if (!IsAccepted(CheckSigner(path, L"update"))) {
        Say(L"update refused: signer");
        return false;
    }
    return true;
}

StartWait StartAndAwaitWindow(const std::wstring& exe, std::uint32_t timeoutMs) {
    const std::wstring name = UpdateSignalName(::GetCurrentProcessId(), ::GetTickCount());
    fw::Handle signal(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    if (!signal || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        Say(L"no update signal could be made");
        signal.Reset();
    }
    // Only the new process inherits it: it is taken out here again at once.
    if (signal) ::SetEnvironmentVariableW(kUpdateSignalVariable, name.c_str());
    fw::Handle process(StartProcessKeepHandle(L"\"" + exe + L"\""));
    ::SetEnvironmentVariableW(kUpdateSignalVariable, nullptr);
    if (!process) {
        Say(L"the new executable did not start");
        return StartWait::NotStarted;
    }
    if (!signal) {
        // Without a word to wait for, a running new executable is not judged:
        // rolling back under it would leave two versions running.
        return ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0 ? StartWait::ProcessEnded
                                                                         : StartWait::Signalled;
    }
    HANDLE both[2] = {signal.Get(), process.Get()};
    const DWORD r = ::WaitForMultipleObjects(2, both, FALSE, timeoutMs);
    if (r == WAIT_OBJECT_0) return StartWait::Signalled;
    if (r == WAIT_OBJECT_0 + 1) {
        // It may have said so just before it ended.
        if (::WaitForSingleObject(signal.Get(), 0) == WAIT_OBJECT_0) return StartWait::Signalled;
        Say(L"the new executable ended before its window was up");
        return StartWait::ProcessEnded;
    }
    Say(L"the new executable said nothing in time; it is ended");
    ::TerminateProcess(process.Get(), 1);
    ::WaitForSingleObject(process.Get(), 5000);
    return StartWait::TimedOut;
}

bool RollBackUpdate(const std::wstring& exe, const std::wstring& oldPath, const std::wstring& refusedKey) {
    RecordRefusedKey(refusedKey);
    const std::wstring refused = ModuleDirPath(L"NewQuon.exe");
    // The refused file leaves the name first (a file still mapped can be
    // renamed, not replaced), then the old one takes it back.
    if (!::MoveFileExW(exe.c_str(), refused.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        Say(L"rollback: the refused executable cannot be moved away");
        return false;
    }
    if (!::MoveFileExW(oldPath.c_str(), exe.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        // Some executable under the name is better than none.
        ::MoveFileExW(refused.c_str(), exe.c_str(), MOVEFILE_REPLACE_EXISTING);
        Say(L"rollback: the old executable cannot be put back");
        return false;
    }
    // The refused file goes now (its process has ended), else at the next restart.
    DeleteAtReboot(refused);
    ::DeleteFileW(refused.c_str());
    StartProcess(L"\"" + exe + L"\"");
    Say(L"update rolled back to the old executable");
    return true;
}

namespace {
std::wstring g_updateSignal;
}

void TakeUpdateSignal() {
    wchar_t name[128] = {};
    const DWORD n = ::GetEnvironmentVariableW(kUpdateSignalVariable, name, 128);
    if (n == 0) return;
    ::SetEnvironmentVariableW(kUpdateSignalVariable, nullptr);
    if (n < 128 && IsUpdateSignalName(name)) g_updateSignal = name;
}

void ConfirmUpdatedStart() {
    if (g_updateSignal.empty()) return;
    fw::Handle signal(::OpenEventW(EVENT_MODIFY_STATE, FALSE, g_updateSignal.c_str()));
    g_updateSignal.clear();
    if (!signal || !::SetEvent(signal.Get())) Say(L"the updating process could not be told that the window is up");
}
