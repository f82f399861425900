// CMainFrame: the frame of the game page (or of the game hall). It has no
// caption, border or taskbar button; it makes itself a child of the main
// game window in the other process and registers there, carries out what the
// main window asks (refresh, mute, hot-key reload, close), forwards the
// window-switch key to it, and ends the process once the main window is gone.
#pragma once

#include "framework/FrameWnd.h"

class CMainFrame : public CFrameWnd {
public:
    CMainFrame() = default;
    ~CMainFrame() override;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    int OnCreate(CREATESTRUCTW* cs) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Ctrl+D in the page: the add-to-favourites dialog with the page's title
    // and address, modal over the main window.
    virtual void OpenFavourites();

private:
    void OnTimer(UINT_PTR id);
    LRESULT OnSetMute(WPARAM muted);
    void RefreshPage();
};
