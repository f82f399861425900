// CDialog: a dialog built from a template in the resources. DoModal runs the
// framework's own modal loop (owner disabled, every message offered to
// PreTranslateMessage, then IsDialogMessage) so that derived dialogs can
// intercept keys the way the system needs; Create makes a modeless one.
#pragma once

#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    ~CDialog() override;

    virtual INT_PTR DoModal();
    BOOL Create(UINT templateId, HWND parent);
    void EndDialog(INT_PTR result);

    BOOL PreTranslateMessage(MSG* msg) override;

    UINT m_nIDTemplate;
    HWND m_hWndParent;

protected:
    // Called from WM_INITDIALOG; the base binds controls through DoDataExchange.
    virtual BOOL OnInitDialog();
    // Binds template controls to member objects (SubclassDlgItem).
    virtual void DoDataExchange() {}
    virtual void OnOK();
    virtual void OnCancel();
    // WM_COMMAND; the base routes IDOK and IDCANCEL.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    bool IsModal() const { return m_bModal; }

private:
    friend INT_PTR CALLBACK FrameworkDlgProc(HWND, UINT, WPARAM, LPARAM);
    HWND CreateFromTemplate(HWND owner);

    bool m_bModal = false;
    bool m_bEndModal = false;
    INT_PTR m_nModalResult = -1;
};
