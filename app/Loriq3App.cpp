#include "app/Loriq3App.h"

#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "app/Endpoints.h"
#include "app/CrashDump.h"
#include "app/Environment.h"
#include "app/Install.h"
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

// The game window's document template of a page or hall process, and whether
// OLE was started for it; both are given back in ExitInstance.
std::unique_ptr<CSingleDocTemplate> g_pGameTemplate;
bool g_bOleStarted = false;

}  // namespace

void StartCommonControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
}

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
        g_hOwnerWnd = WindowHandleFromNumber(choice.ownerWnd);
    if (choice.mode == RunMode::PageProcess) g_nOwnerPageCount = choice.ownerPageCount;
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

BOOL CLoriq3App::InitInstance() {
    PrepareCrashDumps();

    const RunMode mode = DetectRunMode();
    // A page process's login background is what the player waits for: it
    // decodes beside everything else its start-up does.
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplusInput, nullptr);
    if (mode == RunMode::PageProcess) StartLoginBackgroundDecode();

    if (mode != RunMode::PageProcess) StartCommonControls();
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
        if (CheckForUpdate(false) && ApplyUpdate()) {
            if (!StartUpdatedExecutable()) return FALSE;
            ::CoInitialize(nullptr);
            CreateAllShortcuts(ExePath().c_str());
            ::CoUninitialize();
            return FALSE;
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

BOOL CLoriq3App::RunPageOrHallProcess(RunMode mode) {
    if (FAILED(::OleInitialize(nullptr))) {
        SkinMessageBox(nullptr, L"初始化OLE库失败", L"VexoQuon", 0);
        return FALSE;
    }
    g_bOleStarted = true;
    if (mode == RunMode::PageProcess) {
        CLoginBkDlg login(g_hOwnerWnd);
        if (login.DoModal() == IDCANCEL) {
            ::PostMessageW(g_hOwnerWnd, WM_SYSCOMMAND, SC_CLOSE, SELF_POSTED_MARKER);
            m_nExitCode = static_cast<int>(PAGE_EXIT_LEFT_LOGIN);
            return FALSE;
        }
    }
    StartCommonControls();  // already made once the background showed
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
    if (g_bOleStarted) {
        ::OleUninitialize();
        g_bOleStarted = false;
    }
    if (m_hEvtStarted) ::CloseHandle(m_hEvtStarted);
    if (m_hEvtDone) ::CloseHandle(m_hEvtDone);
    m_hEvtStarted = m_hEvtDone = nullptr;
    if (m_gdiplusToken) {
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
        m_gdiplusToken = 0;
    }
    return CWinApp::ExitInstance();
}
