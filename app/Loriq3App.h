// The application object: picks the run mode once and runs that role.
#pragma once

#include <windows.h>

#include <string>

#include "app/RunMode.h"
#include "framework/WinApp.h"

class CLoriq3App : public CWinApp {
public:
    CLoriq3App();
    ~CLoriq3App() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Repeatable: the same answer every time within one process.
    RunMode DetectRunMode();

    // Self-update gate and swap. Non-zero when another executable is published.
    int CheckForUpdate(bool force);
    bool ApplyUpdate();

    ULONG_PTR m_gdiplusToken = 0;
    wchar_t m_szUpdAddr[512] = {};
    HANDLE m_hEvtStarted = nullptr;
    HANDLE m_hEvtDone = nullptr;
    std::wstring m_strPageTitle;
    std::wstring m_strPageUrl;

private:
    void RunMainWindow();
    BOOL RunPageOrHallProcess(RunMode mode);
};

extern HWND g_hOwnerWnd;
extern int g_nOwnerPageCount;
// The address the game frame of a page or hall process opens: the game hall
// until a login replaces it by the game's address.
extern std::wstring g_strGameUrl;
extern wchar_t g_szLastTime[16];

CLoriq3App* GetApp();
