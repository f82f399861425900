#include "app/Loriq3App.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "app/Endpoints.h"
#include "app/CrashDump.h"
#include "app/Environment.h"
#include "app/Install.h"
#include "app/Libraries.h"
#include "app/OwnerWindow.h"
#include "app/Paths.h"
#include "app/PersistedState.h"
#include "app/ProtectedFolder.h"
#include "app/Process.h"
#include "app/SelfUpdate.h"
#include "app/VersionKey.h"
#include "app/StatReport.h"
#include "app/WindowHandle.h"
#include "browser/GmWndDoc.h"
#include "browser/GmWndView.h"
#include "browser/LoginBkDlg.h"
#include "browser/MainFrame.h"
#include "mainwnd/Loriq3Dlg.h"
#include "mainwnd/Messages.h"
#include "res/resource.h"
#include "skin/SkinMessageBox.h"

HWND g_hOwnerWnd = nullptr;
int g_nOwnerPageCount = 0;
std::wstring g_strGameUrl = HallPageUrl();

namespace {

// The game window's document template of a page or hall process, given back
// in ExitInstance.
std::unique_ptr<CSingleDocTemplate> g_pGameTemplate;

}  // namespace

CLoriq3App* GetApp() { return static_cast<CLoriq3App*>(CWinApp::Get()); }

CLoriq3App::CLoriq3App() = default;

CLoriq3App::~CLoriq3App() = default;

RunMode CLoriq3App::DetectRunMode() {
    const std::vector<std::wstring> args = SplitCommandLineArgs(::GetCommandLineW());
    // Only a start without a switch asks where it runs from: a page process
    // need not load the shell for the data folder's name.
    RunModeChoice choice = ParseRunMode(args, L"", L"");
    if (choice.mode == RunMode::Install) choice = ParseRunMode(args, UpperCase(ExePath()), UpperCase(DataFolder()));
    if (choice.mode == RunMode::PageProcess || choice.mode == RunMode::HallProcess)
        g_hOwnerWnd = WindowHandleFromNumber(choice.ownerWnd);
    if (choice.mode == RunMode::PageProcess) {
        g_nOwnerPageCount = choice.ownerPageCount;
        m_nOwnerProcessId = choice.ownerProcessId;
    }
    return choice.mode;
}

int CLoriq3App::CheckForUpdate(bool force) {
    if (!force) {
        const RunMode mode = DetectRunMode();
        if (mode == RunMode::Install || mode == RunMode::WebEntry || mode == RunMode::Uninstall ||
            mode == RunMode::PageProcess)
            return 0;
        if (!IsUpdateCheckDue()) {
            ::OutputDebugStringW(L"VexoQuon: no update check today\n");
            return 0;
        }
    }
    ProtectDataFolderIfRunningThere();
    CHttpTransfer transfer;
    const PublishedUpdate published = CheckPublishedUpdate(transfer);
    m_strPublishedKey = published.key;
    wcsncpy(m_szUpdAddr, published.address.c_str(), 511);
    m_szUpdAddr[511] = 0;
    return published.answer == UpdateAnswer::Available ? 1 : 0;
}

void CLoriq3App::ProtectDataFolderIfRunningThere() {
    const std::wstring exe = UpperCase(ExePath());
    const std::wstring folder = UpperCase(DataFolder()) + L"\\";
    if (exe.compare(0, folder.size(), folder) == 0) EnsureFolderProtected(DataFolder());
}

bool CLoriq3App::ApplyUpdate() {
    const std::wstring newPath = ModuleDirPath(L"NewQuon.exe");
    if (!m_strPublishedKey.empty() && !VersionKeysDiffer(m_strPublishedKey, RefusedKey())) {
        ::OutputDebugStringW(L"VexoQuon: this executable was rolled back once: not fetched again\n");
        DeleteAtReboot(newPath);
        return false;
    }
    wcsncpy(m_prgsDlg.m_szUrl, m_szUpdAddr, 511);
    m_prgsDlg.m_szUrl[511] = 0;
    if (newPath.size() >= 260) {
        DeleteAtReboot(newPath);
        return false;
    }
    wcsncpy(m_prgsDlg.m_szFile, newPath.c_str(), 259);
    m_prgsDlg.m_szFile[259] = 0;
    if (m_prgsDlg.DoModal() != IDOK) {
        DeleteAtReboot(newPath);
        return false;
    }
    if (!AcceptDownloadedExecutable(newPath, m_strPublishedKey)) {
        ::DeleteFileW(newPath.c_str());
        DeleteAtReboot(newPath);
        return false;
    }
    return SwapInExecutable(ExePath(), newPath, ModuleDirPath(L"OldQuon.exe")) == SwapResult::Applied;
}

