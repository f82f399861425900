// The skinned message box run modally for real: results per type and
// button, the close button, Enter and Escape, its size and its buttons. A
// thread timer plays the user while the modal loop runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "framework/Handles.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "resource.h"
#include "skin/BtnEx.h"
#include "skin/ControlLayout.h"
#include "skin/SkinImage.h"
#include "skin/SkinMessageBox.h"

namespace {

HINSTANCE Inst() { return ::GetModuleHandleW(nullptr); }

// Finds the box by its title among this thread's visible dialogs, then runs
// the action once. Should the action fail to end the box, a fallback ends it
// with -99 after a few seconds so that the test fails instead of hanging.
class BoxDriver {
public:
    BoxDriver(std::wstring title, std::function<void(HWND)> action)
        : m_title(std::move(title)), m_action(std::move(action)) {
        s_current = this;
        m_timer = ::SetTimer(nullptr, 0, 20, &BoxDriver::OnTimer);
        m_start = ::GetTickCount();
    }
    ~BoxDriver() {
        ::KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    bool acted() const { return m_acted; }

private:
    static HWND Find(const std::wstring& title) {
        struct Search {
            const std::wstring* title;
            HWND found;
        } search{&title, nullptr};
        ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND h, LPARAM p) CALLBACK -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t text[128] = {}, cls[32] = {};
            ::GetWindowTextW(h, text, 128);
            ::GetClassNameW(h, cls, 32);
            if (*s->title == text && std::wstring(cls) == L"#32770" && ::IsWindowVisible(h)) {
                s->found = h;
                return FALSE;
            }
            return TRUE;
        }, (LPARAM)&search);
        return search.found;
    }

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        BoxDriver* d = s_current;
        if (!d) return;
        HWND box = Find(d->m_title);
        if (box && !d->m_acted) {
            d->m_acted = true;
            d->m_action(box);
            return;
        }
        if (box && ::GetTickCount() - d->m_start > 5000) {
            if (auto* dlg = dynamic_cast<CDialog*>(CWnd::FromHandle(box))) dlg->EndDialog(-99);
        }
    }

    static BoxDriver* s_current;
    std::wstring m_title;
    std::function<void(HWND)> m_action;
    UINT_PTR m_timer = 0;
    DWORD m_start = 0;
    bool m_acted = false;
};
BoxDriver* BoxDriver::s_current = nullptr;

void Click(HWND box, int id) {
    HWND btn = ::GetDlgItem(box, id);
    ASSERT_NE(btn, nullptr) << "button " << id;
    ::SendMessageW(btn, BM_CLICK, 0, 0);
}

int AskAndClick(int type, int id, const wchar_t* title) {
    BoxDriver driver(title, [id](HWND box) { Click(box, id); });
    int result = SkinMessageBox(nullptr, L"确定要退出游戏？", title, type);
    EXPECT_TRUE(driver.acted());
    return result;
}

TEST(SkinMessageBoxRun, EachTypeAnswersPerButton) {
    EXPECT_EQ(AskAndClick(0, 5000, L"盒0"), IDOK);
    EXPECT_EQ(AskAndClick(1, 5000, L"盒1a"), IDOK);
    EXPECT_EQ(AskAndClick(1, 5001, L"盒1b"), IDCANCEL);
    EXPECT_EQ(AskAndClick(4, 5000, L"盒4a"), IDYES);
    EXPECT_EQ(AskAndClick(4, 5001, L"盒4b"), IDNO);
    EXPECT_EQ(AskAndClick(3, 5000, L"盒3"), IDOK);
    EXPECT_EQ(AskAndClick(0x30, 5000, L"盒48"), IDOK);
}

TEST(SkinMessageBoxRun, CloseButtonAnswersCancelForEveryType) {
    for (int type : {0, 1, 4, 2}) {
        std::wstring title = L"关闭" + std::to_wstring(type);
        EXPECT_EQ(AskAndClick(type, 50000, title.c_str()), IDCANCEL) << type;
    }
}

