// CSettingDlg: the hot-key settings. Each key is entered by pressing it in
// its edit: the dialog captures the key down and shows the combination as
// text; "确定" writes the keys to the hot-key file and makes every running
// main window reload them. The rules themselves are in KeyCapture.h.
#pragma once

#include <windows.h>

#include "framework/Handles.h"
#include "mainwnd/KeyCapture.h"
#include "skin/BtnEx.h"
#include "skin/DlgEx.h"
#include "skin/StaticEx.h"

class CSettingDlg : public CDlgEx {
public:
    explicit CSettingDlg(HWND parent);
    ~CSettingDlg() override;

    BOOL PreTranslateMessage(MSG* msg) override;

    HWND m_editBoss = nullptr;
    HWND m_editSwitch = nullptr;
    HWND m_editSound = nullptr;
    CStaticEx m_lblBossPrompt;
    CStaticEx m_lblBossExample;
    CStaticEx m_lblSwitchPrompt;
    CStaticEx m_lblSwitchExample;
    CStaticEx m_lblSoundExample;
    CStaticEx m_lblSoundPrompt;
    CBtnEx m_btnOk;
    CBtnEx m_btnCancel;
    // The key code each edit stands for (boss, switch, sound).
    int m_nBossVk = 0;
    int m_nSwitchVk = 0;
    int m_nSoundVk = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    void OnOK() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // The focused key edit, its kind and its key code; false when no key edit has the focus.
    bool FocusedKeyEdit(HWND* edit, KeyEdit* kind, int** vk);
    // The group boxes' brush for a control asking for its colours, or null
    // for every other control (default handling).
    HBRUSH GroupBoxBrush(HDC dc, HWND control);

    fw::Brush m_groupBrush;  // the group boxes' colour, one brush for the dialog's life
};

// The settings dialog while it runs modally from a menu, else null.
extern CSettingDlg* activeModalDialog;

// The player is entering a key in a settings dialog of this program, of this
// or of another running instance: the dialog is the foreground window and
// one of its key edits has the focus. The system-wide hot keys must not act
// then (pressing the current boss key to keep it would hide everything and
// cancel the dialog).
bool IsHotKeyBeingEntered();

// Posts UM_RELOAD_HOTKEYS to every main window of every running instance.
void BroadcastReloadHotKeys();
