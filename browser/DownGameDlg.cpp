#include "browser/DownGameDlg.h"

#include <commctrl.h>

#include "app/Authenticode.h"
#include "app/Endpoints.h"
#include "app/Paths.h"
#include "app/Process.h"
#include "app/ProtectedFolder.h"
#include "app/SelfUpdate.h"
#include "app/TransferRules.h"
#include "browser/Favourite.h"
#include "framework/Threads.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "skin/SkinImage.h"

namespace {

// Sent without waiting (as SendProgress does): handled in order, before the
// posted end.
constexpr UINT UM_DOWNLOAD_PROGRESS = WM_APP + 1;  // wParam = percent

HINSTANCE Instance() {
    CWinApp* app = CWinApp::Get();
    return app && app->m_hInstance ? app->m_hInstance : ::GetModuleHandleW(nullptr);
}

// The user's temporary folder with its trailing backslash; empty when unknown.
std::wstring TempFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = ::GetTempPathW(MAX_PATH + 1, path);
    return n > 0 && n <= MAX_PATH ? std::wstring(path, n) : std::wstring();
}

void Say(const std::wstring& text) { ::OutputDebugStringW((L"VexoQuon: game download: " + text + L"\n").c_str()); }

}  // namespace

CDownGameDlg::CDownGameDlg(const std::wstring& strName, HWND pParent)
    : CDlgEx(IDD_DOWNGAME_DIALOG, pParent), m_strName(strName) {}

CDownGameDlg::~CDownGameDlg() {
    JoinThread();
    for (HBITMAP b : {m_hClose, m_hBtnStrip1, m_hBtnStrip2})
        if (b) ::DeleteObject(b);
}

void CDownGameDlg::DoDataExchange() {
    m_btnOk.SubclassDlgItem(IDOK, m_hWnd);
    m_btnCancel.SubclassDlgItem(IDCANCEL, m_hWnd);
    m_lblPercent.SubclassDlgItem(IDC_DOWN_PERCENT, m_hWnd);
    m_progress.SubclassDlgItem(IDC_DOWN_PROGRESS, m_hWnd);
}

BOOL CDownGameDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    SetCaptionLayout(30, 4, 0, 0, 0);
    SetTitle(L"游戏下载中...");
    const HINSTANCE inst = Instance();
    if (!m_hClose) m_hClose = LoadSkinBitmap(inst, IDB_CLOSE);
    SetSkin(LoadSkinBitmap(inst, IDB_SMALLDLG_BK), FALSE, TRUE, m_hClose, nullptr, nullptr, nullptr);

    ::EnableWindow(m_btnOk.m_hWnd, FALSE);
    if (!m_hBtnStrip1) m_hBtnStrip1 = LoadSkinBitmap(inst, IDB_PUSHBUTTON);
    if (!m_hBtnStrip2) m_hBtnStrip2 = LoadSkinBitmap(inst, IDB_PUSHBUTTON);
    m_btnOk.SetImage(m_hBtnStrip1, TRUE);
    m_btnCancel.SetImage(m_hBtnStrip2, TRUE);
    m_lblPercent.m_crText = RGB(72, 81, 86);
    m_lblPercent.m_nFontHeight = 16;
    ShowPercent(L"");
    m_progress.SetImages(LoadSkinBitmap(inst, IDB_PROGRESS_TRACK), LoadSkinBitmap(inst, IDB_PROGRESS_FILL));

    m_outcome = Outcome::Running;
    m_bEnding = false;
    m_transfer.Rearm();
    // The name comes from a web page: it becomes two file names and a
    // program to start, so it must be a plain file name.
    const std::wstring temp = TempFolder();
    // Room for the fresh folder's name ("VexoGame-" + two numbers).
    const std::wstring file = temp + L"VexoGame-4294967295-4294967295\\" + m_strName + L".exe";
    if (!IsUsableFileName(m_strName) || temp.empty() || file.size() >= 260) {
        Say(L"name '" + m_strName + L"' cannot be a file name here: nothing is downloaded");
        m_outcome = Outcome::ConfigFailed;
        SetTitle(L"下载失败");
        return TRUE;
    }
    m_strConfigUrl = UpdateConfigUrl(m_strName);
    m_uiPost.Create();
    m_hThread.Reset(::CreateThread(nullptr, 0, DownloadThread, this, 0, nullptr));
    if (!m_hThread) {
        Say(L"no thread");
        m_outcome = Outcome::ConfigFailed;
        SetTitle(L"下载失败");
    }
    return TRUE;
}

void CDownGameDlg::ShowPercent(const std::wstring& text) {
    m_lblPercent.m_strText = text;
    ::SetWindowTextW(m_lblPercent.m_hWnd, text.c_str());
    ::InvalidateRect(m_lblPercent.m_hWnd, nullptr, TRUE);
}

