// CWnd: the C++ object behind one window. A window created through the
// framework (or a template control subclassed by SubclassDlgItem) routes every
// message through the virtual WindowProc, where derived classes switch on the
// message and call handlers named after it; anything they leave goes to
// Default(), the window's original procedure.
#pragma once

#include <windows.h>

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The framework object of a window, or nullptr for windows that are not ours.
    static CWnd* FromHandle(HWND hwnd);

    // Creates a window of a class registered by RegisterFrameworkClass or of a
    // system class; either way the object sees messages from WM_NCCREATE on.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                  int x, int y, int cx, int cy, HWND parent, HMENU idOrMenu);
    // Takes over an existing window (a control created by a dialog template).
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, HWND parent);
    HWND UnsubclassWindow();
    BOOL DestroyWindow();

    virtual BOOL PreTranslateMessage(MSG* msg);

    // A notification the parent passes back to the control it is about
    // (WM_DRAWITEM for owner-drawn controls), so that the control draws
    // itself. TRUE with *result when handled.
    virtual BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Commonly used wrappers; everything else is plain Win32 on m_hWnd.
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    DWORD GetStyle() const { return (DWORD)::GetWindowLongPtrW(m_hWnd, GWL_STYLE); }
    DWORD GetExStyle() const { return (DWORD)::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);

    // Registers (once) a window class whose procedure is the framework's.
    static LPCWSTR RegisterFrameworkClass(LPCWSTR name, UINT classStyle, HCURSOR cursor,
                                          HBRUSH background, HICON icon);

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // The original procedure with the message being handled now.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Called after WM_NCDESTROY, when m_hWnd is already detached.
    virtual void PostNcDestroy() {}
    // Called once the object is attached to a complete window: after
    // SubclassWindow/SubclassDlgItem took it over, or after CreateEx made it.
    virtual void PreSubclassWindow() {}

private:
    friend class CDialog;
    friend LRESULT CALLBACK FrameworkWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK CreationHook(int, WPARAM, LPARAM);

    void Attach(HWND hwnd);
    void Detach();
    BOOL HookWindowProc(HWND hwnd);
    // While alive, the next window created on this thread is attached to `wnd`
    // before its first message. Scopes nest.
    class CreationScope {
    public:
        explicit CreationScope(CWnd* wnd);
        ~CreationScope();
    private:
        CWnd* m_outer;
        bool m_ownHook;
    };

    WNDPROC m_pfnSuper = nullptr;
    MSG m_current{};  // the message WindowProc is handling, for Default()
};
