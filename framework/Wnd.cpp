#include "framework/Wnd.h"

namespace {

const wchar_t kObjectProp[] = L"VexoFwObject";

// Creation on one thread happens one window at a time; this state belongs to
// the thread that is creating. Kept in Win32 TLS slots rather than
// thread_local: MinGW emulates thread_local through its threads library,
// which ends the process by abort() when one of its own steps fails.
class ThreadSlot {
public:
    void* Get() { return Index() == TLS_OUT_OF_INDEXES ? m_fallback : ::TlsGetValue(Index()); }
    void Set(void* value) {
        // Without a slot (the process has used them all) one value serves
        // every thread: this program creates its windows on one thread.
        if (Index() == TLS_OUT_OF_INDEXES || !::TlsSetValue(Index(), value)) m_fallback = value;
    }

private:
    static constexpr LONG kNotYet = -2;  // TLS_OUT_OF_INDEXES is -1 as a LONG

    // Allocated on first use, not by a constructor: a window may be made
    // before this file's objects are constructed.
    DWORD Index() {
        LONG index = m_index;
        if (index != kNotYet) return static_cast<DWORD>(index);
        const LONG mine = static_cast<LONG>(::TlsAlloc());
        const LONG before = ::InterlockedCompareExchange(&m_index, mine, kNotYet);
        if (before == kNotYet) return static_cast<DWORD>(mine);
        if (mine != static_cast<LONG>(TLS_OUT_OF_INDEXES)) ::TlsFree(static_cast<DWORD>(mine));
        return static_cast<DWORD>(before);
    }

    volatile LONG m_index = kNotYet;
    void* m_fallback = nullptr;
};

ThreadSlot g_wndInit;       // the CWnd that the next created window belongs to
ThreadSlot g_creationHook;  // the CBT hook that attaches it

CWnd* WndInit() { return static_cast<CWnd*>(g_wndInit.Get()); }
HHOOK CreationHookHandle() { return static_cast<HHOOK>(g_creationHook.Get()); }

}  // namespace

LRESULT CALLBACK FrameworkWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandle(hwnd);
    if (!wnd) return ::DefWindowProcW(hwnd, msg, wParam, lParam);

    MSG saved = wnd->m_current;
    wnd->m_current = MSG{hwnd, msg, wParam, lParam, 0, {}};
    LRESULT result = wnd->WindowProc(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // The window is gone: hand the object back to its owner.
        wnd->Detach();
        wnd->PostNcDestroy();
        return result;
    }
    wnd->m_current = saved;
    return result;
}

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = code == HCBT_CREATEWND ? WndInit() : nullptr;
    if (wnd) {
        g_wndInit.Set(nullptr);
        // The window is not complete yet: PreSubclassWindow waits for CreateEx.
        wnd->HookWindowProc(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(CreationHookHandle(), code, wParam, lParam);
}

CWnd::~CWnd() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        HWND hwnd = m_hWnd;
        if (::GetPropW(hwnd, kObjectProp) == this) {
            // Destroying while still attached: detach first so that no message
            // reaches a half-destroyed object.
            UnsubclassWindow();
            ::DestroyWindow(hwnd);
        }
    }
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    // Page frames live inside another process's main window: a property read
    // there would hand back that process's pointer.
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ::GetCurrentProcessId()) return nullptr;
    return static_cast<CWnd*>(::GetPropW(hwnd, kObjectProp));
}

void CWnd::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    ::SetPropW(hwnd, kObjectProp, this);
}

void CWnd::Detach() {
    if (m_hWnd) {
        if (m_pfnSuper) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
        ::RemovePropW(m_hWnd, kObjectProp);
    }
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
}

BOOL CWnd::HookWindowProc(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandle(hwnd)) return FALSE;
    Attach(hwnd);
    m_pfnSuper = (WNDPROC)::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)FrameworkWndProc);
    if (m_pfnSuper == FrameworkWndProc) m_pfnSuper = ::DefWindowProcW;  // our own class
    return TRUE;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (!HookWindowProc(hwnd)) return FALSE;
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, HWND parent) {
    return SubclassWindow(::GetDlgItem(parent, (int)id));
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    Detach();
    return hwnd;
}

CWnd::CreationScope::CreationScope(CWnd* wnd) : m_outer(WndInit()), m_ownHook(CreationHookHandle() == nullptr) {
    g_wndInit.Set(wnd);
    if (m_ownHook) g_creationHook.Set(::SetWindowsHookExW(WH_CBT, CreationHook, nullptr, ::GetCurrentThreadId()));
}

CWnd::CreationScope::~CreationScope() {
    g_wndInit.Set(m_outer);
    HHOOK hook = m_ownHook ? CreationHookHandle() : nullptr;
    if (hook) {
        ::UnhookWindowsHookEx(hook);
        g_creationHook.Set(nullptr);
    }
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                    int x, int y, int cx, int cy, HWND parent, HMENU idOrMenu) {
    if (m_hWnd) return FALSE;
    HWND hwnd;
    {
        CreationScope scope(this);
        hwnd = ::CreateWindowExW(exStyle, className, windowName, style, x, y, cx, cy, parent,
                                 idOrMenu, ::GetModuleHandleW(nullptr), nullptr);
    }
    if (!hwnd) {
        if (m_hWnd) Detach();
        return FALSE;
    }
    if (m_hWnd == hwnd) PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

namespace {

BOOL ModifyLong(HWND hwnd, int index, DWORD remove, DWORD add, UINT swpFlags) {
    DWORD style = (DWORD)::GetWindowLongPtrW(hwnd, index);
    DWORD next = (style & ~remove) | add;
    if (style == next) return FALSE;
    ::SetWindowLongPtrW(hwnd, index, (LONG_PTR)next);
    if (swpFlags)
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}

}  // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    return ModifyLong(m_hWnd, GWL_STYLE, remove, add, swpFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) {
    return ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DRAWITEM && lParam) {
        // Owner-drawn controls of ours draw themselves (menus stay with the owner).
        auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (dis->CtlType != ODT_MENU) {
            LRESULT result = 0;
            CWnd* child = FromHandle(dis->hwndItem);
            if (child && child->OnChildNotify(msg, wParam, lParam, &result)) return result;
        }
    }
    return DefWindowProc(msg, wParam, lParam);
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, msg, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

LPCWSTR CWnd::RegisterFrameworkClass(LPCWSTR name, UINT classStyle, HCURSOR cursor,
                                     HBRUSH background, HICON icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(inst, name, &wc)) return name;
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = FrameworkWndProc;
    wc.hInstance = inst;
    wc.hCursor = cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    return ::RegisterClassExW(&wc) ? name : nullptr;
}
