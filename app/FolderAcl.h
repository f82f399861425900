// The access rule of the folders the launcher runs from or starts programs
// out of (DataFolder, a game installer's folder): like Program Files,
// Administrators and SYSTEM may do everything, Users may read and run, and
// nothing is inherited from the parent (ProgramData lets any user create
// files, which would let a standard user prepare or rewrite what the
// administrator-run launcher later starts).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FolderAce {
    const wchar_t* sid;   // SDDL alias of the principal
    std::uint32_t mask;   // access rights
};

// Rights in the masks below.
constexpr std::uint32_t kFileAllAccess = 0x001F01FF;         // FILE_ALL_ACCESS
constexpr std::uint32_t kFileReadAndExecute = 0x001200A9;    // FILE_GENERIC_READ | FILE_GENERIC_EXECUTE
// Any of these lets a principal change what is in the folder or who may.
constexpr std::uint32_t kFileWriteRights = 0x00000002 | 0x00000004 | 0x00000010 | 0x00000040 | 0x00000100 |
                                           0x00010000 | 0x00040000 | 0x00080000 | 0x10000000 | 0x40000000;

// The entries, each inherited by files and subfolders.
const std::vector<FolderAce>& ProtectedFolderAces();

// The security descriptor (DACL only) in SDDL: protected from inheritance,
// one allow entry per FolderAce, object and container inherit.
std::wstring ProtectedFolderSddl();
