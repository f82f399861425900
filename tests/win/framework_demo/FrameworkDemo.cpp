// A framework dialog for the end-to-end tests: its exit code is the modal
// result. Enter and Escape reach the dialog manager through the
// PreTranslateMessage chain; F2 is taken there and ends the dialog with 42;
// with --swallow-esc the chain drops Escape, so the dialog stays open.
#include <windows.h>

#include "framework/Dialog.h"
#include "framework/WinApp.h"

namespace {

constexpr UINT kDemoDialog = 1000;
constexpr int kThirdButton = 1001;

class CDemoDlg : public CDialog {
public:
    explicit CDemoDlg(bool swallowEsc) : CDialog(kDemoDialog), m_swallowEsc(swallowEsc) {}

    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_F2) {
            EndDialog(42);
            return TRUE;
        }
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE && m_swallowEsc) return TRUE;
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        ::SetWindowTextW(m_hWnd, m_swallowEsc ? L"框架对话框 (Esc off)" : L"框架对话框");
        return TRUE;
    }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == kThirdButton) {
            EndDialog(77);
            return TRUE;
        }
        return CDialog::OnCommand(wParam, lParam);
    }

private:
    bool m_swallowEsc;
};

class CDemoApp : public CWinApp {
public:
    BOOL InitInstance() override {
        bool swallow = wcsstr(::GetCommandLineW(), L"--swallow-esc") != nullptr;
        CDemoDlg dlg(swallow);
        m_pMainWnd = &dlg;
        m_result = (int)dlg.DoModal();
        m_pMainWnd = nullptr;
        return FALSE;
    }
    int ExitInstance() override { return m_result; }

private:
    int m_result = -1;
};

CDemoApp theApp;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return RunApplication(instance); }