DWORD WINAPI CDownGameDlg::DownloadThread(LPVOID param) {
    auto* self = static_cast<CDownGameDlg*>(param);
    const Outcome outcome = self->Run();
    self->m_uiPost.Post([self, outcome] {
        self->m_outcome = outcome;
        self->OnFinished();
    });
    return 0;
}

CDownGameDlg::Outcome CDownGameDlg::Run() {
    // Everything goes into a folder made new for this download, that only
    // administrators can change: the page's name names nothing else, and
    // nobody can swap the installer between its checks and its start.
    m_strFolder = CreateFreshProtectedFolder(TempFolder(), L"VexoGame-");
    if (m_strFolder.empty()) return Outcome::ConfigFailed;
    const std::wstring file = m_strFolder + L"\\" + m_strName + L".exe";
    wcsncpy(m_szFile, file.c_str(), 259);
    UpdateConfig config;
    if (FetchConfigFile(m_transfer, m_strConfigUrl, m_strFolder + L"\\Config.htm", "", config) != ConfigFetch::Read) {
        RemoveFolder();
        return Outcome::ConfigFailed;
    }
    m_strDownUrl = FromAnsi(config.updAddr);
    if (!IsPlatformDownloadUrl(m_strDownUrl)) {
        Say(L"installer address refused, not on the platform's domains: " + m_strDownUrl);
        RemoveFolder();
        return Outcome::DownloadFailed;
    }
    const HWND dialog = m_hWnd;
    const TransferStatus status = m_transfer.Download(m_strDownUrl, m_szFile, [dialog](unsigned percent) {
        ::SendNotifyMessageW(dialog, UM_DOWNLOAD_PROGRESS, percent, 0);
    });
    // A signed launcher starts only installers of its own signer.
    const bool trusted = status == TransferStatus::Ok && !m_transfer.IsCancelled() &&
                         (!LauncherRequiresSigner() || IsAccepted(CheckSigner(m_szFile, L"game installer")));
    if (trusted) {
        fw::Handle process(StartProcessKeepHandle(L"\"" + std::wstring(m_szFile) + L"\""));
        if (process) return Outcome::Started;
        Say(L"the installer did not start, error " + std::to_wstring(::GetLastError()));
    }
    // A failed, refused or cancelled download leaves nothing behind. (A
    // started installer keeps its file: it is running from it.)
    RemoveFolder();
    return Outcome::DownloadFailed;
}

void CDownGameDlg::RemoveFolder() {
    ::DeleteFileW(m_szFile);
    ::RemoveDirectoryW(m_strFolder.c_str());
}

LRESULT CDownGameDlg::OnProgress(unsigned percent) {
    ::SendMessageW(m_progress.m_hWnd, PBM_SETPOS, percent, 0);  // same thread: at once
    ShowPercent(DownloadPercentLabel(percent));
    return 0;
}

LRESULT CDownGameDlg::OnFinished() {
    JoinThread();
    if (m_bEnding) {
        EndDialog(IDCANCEL);
        return 0;
    }
    switch (m_outcome) {
    case Outcome::ConfigFailed:
        SetTitle(L"下载失败");  // "确定" stays disabled: the player leaves with "取消"
        return 0;
    case Outcome::Started:
        SetTitle(L"下载完成");
        break;
    default:
        SetTitle(L"下载失败");
        break;
    }
    ::EnableWindow(m_btnOk.m_hWnd, TRUE);
    ::EnableWindow(m_btnCancel.m_hWnd, FALSE);
    return 0;
}

void CDownGameDlg::JoinThread() {
    if (!m_hThread) return;
    m_transfer.Cancel();  // a no-op once it is done
    fw::WaitServingSentMessages(m_hThread.Get());
    m_hThread.Reset();
}

void CDownGameDlg::OnBtnOk() {
    // Enter reaches here too: only a finished download may end with OK.
    if (::IsWindowEnabled(m_btnOk.m_hWnd)) CDialog::OnOK();
}

void CDownGameDlg::OnBtnCancel() {
    if (!m_hThread) {
        EndDialog(IDCANCEL);
        return;
    }
    m_bEnding = true;
    m_transfer.Cancel();
}

LRESULT CDownGameDlg::OnClose() {
    if (::IsWindowEnabled(m_btnOk.m_hWnd))
        EndDialog(IDCANCEL);
    else
        OnBtnCancel();
    return 0;
}

BOOL CDownGameDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDOK:
        OnBtnOk();
        return TRUE;
    case IDCANCEL:
        OnBtnCancel();
        return TRUE;
    }
    return CDlgEx::OnCommand(wParam, lParam);
}

BOOL CDownGameDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) return TRUE;
    return CDlgEx::PreTranslateMessage(msg);
}

LRESULT CDownGameDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case UM_DOWNLOAD_PROGRESS:
        return OnProgress(static_cast<unsigned>(wParam));
    case WM_CLOSE:
        return OnClose();
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}
