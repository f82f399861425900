// CPrgsDlg: the self-update progress dialog. Skinned, topmost, centred on the
// desktop, with one image progress bar. It downloads m_szUrl into m_szFile on
// a download thread; a wait thread sees that thread end and tells the
// dialog, which ends with IDOK when the whole file arrived and IDCANCEL
// otherwise. The close button and Esc cancel the transfer (the dialog ends as
// soon as the download thread has let go of the file and its handles);
// Enter does nothing.
#pragma once

#include <windows.h>

#include "app/HttpTransfer.h"
#include "framework/Handles.h"
#include "framework/UiPost.h"
#include "skin/DlgEx.h"
#include "skin/StaticEx.h"

// How a download thread tells a progress bar (of the UI thread) its new
// position: a sent PBM_SETPOS, handled on the bar's thread in order and ahead
// of anything posted, that the download does not wait for (a wait costs
// about 0.15 ms a value under Wine; the values and their order are the same).
void SendProgress(HWND bar, unsigned percent);

class CPrgsDlg : public CDlgEx {
public:
    CPrgsDlg();
    ~CPrgsDlg() override;

    CImgProgress m_progress;
    wchar_t m_szUrl[512] = {};   // address to download; only platform addresses are fetched
    wchar_t m_szFile[260] = {};  // destination path
    fw::Handle m_hDownloadThread;
    fw::Handle m_hWaitThread;
    BOOL m_bSuccess = FALSE;     // written by the download thread before it ends
    CHttpTransfer m_transfer;
    TransferStatus m_lastStatus = TransferStatus::NoAnswer;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static DWORD WINAPI DownloadThread(LPVOID param);
    static DWORD WINAPI WaitThread(LPVOID param);
    void Download();
    // On the UI thread, once the download thread has ended.
    void OnTransferFinished();
    // Lets both threads end (cancelling the transfer) and closes their handles.
    void JoinThreads();

    HBITMAP m_hClose = nullptr;  // the close button's strip; the button copies it
    fw::UiPoster m_uiPost;       // the wait thread's "done" reaches the UI thread through it
    bool m_bCancelled = false;
};
