#include "app/Loriq3App.h"

#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>
#include <objbase.h>
#include <shellapi.h>

#include <vector>

#include "app/Endpoints.h"
#include "app/Paths.h"
#include "app/PersistedState.h"
#include "app/Process.h"
#include "app/StatReport.h"
#include "app/Stubs.h"
#include "mainwnd/Loriq3Dlg.h"
#include "skin/SkinMessageBox.h"

HWND g_hOwnerWnd = nullptr;
int g_nOwnerPageCount = 0;

CLoriq3App* GetApp() { return static_cast<CLoriq3App*>(CWinApp::Get()); }

CLoriq3App::CLoriq3App() = default;

CLoriq3App::~CLoriq3App() = default;

RunMode CLoriq3App::DetectRunMode() {
    std::vector<std::wstring> args;
    int argc = 0;
    if (LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc)) {
        for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
        ::LocalFree(argv);
    }
    RunModeChoice choice = ParseRunMode(args, UpperCase(ExePath()), UpperCase(DataFolder()));
    if (choice.mode == RunMode::PageProcess || choice.mode == RunMode::HallProcess)
        g_hOwnerWnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(choice.ownerWnd));
    if (choice.mode == RunMode::PageProcess) g_nOwnerPageCount = choice.ownerPageCount;
    return choice.mode;
}

int CLoriq3App::CheckForUpdate(bool) {
    // The update gate answers no until self-update is built.
    return 0;
}

bool CLoriq3App::ApplyUpdate() { return false; }

BOOL CLoriq3App::InitInstance() {
    ::SetUnhandledExceptionFilter(CrashFilter);

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    CWinApp::InitInstance();

    const RunMode mode = DetectRunMode();
    m_hEvtStarted = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_hEvtDone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);

    if (mode == RunMode::Uninstall) {
        if (SkinMessageBox(nullptr, L"确定要移除 VexoQuon极速登录器吗？", L"VexoQuon", 4) == IDYES) {
            UninstallProgram();
            ::WaitForSingleObject(m_hEvtDone, INFINITE);
        }
        return FALSE;
    }

    if (mode == RunMode::FinishUpdate) {
        CheckForUpdate(true);
        if (ApplyUpdate()) {
            StartProcess(L"\"" + ExePath() + L"\"");
            RecordUpdateTime();
            return FALSE;
        }
    } else if (mode == RunMode::Install || mode == RunMode::DesktopEntry) {
        if (CheckForUpdate(false) && ApplyUpdate()) {
            StartProcess(L"\"" + ExePath() + L"\"");
            RecordUpdateTime();
            ::CoInitialize(nullptr);
            CreateAllShortcuts(ExePath().c_str());
            ::CoUninitialize();
            return FALSE;
        }
    }

    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplusInput, nullptr);

    switch (mode) {
    case RunMode::Install:
        InstallToDataFolder();
        WriteDisableDays();
        SendInstallReport(this);
        ::WaitForSingleObject(m_hEvtDone, INFINITE);
        return FALSE;
    case RunMode::WebEntry:
        ::ShellExecuteW(nullptr, L"open", WebHomePageUrl().c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
        SendWebActivationReport(this);
        ::WaitForSingleObject(m_hEvtDone, INFINITE);
        return FALSE;
    case RunMode::DesktopEntry:
    case RunMode::InstalledStart:
        SendGameActivationReport(this);  // not waited for: runs beside the window
        break;
    default:
        break;
    }

    SetCacheLimit();

    if (mode == RunMode::PageProcess || mode == RunMode::HallProcess) return RunPageOrHallProcess(mode);

    if (!IsFlashPlayerCurrent() &&
        SkinMessageBox(nullptr, L"您当前的Flash Player版本过低，是否安装更高版本的Flash Player ?",
                       L"VexoQuon", 4) == IDYES) {
        OpenFlashDownloadPage();
        return FALSE;
    }
    RunMainWindow();
    return FALSE;
}

void CLoriq3App::RunMainWindow() {
    CLoriq3Dlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
}

BOOL CLoriq3App::RunPageOrHallProcess(RunMode) {
    if (FAILED(::OleInitialize(nullptr))) {
        SkinMessageBox(nullptr, L"初始化OLE库失败", L"VexoQuon", 0);
        return FALSE;
    }
    // Page and hall windows arrive with the browser host.
    return FALSE;
}

int CLoriq3App::ExitInstance() {
    if (m_hEvtStarted) ::CloseHandle(m_hEvtStarted);
    if (m_hEvtDone) ::CloseHandle(m_hEvtDone);
    m_hEvtStarted = m_hEvtDone = nullptr;
    if (m_gdiplusToken) {
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
        m_gdiplusToken = 0;
    }
    return CWinApp::ExitInstance();
}
