#include "app/FolderAcl.h"

#include <cstdio>

const std::vector<FolderAce>& ProtectedFolderAces() {
    static const std::vector<FolderAce> aces = {
        {L"SY", kFileAllAccess},        // SYSTEM
        {L"BA", kFileAllAccess},        // Administrators
        {L"BU", kFileReadAndExecute},   // Users
    };
    return aces;
}

std::wstring ProtectedFolderSddl() {
    // "P": not inherited from the parent; "AI": children inherit.
    std::wstring sddl = L"D:PAI";
    for (const FolderAce& ace : ProtectedFolderAces()) {
        wchar_t mask[16];
        std::swprintf(mask, 16, L"0x%x", unsigned(ace.mask));
        sddl += L"(A;OICI;" + std::wstring(mask) + L";;;" + ace.sid + L")";
    }
    return sddl;
}
