// CDownGameDlg: downloads another game's login client for the game hall.
// It fetches that game's update configuration ("/update/Config" + name +
// ".htm", kept as name + ".ini" beside the executable while it is read),
// downloads the installer named there into the temporary folder with a
// progress bar and a percentage label, and starts it. The title then says
// "下载完成" or "下载失败"; "确定" is enabled once the work is over and "取消"
// (or the close button) while it runs stops the transfer cooperatively: the
// dialog ends once the download thread has let go of its file and handles.
#pragma once

#include <windows.h>

#include <string>

#include "app/HttpTransfer.h"
#include "framework/Handles.h"
#include "framework/UiPost.h"
#include "skin/BtnEx.h"
#include "skin/DlgEx.h"
#include "skin/StaticEx.h"

class CDownGameDlg : public CDlgEx {
public:
    // How the download thread ended.
    enum class Outcome { Running, ConfigFailed, DownloadFailed, Started };

    CDownGameDlg(const std::wstring& strName, HWND pParent);
    ~CDownGameDlg() override;

    BOOL PreTranslateMessage(MSG* msg) override;

    std::wstring m_strName;       // the game's short name, first letter capitalised
    std::wstring m_strConfigUrl;  // that game's update configuration
    std::wstring m_strDownUrl;    // the installer's address, from the configuration
    wchar_t m_szFile[260] = {};   // a fresh folder in the temporary folder + "\\" + name + ".exe"
    std::wstring m_strFolder;     // that folder, made by the download thread
    fw::Handle m_hThread;
    CImgProgress m_progress;
    CBtnEx m_btnOk;
    CBtnEx m_btnCancel;
    CStaticEx m_lblPercent;
    CHttpTransfer m_transfer;
    Outcome m_outcome = Outcome::Running;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static DWORD WINAPI DownloadThread(LPVOID param);
    Outcome Run();
    // Deletes the installer and its fresh folder (after a failure).
    void RemoveFolder();
    void OnBtnOk();
    // "取消" while the thread runs: stop it; the dialog ends when it is done.
    void OnBtnCancel();
    LRESULT OnClose();
    LRESULT OnProgress(unsigned percent);
    LRESULT OnFinished();
    void ShowPercent(const std::wstring& text);
    void JoinThread();

    HBITMAP m_hClose = nullptr;  // the close button's strip; the button copies it
    HBITMAP m_hBtnStrip1 = nullptr;
    HBITMAP m_hBtnStrip2 = nullptr;
    fw::UiPoster m_uiPost;       // the thread's outcome reaches the UI thread through it
    bool m_bEnding = false;      // cancelled: end as soon as the thread is done
};