bool CLoriq3App::StartUpdatedExecutable() {
    const StartWait wait = StartAndAwaitWindow(ExePath(), kUpdateConfirmMs);
    if (DecideAfterStart(wait) == AfterStart::KeepNew) {
        RecordUpdateTime();
        return true;
    }
    RollBackUpdate(ExePath(), ModuleDirPath(L"OldQuon.exe"), m_strPublishedKey);
    return false;
}

void CLoriq3App::StartUi() {
    StartGdiplus();
    StartCommonControls();
}

BOOL CLoriq3App::InitInstance() {
    PrepareCrashDumps();

    const RunMode mode = DetectRunMode();
    // A page process's login background is what the player waits for: it
    // decodes beside everything else its start-up does, and the common
    // controls come once it shows. A main window starts its first page before
    // its own set-up (below); every other role has its windows ready
    // from the start.
    if (mode == RunMode::PageProcess) {
        StartGdiplus();
        StartLoginBackgroundDecode();
    } else if (mode != RunMode::DesktopEntry && mode != RunMode::InstalledStart) {
        StartUi();
    }
    CWinApp::InitInstance();

    TakeUpdateSignal();
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
            StartUpdatedExecutable();
            return FALSE;
        }
    } else if (mode == RunMode::Install || mode == RunMode::DesktopEntry) {
        if (CheckForUpdate(false)) {
            StartUi();  // the download's progress dialog
            if (ApplyUpdate()) {
                if (!StartUpdatedExecutable()) return FALSE;
                ::CoInitialize(nullptr);
                CreateAllShortcuts(ExePath().c_str());
                ::CoUninitialize();
                return FALSE;
            }
        }
    }

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

    const bool flashCurrent = IsFlashPlayerCurrent();
    CLoriq3Dlg dlg;
    // The page process shows the login, the first thing the player sees: it
    // starts before this process's common controls and window, unless a
    // question comes first. The window starts GDI+ with its skin.
    if (flashCurrent) {
        dlg.LaunchPageProcess();
        StartCommonControls();
    } else {
        StartUi();
        if (SkinMessageBox(nullptr, L"您当前的Flash Player版本过低，是否安装更高版本的Flash Player ?", L"VexoQuon",
                           4) == IDYES) {
            OpenFlashDownloadPage();
            return FALSE;
        }
    }
    RunMainWindow(dlg);
    return FALSE;
}

void CLoriq3App::RunMainWindow(CLoriq3Dlg& dlg) {
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
}

BOOL CLoriq3App::RunPageOrHallProcess(RunMode mode) {
    if (mode == RunMode::PageProcess) {
        if (!g_hOwnerWnd && m_nOwnerProcessId) {
            // Started before its main window: the login waits for it (the
            // owner it disables and registers with). Without it nobody would
            // take the login.
            g_hOwnerWnd = AwaitOwnerWindow(m_nOwnerProcessId, kOwnerWaitMs);
            if (!g_hOwnerWnd) return FALSE;
        }
        CLoginBkDlg login(g_hOwnerWnd);
        if (login.DoModal() == IDCANCEL) {
            ::PostMessageW(g_hOwnerWnd, WM_SYSCOMMAND, SC_CLOSE, SELF_POSTED_MARKER);
            m_nExitCode = static_cast<int>(PAGE_EXIT_LEFT_LOGIN);
            return FALSE;
        }
    }
    // The common controls are there (a page's login background made them, a
    // hall made them at its start); OLE is a page's already, a hall's here.
    if (!StartOle()) return FALSE;
    g_pGameTemplate = CSingleDocTemplate::Make<CGmWndDoc, CMainFrame, CGmWndView>(IDR_MAINFRAME);
    // The command lines of these modes ask for a new, empty document: the
    // frame and its view.
    if (!g_pGameTemplate->OpenDocumentFile(nullptr, FALSE)) return FALSE;
    CFrameWnd* frame = g_pGameTemplate->GetFrame();
    if (!frame) return FALSE;
    ::SetWindowTextW(frame->m_hWnd, L"VexoQuon");
    frame->ShowWindow(SW_HIDE);
    ::UpdateWindow(frame->m_hWnd);
    return TRUE;
}

int CLoriq3App::ExitInstance() {
    // A report still on its way would die with the process (and can leave
    // WinINet stuck in its exit); give it a moment to finish.
    if (HasStartedStatRequest() && m_hEvtDone) ::WaitForSingleObject(m_hEvtDone, 5000);
    // The game window and its browser go while OLE is still up.
    g_pGameTemplate.reset();
    StopLibraries();
    if (m_hEvtStarted) ::CloseHandle(m_hEvtStarted);
    if (m_hEvtDone) ::CloseHandle(m_hEvtDone);
    m_hEvtStarted = m_hEvtDone = nullptr;
    return CWinApp::ExitInstance();
}
