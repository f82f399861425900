// The application object: picks the run mode once and runs that role.
#pragma once

#include <windows.h>

#include <string>

#include "app/PrgsDlg.h"
#include "app/RunMode.h"
#include "framework/WinApp.h"

class CLoriq3Dlg;

class CLoriq3App : public CWinApp {
public:
    CLoriq3App();
    ~CLoriq3App() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Repeatable: the same answer every time within one process.
    RunMode DetectRunMode();

    // Non-zero when the platform publishes an executable other than the
    // running one; m_szUpdAddr then holds its address. Without force only
    // modes 2, 3, 5 and 7 check, once a day and not on disabled weekdays.
    int CheckForUpdate(bool force);
    // Downloads m_szUpdAddr as "NewQuon.exe" under the progress dialog and,
    // when its own key is the published one and its signer the required one,
    // swaps it in. True only when the running executable's path now holds the
    // new file; otherwise the old one stays and "NewQuon.exe" is deleted (at
    // the latest at the next restart). A key rolled back once is not fetched.
    bool ApplyUpdate();
    // After a swap: starts the new executable and waits, hidden, for its main
    // window. Then "UpdTime"; or, when it did not come up, the old executable
    // back, started, and its key recorded as refused (false).
    bool StartUpdatedExecutable();

    CPrgsDlg m_prgsDlg;
    wchar_t m_szUpdAddr[512] = {};
    std::wstring m_strPublishedKey;  // the key of the last configuration read
    HANDLE m_hEvtStarted = nullptr;
    HANDLE m_hEvtDone = nullptr;
    std::wstring m_strPageTitle;
    std::wstring m_strPageUrl;

private:
    // A first page process: its main window's process, whose window it finds
    // (0 when its command line names the window), waiting at most this long.
    DWORD m_nOwnerProcessId = 0;
    static constexpr DWORD kOwnerWaitMs = 60000;

    // DataFolder gets its administrators-only rule whenever it lacks it.
    void ProtectDataFolderIfRunningThere();
    // GDI+ and the common controls, for the windows of every role but a page
    // process (which makes them as it goes); a second call changes nothing.
    void StartUi();
    void RunMainWindow(CLoriq3Dlg& dlg);
    BOOL RunPageOrHallProcess(RunMode mode);
};

extern HWND g_hOwnerWnd;
extern int g_nOwnerPageCount;
// The address the game frame of a page or hall process opens: the game hall
// until a login replaces it by the game's address.
extern std::wstring g_strGameUrl;
extern wchar_t g_szLastTime[16];

CLoriq3App* GetApp();