TEST(SkinMessageBoxRun, OwnerIsDisabledWhileTheBoxRuns) {
    LPCWSTR cls = CWnd::RegisterFrameworkClass(L"VexoSkinOwner", 0, nullptr, nullptr, nullptr);
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, cls, L"owner", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
    bool enabledDuring = true;
    HWND boxOwner = nullptr;
    BoxDriver driver(L"有主", [&](HWND box) {
        enabledDuring = ::IsWindowEnabled(owner.m_hWnd) != FALSE;
        boxOwner = ::GetWindow(box, GW_OWNER);
        Click(box, 5000);
    });
    EXPECT_EQ(SkinMessageBox(owner.m_hWnd, L"缓存清除完毕！", L"有主", 0), IDOK);
    EXPECT_FALSE(enabledDuring);
    EXPECT_EQ(boxOwner, owner.m_hWnd);
    EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
}

struct Seen {
    RECT window{}, client{}, close{}, btn1{}, btn2{};
    bool hasBtn2 = false;
    std::wstring label1, label2;
    SIZE text{};
};

RECT ChildRect(HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

Seen Inspect(HWND box) {
    Seen s;
    ::GetWindowRect(box, &s.window);
    ::GetClientRect(box, &s.client);
    s.close = ChildRect(::GetDlgItem(box, 50000));
    HWND b1 = ::GetDlgItem(box, 5000), b2 = ::GetDlgItem(box, 5001);
    s.btn1 = ChildRect(b1);
    if (auto* btn = dynamic_cast<CBtnEx*>(CWnd::FromHandle(b1))) s.label1 = btn->m_strText;
    s.hasBtn2 = b2 != nullptr;
    if (b2) {
        s.btn2 = ChildRect(b2);
        if (auto* btn = dynamic_cast<CBtnEx*>(CWnd::FromHandle(b2))) s.label2 = btn->m_strText;
    }
    return s;
}

SIZE MeasureWithBoxFont(HWND box, const std::wstring& text) {
    fw::WindowDC dc(box);
    fw::SelectObj sel(dc.Get(), (HFONT)::SendMessageW(box, WM_GETFONT, 0, 0));
    RECT r{0, 0, 0, 0};
    ::DrawTextW(dc.Get(), text.c_str(), (int)text.size(), &r, DT_CALCRECT);
    return SIZE{r.right, r.bottom};
}

bool Same(const RECT& a, const skin::Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(SkinMessageBoxRun, NarrowYesNoBoxIs174WideWithCentredButtons) {
    const std::wstring text = L"短";
    Seen s;
    BoxDriver driver(L"尺寸", [&](HWND box) {
        s = Inspect(box);
        s.text = MeasureWithBoxFont(box, text);
        Click(box, 5001);
    });
    ASSERT_EQ(SkinMessageBox(nullptr, text.c_str(), L"尺寸", 4), IDNO);
    ASSERT_GT(s.text.cy, 0);
    EXPECT_EQ(s.window.right - s.window.left, 174);
    EXPECT_EQ(s.window.bottom - s.window.top, 3 + 90 + s.text.cy + 23);
    EXPECT_EQ(s.client.right, 174) << "no non-client area";
    const skin::MsgBoxLayout l = skin::LayOutMessageBox(4, s.text.cx, s.text.cy, 1, 228, 23);
    EXPECT_TRUE(Same(s.btn1, l.btn1));
    EXPECT_TRUE(Same(s.btn2, l.btn2));
    EXPECT_EQ(s.btn1.right - s.btn1.left, 57);
    EXPECT_EQ(s.btn2.left - s.btn1.right, 20);
    EXPECT_EQ(s.btn1.bottom, s.client.bottom - 30);
    EXPECT_EQ(s.label1, L"是");
    EXPECT_EQ(s.label2, L"否");
    // The close button at the top-right corner (right margin 0, top 0).
    EXPECT_EQ(s.close.right, 174);
    EXPECT_EQ(s.close.top, 0);
    EXPECT_EQ(s.close.right - s.close.left, 33);
}

TEST(SkinMessageBoxRun, ChineseQuestionFitsItsBox) {
    const std::wstring text = L"窗口即将关闭，确定要退出游戏？";
    Seen s;
    BoxDriver driver(L"宽度", [&](HWND box) {
        s = Inspect(box);
        s.text = MeasureWithBoxFont(box, text);
        Click(box, 5000);
    });
    ASSERT_EQ(SkinMessageBox(nullptr, text.c_str(), L"宽度", 4), IDYES);
    // Between two buttons' width and 174 the buttons still decide: the text
    // fits with narrower margins.
    EXPECT_GT(s.text.cx, 114);
    EXPECT_EQ(s.client.right, s.text.cx <= 174 ? 174 : s.text.cx + 60);
    EXPECT_LE(s.text.cx, s.client.right);
}

TEST(SkinMessageBoxRun, OkCancelLabels) {
    Seen s;
    BoxDriver driver(L"标签", [&](HWND box) {
        s = Inspect(box);
        Click(box, 5000);
    });
    ASSERT_EQ(SkinMessageBox(nullptr, L"下载Vexo登录器，玩游戏更加方便快捷，现在就去下载吧？", L"标签", 1), IDOK);
    EXPECT_EQ(s.label1, L"确定");
    EXPECT_EQ(s.label2, L"取消");
}

TEST(SkinMessageBoxRun, WideMultiLineTextSizesTheBoxWithOneCentredButton) {
    const std::wstring text = L"VexoQuon已成功移除，部分文件将在程序退出\r\n或计算机重启后自行删除\n第三行";
    Seen s;
    BoxDriver driver(L"多行", [&](HWND box) {
        s = Inspect(box);
        s.text = MeasureWithBoxFont(box, text);
        Click(box, 5000);
    });
    ASSERT_EQ(SkinMessageBox(nullptr, text.c_str(), L"多行", 0), IDOK);
    ASSERT_GT(s.text.cx, 174);
    EXPECT_EQ(s.window.right - s.window.left, s.text.cx + 60);
    EXPECT_EQ(s.window.bottom - s.window.top, 3 * 3 + 90 + s.text.cy + 23);
    EXPECT_FALSE(s.hasBtn2);
    EXPECT_EQ(s.label1, L"确定");
    const int W = s.client.right;
    EXPECT_EQ(s.btn1.left, (W - 57) / 2);
}

// A box that counts what Enter and Escape reach.
class CCountingBox : public CMessageBox {
public:
    CCountingBox() : CMessageBox(nullptr) {}
    int oks = 0, cancels = 0;

protected:
    void OnOK() override {
        ++oks;
        CMessageBox::OnOK();
    }
    void OnCancel() override {
        ++cancels;
        CMessageBox::OnCancel();
    }
};

TEST(SkinMessageBoxRun, EnterAndEscapeLeaveItOpen) {
    // The modal loop offers keys to the dialog manager through the application.
    CWinApp app;
    app.m_hInstance = Inst();
    CCountingBox box;
    box.m_nType = 4;
    box.m_strTitle = L"按键";
    box.m_strText = L"窗口即将关闭，确定要退出游戏？";
    box.m_hBack = LoadSkinBitmap(Inst(), IDB_SMALLDLG_BK);
    box.m_hClose = LoadSkinBitmap(Inst(), IDB_CLOSE);
    box.m_hBtn1 = LoadSkinBitmap(Inst(), IDB_PUSHBUTTON);
    box.m_hBtn2 = LoadSkinBitmap(Inst(), IDB_PUSHBUTTON);
    bool openAfterKeys = false;
    BoxDriver driver(L"按键", [&](HWND h) {
        HWND target = ::GetFocus() && (::GetFocus() == h || ::IsChild(h, ::GetFocus())) ? ::GetFocus() : h;
        for (WPARAM key : {VK_RETURN, VK_ESCAPE, VK_RETURN}) {
            ::PostMessageW(target, WM_KEYDOWN, key, 1);
            ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
        }
        // Runs after the keys: still open, then answer "否".
        ::PostMessageW(::GetDlgItem(h, 5001), BM_CLICK, 0, 0);
        openAfterKeys = true;
    });
    EXPECT_EQ(box.DoModal(), IDNO);
    EXPECT_TRUE(openAfterKeys);
    EXPECT_EQ(box.oks, 2) << "Enter reached the box and did nothing";
    EXPECT_EQ(box.cancels, 1) << "Escape reached the box and did nothing";
}

TEST(SkinMessageBoxRun, NullTextAndTitleCountAsEmpty) {
    // Found by its empty title.
    BoxDriver driver(L"", [](HWND box) { Click(box, 5000); });
    EXPECT_EQ(SkinMessageBox(nullptr, nullptr, nullptr, 0), IDOK);
    EXPECT_TRUE(driver.acted());
}

TEST(SkinMessageBoxRun, MissingImagesStillGiveAResult) {
    BoxDriver driver(L"无图", [](HWND box) { Click(box, 5001); });
    EXPECT_EQ(CMessageBox::Show(nullptr, L"文本", L"无图", 1, nullptr, nullptr, nullptr, nullptr), IDCANCEL);
    EXPECT_TRUE(driver.acted());
}

}  // namespace
