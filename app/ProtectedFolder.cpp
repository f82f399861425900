#include "app/ProtectedFolder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "app/FolderAcl.h"

namespace {

void Say(const std::wstring& text) { ::OutputDebugStringW((L"VexoQuon: " + text + L"\n").c_str()); }

// Owns what LocalAlloc gave.
struct LocalMemory {
    HLOCAL p = nullptr;
    ~LocalMemory() {
        if (p) ::LocalFree(p);
    }
};

}  // namespace

bool ProtectFolder(const std::wstring& folder) {
    LocalMemory descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(ProtectedFolderSddl().c_str(), SDDL_REVISION_1,
                                                                 reinterpret_cast<PSECURITY_DESCRIPTOR*>(&descriptor.p),
                                                                 nullptr)) {
        Say(L"folder rule not built, error " + std::to_wstring(::GetLastError()));
        return false;
    }
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!::GetSecurityDescriptorDacl(descriptor.p, &present, &dacl, &defaulted) || !present) return false;
    const DWORD rc = ::SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                             DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                             nullptr, nullptr, dacl, nullptr);
    if (rc != ERROR_SUCCESS) {
        Say(L"folder " + folder + L" not protected, error " + std::to_wstring(rc));
        return false;
    }
    return true;
}

void EnsureFolderProtected(const std::wstring& folder) {
    LocalMemory descriptor;
    PACL dacl = nullptr;
    const DWORD rc = ::GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                             nullptr, &dacl, nullptr,
                                             reinterpret_cast<PSECURITY_DESCRIPTOR*>(&descriptor.p));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (rc == ERROR_SUCCESS && ::GetSecurityDescriptorControl(descriptor.p, &control, &revision) &&
        (control & SE_DACL_PROTECTED))
        return;
    ProtectFolder(folder);
}

std::wstring CreateFreshProtectedFolder(const std::wstring& parent, const std::wstring& prefix) {
    std::wstring base = parent;
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::wstring folder = base + prefix + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(::GetTickCount() + attempt);
        if (!::CreateDirectoryW(folder.c_str(), nullptr)) {
            if (::GetLastError() == ERROR_ALREADY_EXISTS) continue;  // someone's: never reused
            break;
        }
        if (ProtectFolder(folder)) return folder;
        ::RemoveDirectoryW(folder.c_str());
        break;
    }
    Say(L"no fresh folder under " + parent);
    return L"";
}
