// skin_gallery.exe: every skinned control in one place, for people to look
// at and for the end-to-end tests to drive.
//
//   skin_gallery                     a skinned, resizable dialog with system
//                                    buttons, image buttons (one disabled), a
//                                    link label, a wrapping label, a progress
//                                    bar at 50 and one button per message box
//                                    type; answers show in the result label
//   skin_gallery --msgbox TYPE       one SkinMessageBox; the exit code is its
//                                    result
//     [--title T] [--text X]         its caption (default "VexoQuon") and text
//   --backdrop                       a plain green window under everything, so
//                                    that cut corners show against a known colour
//   --log FILE                       appends "type N -> R" for every answer
//                                    and "link" for every click on the link
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/WinApp.h"
#include "resource.h"
#include "skin/BtnEx.h"
#include "skin/DlgEx.h"
#include "skin/SkinImage.h"
#include "skin/SkinMessageBox.h"
#include "skin/StaticEx.h"

namespace {

constexpr UINT kGalleryDialog = 2000;
constexpr int kBtnPlain = 1101, kBtnDisabled = 1102, kBtnHide = 1103, kBtnSystem = 1104;
constexpr int kLink = 1105, kWrapLabel = 1106, kProgress = 1107, kResult = 1108;
constexpr int kBoxFirst = 1110;  // 1110..1113 open the message box types below
constexpr int kBoxTypes[] = {0, 1, 4, 7};
constexpr COLORREF kBackdrop = RGB(0, 160, 0);

struct Options {
    int msgboxType = -1;
    std::wstring title = L"VexoQuon";
    std::wstring text = L"窗口即将关闭，确定要退出游戏？";
    bool backdrop = false;
    std::wstring log;
};

Options ParseOptions() {
    Options o;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--msgbox" && i + 1 < argc) o.msgboxType = _wtoi(argv[++i]);
        else if (a == L"--title" && i + 1 < argc) o.title = argv[++i];
        else if (a == L"--text" && i + 1 < argc) o.text = argv[++i];
        else if (a == L"--log" && i + 1 < argc) o.log = argv[++i];
        else if (a == L"--backdrop") o.backdrop = true;
    }
    if (argv) ::LocalFree(argv);
    return o;
}

void LogLine(const Options& o, const char* line) {
    if (o.log.empty()) return;
    if (FILE* f = _wfopen(o.log.c_str(), L"a")) {
        fprintf(f, "%s\n", line);
        fclose(f);
    }
}

void Log(const Options& o, int type, int result) {
    char line[64];
    snprintf(line, sizeof line, "type %d -> %d", type, result);
    LogLine(o, line);
}

LRESULT CALLBACK BackdropProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_ERASEBKGND) {
        RECT r;
        ::GetClientRect(h, &r);
        HBRUSH b = ::CreateSolidBrush(kBackdrop);
        ::FillRect((HDC)w, &r, b);
        ::DeleteObject(b);
        return TRUE;
    }
    return ::DefWindowProcW(h, msg, w, l);
}

HWND CreateBackdrop(HINSTANCE inst) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = BackdropProc;
    wc.hInstance = inst;
    wc.lpszClassName = L"VexoGalleryBackdrop";
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    ::RegisterClassW(&wc);
    HWND h = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"画廊背景", WS_POPUP, 0, 0,
                               ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                               inst, nullptr);
    ::ShowWindow(h, SW_SHOWNOACTIVATE);
    ::UpdateWindow(h);
    return h;
}

class CGalleryDlg : public CDlgEx {
public:
    explicit CGalleryDlg(const Options& o) : CDlgEx(kGalleryDialog), m_opt(o) {}
    ~CGalleryDlg() override {
        if (m_icon) ::DestroyIcon(m_icon);
    }

protected:
    BOOL OnInitDialog() override {
        CDlgEx::OnInitDialog();
        HINSTANCE inst = CWinApp::Get()->m_hInstance;
        m_icon = (HICON)::LoadImageW(inst, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0);
        ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, (LPARAM)m_icon);

