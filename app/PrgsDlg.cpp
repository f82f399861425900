#include "app/PrgsDlg.h"

#include <commctrl.h>

#include "app/TransferRules.h"
#include "framework/Threads.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "skin/SkinImage.h"

namespace {

HINSTANCE Instance() {
    CWinApp* app = CWinApp::Get();
    return app && app->m_hInstance ? app->m_hInstance : ::GetModuleHandleW(nullptr);
}

}  // namespace

void SendProgress(HWND bar, unsigned percent) { ::SendNotifyMessageW(bar, PBM_SETPOS, percent, 0); }

CPrgsDlg::CPrgsDlg() : CDlgEx(IDD_PRGS_DIALOG, nullptr) {}

CPrgsDlg::~CPrgsDlg() {
    JoinThreads();
    if (m_hClose) ::DeleteObject(m_hClose);
}

void CPrgsDlg::DoDataExchange() { m_progress.SubclassDlgItem(IDC_PRGS_PROGRESS, m_hWnd); }

BOOL CPrgsDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    SetCaptionLayout(30, 4, 0, 0, 0);
    SetTitle(L"版本更新中...");
    const HINSTANCE inst = Instance();
    if (!m_hClose) m_hClose = LoadSkinBitmap(inst, IDB_CLOSE);
    SetSkin(LoadSkinBitmap(inst, IDB_SMALLDLG_BK), FALSE, TRUE, m_hClose, nullptr, nullptr, nullptr);

    RECT self{}, desktop{};
    ::GetWindowRect(m_hWnd, &self);
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    const int w = self.right - self.left, h = self.bottom - self.top;
    ::SetWindowPos(m_hWnd, nullptr, desktop.left + (desktop.right - desktop.left - w) / 2,
                   desktop.top + (desktop.bottom - desktop.top - h) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The template is topmost already: Wine lets this call succeed without
    // effect while the dialog is being initialised.
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    m_progress.SetImages(LoadSkinBitmap(inst, IDB_PROGRESS_TRACK), LoadSkinBitmap(inst, IDB_PROGRESS_FILL));

    m_bSuccess = FALSE;
    m_bCancelled = false;
    m_transfer.Rearm();
    m_uiPost.Create();
    m_hDownloadThread.Reset(::CreateThread(nullptr, 0, DownloadThread, this, 0, nullptr));
    if (m_hDownloadThread) m_hWaitThread.Reset(::CreateThread(nullptr, 0, WaitThread, this, 0, nullptr));
    if (!m_hWaitThread) {
        ::OutputDebugStringW(L"VexoQuon: update download not started, no thread\n");
        JoinThreads();
        m_uiPost.Post([this] { OnTransferFinished(); });
    }
    return TRUE;
}

DWORD WINAPI CPrgsDlg::DownloadThread(LPVOID param) {
    static_cast<CPrgsDlg*>(param)->Download();
    return 0;
}

void CPrgsDlg::Download() {
    if (!IsPlatformDownloadUrl(m_szUrl)) {
        ::OutputDebugStringW(L"VexoQuon: update address refused, not on the platform's domains\n");
        m_lastStatus = TransferStatus::BadAddress;
        m_bSuccess = FALSE;
        return;
    }
    const HWND bar = m_progress.m_hWnd;
    m_lastStatus = m_transfer.Download(m_szUrl, m_szFile, [bar](unsigned percent) { SendProgress(bar, percent); });
    m_bSuccess = m_lastStatus == TransferStatus::Ok;
}

DWORD WINAPI CPrgsDlg::WaitThread(LPVOID param) {
    auto* self = static_cast<CPrgsDlg*>(param);
    ::WaitForSingleObject(self->m_hDownloadThread.Get(), INFINITE);
    self->m_uiPost.Post([self] { self->OnTransferFinished(); });
    return 0;
}

void CPrgsDlg::JoinThreads() {
    if (m_hDownloadThread) {
        m_transfer.Cancel();
        fw::WaitServingSentMessages(m_hDownloadThread.Get());
    }
    if (m_hWaitThread) ::WaitForSingleObject(m_hWaitThread.Get(), INFINITE);
    m_hWaitThread.Reset();
    m_hDownloadThread.Reset();
}

void CPrgsDlg::OnTransferFinished() {
    // Both threads are at their end: the download one has ended, the wait one
    // only has to return.
    if (m_hWaitThread) ::WaitForSingleObject(m_hWaitThread.Get(), INFINITE);
    m_hWaitThread.Reset();
    m_hDownloadThread.Reset();
    EndDialog(m_bSuccess && !m_bCancelled ? IDOK : IDCANCEL);
}

void CPrgsDlg::OnCancel() {
    if (!m_hDownloadThread) {
        EndDialog(IDCANCEL);
        return;
    }
    // The dialog ends once the download thread has let go of everything.
    m_bCancelled = true;
    m_transfer.Cancel();
}

LRESULT CPrgsDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CDlgEx::WindowProc(msg, wParam, lParam);
}
