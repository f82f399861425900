#include "browser/GmWndView.h"

#include <shellapi.h>

#include "app/Endpoints.h"
#include "app/Loriq3App.h"
#include "app/Paths.h"
#include "app/Process.h"
#include "browser/DownGameDlg.h"
#include "browser/GamePage.h"
#include "browser/PageCommand.h"
#include "mainwnd/TabStrip.h"
#include "skin/SkinMessageBox.h"

CGmWndView* g_pGameView = nullptr;

namespace {

// The page process's application object (none in a test program).
CLoriq3App* PageApp() { return dynamic_cast<CLoriq3App*>(CWinApp::Get()); }

}  // namespace

CGmWndView::~CGmWndView() {
    if (g_pGameView == this) g_pGameView = nullptr;
}

BOOL CGmWndView::PreCreateWindow(CREATESTRUCTW& cs) { return CHtmlView::PreCreateWindow(cs); }

int CGmWndView::OnCreate(CREATESTRUCTW* cs) {
    ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
    return CHtmlView::OnCreate(cs);
}

BOOL CGmWndView::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_RBUTTONDOWN) return TRUE;
    return CHtmlView::PreTranslateMessage(msg);
}

void CGmWndView::OnInitialUpdate() {
    CHtmlView::OnInitialUpdate();
    if (m_pBrowserApp) m_pBrowserApp->put_Silent(VARIANT_TRUE);
    g_pGameView = this;
    Navigate2(g_strGameUrl);
}

HRESULT CGmWndView::OnGetHostInfo(DOCHOSTUIINFO* info) {
    // Game pages have no border and no scroll bars; the hall keeps both.
    if (g_strGameUrl != HallPageUrl()) info->dwFlags |= DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO;
    return S_OK;
}

void CGmWndView::OnTitleChange(const std::wstring& title) {
    if (CLoriq3App* app = PageApp()) app->m_strPageTitle = title;
}

void CGmWndView::OnNavigateComplete2(IDispatch* frameDisp, const std::wstring& url) {
    // Only the page itself counts: an iframe of a background tab must not pop
    // its frame over the current tab, nor become the address a favourite saves.
    if (!GetBrowserHost().IsTopLevel(frameDisp)) return;
    if (CLoriq3App* app = PageApp()) app->m_strPageUrl = url;
    CFrameWnd* frame = GetParentFrame();
    if (!frame || !frame->m_hWnd) return;
    RECT client{};
    ::GetClientRect(g_hOwnerWnd, &client);
    tabstrip::Rect area = tabstrip::PageArea(client.right, client.bottom);
    ::MoveWindow(frame->m_hWnd, area.left, area.top, area.Width(), area.Height(), TRUE);
    frame->ShowWindow(SW_SHOW);
}

void CGmWndView::OnBeforeNavigate2(IDispatch*, const std::wstring& url, bool& cancel) {
    if (!IsEnterGameCommand(url)) return;
    cancel = true;
    OnEnterGame(url);
}

void CGmWndView::OnEnterGame(const std::wstring& url) {
    EnterGamePlan plan = PlanEnterGame(url, DataFolder(), WebHomePageUrl());
    if (!plan.act) return;  // no usable name: cancelled and ignored
    if (!plan.clientPath.empty()) {
        DWORD attributes = ::GetFileAttributesW(plan.clientPath.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            // Quoted: a data folder with blanks must not start another program.
            StartProcess(L"\"" + plan.clientPath + L"\"");
            return;
        }
    }
    int answer = SkinMessageBox(g_hOwnerWnd, L"下载Vexo登录器，玩游戏更加方便快捷，现在就去下载吧？", L"Vexo游戏大厅", 1);
    if (answer == IDOK) {
        RunGameDownload(plan.name);
    } else if (IsWebAddress(plan.webAddress)) {
        ::ShellExecuteW(nullptr, L"open", plan.webAddress.c_str(), nullptr, nullptr, SW_SHOW);
    }
}

void CGmWndView::RunGameDownload(const std::wstring& name) {
    CDownGameDlg dlg(name, g_hOwnerWnd);
    dlg.DoModal();
}