        // The main window's frame: caption 30, border 4, resizable, all system buttons.
        ModifyStyle(0, WS_CLIPCHILDREN);
        m_nCaptionHeight = 30;
        m_nBorder = 4;
        m_nBtnRightMargin = 0;
        m_nBtnTop = 0;
        m_nBtnGap = 0;
        m_nTitleWeight = 600;
        m_bResizable = TRUE;
        SetTitle(L"皮肤画廊");
        HBITMAP close = LoadSkinBitmap(inst, IDB_CLOSE), min = LoadSkinBitmap(inst, IDB_MINIMIZE);
        SetSkin(LoadSkinBitmap(inst, IDB_MAINDLG_BK), FALSE, TRUE, close, min, LoadSkinBitmap(inst, IDB_MAXIMIZE),
                LoadSkinBitmap(inst, IDB_RESTORE));
        ::DeleteObject(close);
        ::DeleteObject(min);

        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 560, 330, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        ::SetWindowPos(m_hWnd, nullptr, work.left + 120, work.top + 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

        AttachButton(m_plain, kBtnPlain, IDB_PUSHBUTTON, 20, 50, L"普通图片按钮");
        AttachButton(m_disabled, kBtnDisabled, IDB_PUSHBUTTON, 90, 50, L"禁用的按钮");
        AttachButton(m_hide, kBtnHide, IDB_HIDE, 160, 48, L"隐藏");
        AttachButton(m_system, kBtnSystem, IDB_SYSTEM, 200, 48, L"系统菜单");
        m_system.m_crText = RGB(255, 255, 255);

        // The link of the main window's caption band.
        m_link.SubclassDlgItem(kLink, m_hWnd);
        m_link.ModifyStyle(0, SS_NOTIFY);
        m_link.m_crText = RGB(255, 255, 255);
        m_link.m_bHandCursor = TRUE;
        m_link.m_bUnderline = TRUE;
        HBITMAP linkIcon = LoadSkinBitmap(inst, IDB_ADDACC_ICON);
        m_link.SetImage(linkIcon);
        ::DeleteObject(linkIcon);
        ::MoveWindow(m_link.m_hWnd, 200, 6, 120, 18, FALSE);

        m_wrap.SubclassDlgItem(kWrapLabel, m_hWnd);
        m_wrap.m_strText = L"这是一个会自己换行的标签：文字太长时逐字折行，标签只会变高不会变矮。\n第二段从新的一行开始。";
        ::MoveWindow(m_wrap.m_hWnd, 20, 92, 260, 16, FALSE);

        m_progress.SubclassDlgItem(kProgress, m_hWnd);
        ::MoveWindow(m_progress.m_hWnd, 20, 170, 390, 21, FALSE);
        m_progress.SetImages(LoadSkinBitmap(inst, IDB_PROGRESS_TRACK), LoadSkinBitmap(inst, IDB_PROGRESS_FILL));
        ::SendMessageW(m_progress.m_hWnd, PBM_SETPOS, 50, 0);

        for (int i = 0; i < 4; ++i) AttachButton(m_box[i], kBoxFirst + i, IDB_PUSHBUTTON, 20 + 70 * i, 215, nullptr);

        m_result.SubclassDlgItem(kResult, m_hWnd);
        m_result.m_nLineSpacing = 0;
        ::MoveWindow(m_result.m_hWnd, 20, 255, 300, 18, FALSE);
        return TRUE;
    }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        const int id = LOWORD(wParam);
        if (id >= kBoxFirst && id < kBoxFirst + 4 && HIWORD(wParam) == BN_CLICKED) {
            const int type = kBoxTypes[id - kBoxFirst];
            const int result = SkinMessageBox(m_hWnd, m_opt.text.c_str(), m_opt.title.c_str(), type);
            Log(m_opt, type, result);
            ShowResult(L"结果：类型" + std::to_wstring(type) + L" → " + std::to_wstring(result));
            return TRUE;
        }
        if (id == kLink && HIWORD(wParam) == STN_CLICKED) {
            ShowResult(L"结果：链接被点击");
            LogLine(m_opt, "link");
            return TRUE;
        }
        if (id == kBtnPlain || id == kBtnHide || id == kBtnSystem) {
            ShowResult(L"结果：按钮 " + std::to_wstring(id));
            return TRUE;
        }
        return CDlgEx::OnCommand(wParam, lParam);
    }

    // The gallery closes with its close button; Enter and Escape keep it open.
    void OnOK() override {}
    void OnCancel() override {}

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CLOSE) {
            EndDialog(IDCANCEL);
            return 0;
        }
        return CDlgEx::WindowProc(msg, wParam, lParam);
    }

private:
    void AttachButton(CBtnEx& btn, int id, UINT image, int x, int y, LPCWSTR tip) {
        btn.SubclassDlgItem(id, m_hWnd);
        ::MoveWindow(btn.m_hWnd, x, y, 10, 10, FALSE);
        HBITMAP strip = LoadSkinBitmap(CWinApp::Get()->m_hInstance, image);
        btn.SetImage(strip, TRUE);
        ::DeleteObject(strip);
        if (tip) btn.SetTooltip(tip);
    }

    void ShowResult(const std::wstring& text) {
        m_result.m_strText = text;
        ::InvalidateRect(m_result.m_hWnd, nullptr, FALSE);
    }

    const Options& m_opt;
    HICON m_icon = nullptr;
    CBtnEx m_plain, m_disabled, m_hide, m_system;
    CBtnEx m_box[4];
    CStaticEx m_link, m_wrap, m_result;
    CImgProgress m_progress;
};

class CGalleryApp : public CWinApp {
public:
    BOOL InitInstance() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&icc);
        const Options opt = ParseOptions();
        HWND backdrop = opt.backdrop ? CreateBackdrop(m_hInstance) : nullptr;
        if (opt.msgboxType >= 0) {
            m_result = SkinMessageBox(nullptr, opt.text.c_str(), opt.title.c_str(), opt.msgboxType);
            Log(opt, opt.msgboxType, m_result);
        } else {
            CGalleryDlg dlg(opt);
            m_pMainWnd = &dlg;
            m_result = (int)dlg.DoModal();
            m_pMainWnd = nullptr;
        }
        if (backdrop) ::DestroyWindow(backdrop);
        return FALSE;
    }
    int ExitInstance() override { return m_result; }

private:
    int m_result = -1;
};

CGalleryApp theApp;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return RunApplication(instance); }
