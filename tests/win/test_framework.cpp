// The framework's window plumbing, for real, on Wine's USER32.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/Dialog.h"
#include "framework/Wnd.h"

namespace {

class CCountingWnd : public CWnd {
public:
    int created = 0;
    int destroyed = 0;
    int pings = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_CREATE: ++created; break;
        case WM_DESTROY: ++destroyed; break;
        case WM_APP: ++pings; return 7;
        }
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

TEST(Framework, OwnClassSeesCreationAndMapsHandle) {
    LPCWSTR cls = CWnd::RegisterFrameworkClass(L"VexoTestWnd", 0, nullptr, nullptr, nullptr);
    ASSERT_NE(cls, nullptr);
    CCountingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, cls, L"t", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(wnd.created, 1);
    EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);
    EXPECT_EQ(::SendMessageW(wnd.m_hWnd, WM_APP, 0, 0), 7);
    HWND hwnd = wnd.m_hWnd;
    ASSERT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.destroyed, 1);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
}

TEST(Framework, SubclassedSystemControlKeepsItsBehaviour) {
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"abc", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    CCountingWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(edit));
    EXPECT_FALSE(CCountingWnd().SubclassWindow(edit)) << "one object per window";
    EXPECT_EQ(::SendMessageW(edit, WM_APP, 0, 0), 7);
    wchar_t text[8] = {};
    ::GetWindowTextW(edit, text, 8);
    EXPECT_STREQ(text, L"abc");  // WM_GETTEXT still reaches the edit control
    EXPECT_EQ(wnd.UnsubclassWindow(), edit);
    EXPECT_EQ(::SendMessageW(edit, WM_APP, 0, 0), 0);
    ::DestroyWindow(edit);
}

TEST(Framework, DestroyingTheObjectDestroysItsWindow) {
    LPCWSTR cls = CWnd::RegisterFrameworkClass(L"VexoTestWnd", 0, nullptr, nullptr, nullptr);
    HWND hwnd;
    {
        CCountingWnd wnd;
        ASSERT_TRUE(wnd.CreateEx(0, cls, L"t", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        hwnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

class CSelfClosingDlg : public CDialog {
public:
    CSelfClosingDlg() : CDialog(kTemplate) {}
    static constexpr UINT kTemplate = 9001;
    int initCalls = 0;

protected:
    BOOL OnInitDialog() override {
        ++initCalls;
        CDialog::OnInitDialog();
        // Ends from inside the modal loop, as a button handler would.
        ::PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return TRUE;
    }
};

TEST(Framework, ModalLoopReturnsTheEndResultAndReenablesOwner) {
    LPCWSTR cls = CWnd::RegisterFrameworkClass(L"VexoTestWnd", 0, nullptr, nullptr, nullptr);
    CCountingWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, cls, L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    CSelfClosingDlg dlg;
    dlg.m_hWndParent = owner.m_hWnd;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.initCalls, 1);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
}

TEST(Framework, MissingTemplateFailsWithoutALoop) {
    CDialog dlg(4242);
    EXPECT_EQ(dlg.DoModal(), -1);
}

}  // namespace
