// CFavDlg: adds the game page to the user's Favorites as an Internet
// Shortcut, so that the game opens straight in Internet Explorer. System
// look; the name proposed is the page title. The shortcut is written whole
// or not at all: an address too long for it, a name that cannot be a file
// name or a folder that cannot be written leave nothing behind, and the
// dialog ends either way.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"

class CFavDlg : public CDialog {
public:
    CFavDlg(const std::wstring& strTitle, const std::wstring& strUrl, HWND pParent);
    ~CFavDlg() override;

    std::wstring m_strTitle;  // proposed name
    std::wstring m_strUrl;    // address to save

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};

// Writes the shortcut for `url` as `name` + ".url" in `folder`, replacing an
// older one. False, with nothing written, when the text or the path would not
// fit, the name is not a usable file name, the text cannot be expressed in
// the ANSI code page, or the folder cannot be written.
bool SaveFavourite(const std::wstring& folder, const std::wstring& name, const std::wstring& url);
