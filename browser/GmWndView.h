// CGmWndView: the browser view of the game page (or of the game hall). It
// opens g_strGameUrl, reports the page's title and address to the
// application, places its frame over the main window's page area whenever a
// navigation completes, and acts on the hall's "entergame" command.
#pragma once

#include <string>

#include "framework/HtmlView.h"

class CGmWndView : public CHtmlView {
public:
    CGmWndView() = default;
    ~CGmWndView() override;

    // No context menu in the game page.
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnInitialUpdate() override;

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    int OnCreate(CREATESTRUCTW* cs) override;
    HRESULT OnGetHostInfo(DOCHOSTUIINFO* info) override;
    void OnNavigateComplete2(IDispatch* frame, const std::wstring& url) override;
    void OnBeforeNavigate2(IDispatch* frame, const std::wstring& url, bool& cancel) override;
    void OnTitleChange(const std::wstring& title) override;

    // "确定" to the download question: the game download dialog, modal over
    // the main window.
    virtual void RunGameDownload(const std::wstring& name);

private:
    void OnEnterGame(const std::wstring& url);
};

// The process's one game view, from its first update on.
extern CGmWndView* g_pGameView;
