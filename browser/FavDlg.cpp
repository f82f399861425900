#include "browser/FavDlg.h"

#include <shlobj.h>

#include <string>

#include "app/Paths.h"
#include "browser/Favourite.h"
#include "framework/Handles.h"
#include "res/resource.h"

namespace {

void Say(const std::wstring& text) {
    ::OutputDebugStringW((L"VexoQuon: favourite not saved: " + text + L"\n").c_str());
}

// The text in the ANSI code page; false when it does not fit or a character
// has no ANSI form (a replaced one would save another address).
bool ToAnsi(const std::wstring& text, std::string& out) {
    if (text.size() > kMaxShortcutText) return false;
    BOOL defaulted = FALSE;
    int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()), nullptr, 0, nullptr,
                                  &defaulted);
    if (n <= 0 || defaulted || size_t(n) > kMaxShortcutText) return false;
    out.assign(size_t(n), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
    return true;
}

}  // namespace

bool SaveFavourite(const std::wstring& folder, const std::wstring& name, const std::wstring& url) {
    if (folder.empty() || !IsUsableFileName(name) || name.size() > kMaxFavouriteName) {
        Say(L"the name cannot be a file name");
        return false;
    }
    const std::wstring path = folder + L"\\" + name + L".url";
    std::string bytes;
    if (path.size() >= MAX_PATH || !ToAnsi(InternetShortcutText(url), bytes)) {
        Say(L"the address does not fit a shortcut");
        return false;
    }
    // Written beside the target first and moved over it: an older favourite
    // is replaced only by a complete new one.
    wchar_t temp[MAX_PATH] = {};
    if (!::GetTempFileNameW(folder.c_str(), L"fav", 0, temp)) {
        Say(L"the folder cannot be written");
        return false;
    }
    bool written = false;
    {
        fw::Handle file(::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD done = 0;
        written = file && ::WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &done, nullptr) &&
                  done == bytes.size() && ::CloseHandle(file.Release());
    }
    if (written && ::MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    ::DeleteFileW(temp);
    Say(L"the file cannot be written");
    return false;
}

CFavDlg::CFavDlg(const std::wstring& strTitle, const std::wstring& strUrl, HWND pParent)
    : CDialog(IDD_FAV_DIALOG, pParent), m_strTitle(strTitle), m_strUrl(strUrl) {}

CFavDlg::~CFavDlg() = default;

BOOL CFavDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // A longer name would be cut without the player seeing it.
    ::SendDlgItemMessageW(m_hWnd, IDC_FAV_NAME, EM_LIMITTEXT, kMaxFavouriteName, 0);
    ::SetDlgItemTextW(m_hWnd, IDC_FAV_NAME, m_strTitle.c_str());
    return TRUE;
}

void CFavDlg::OnOK() {
    wchar_t name[kMaxFavouriteName + 1] = {};
    ::GetDlgItemTextW(m_hWnd, IDC_FAV_NAME, name, kMaxFavouriteName + 1);
    CDialog::OnOK();  // the dialog ends whatever the save does
    SaveFavourite(ShellFolder(CSIDL_FAVORITES), name, m_strUrl);
}
