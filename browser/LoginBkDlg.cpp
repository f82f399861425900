#include "browser/LoginBkDlg.h"

#include <objidl.h>
#include <gdiplus.h>

#include "app/Endpoints.h"
#include "app/Loriq3App.h"
#include "res/resource.h"

namespace {

// While the login shows, the page process watches its main window the way
// its game frame does later: a login left behind by a closed main window
// would otherwise keep the process alive for good.
constexpr UINT_PTR kOwnerWatchTimer = 2;
constexpr UINT kOwnerWatchMs = 800;

}  // namespace

CLoginBkDlg::CLoginBkDlg(HWND pParent) : CDialog(IDD_LOGIN_DIALOG, pParent), m_dlgLogin(LoginPageUrl()) {}

CLoginBkDlg::~CLoginBkDlg() {
    // The page dialog's window goes with ours; the image before its stream.
    delete m_pBackImage;
    m_pBackImage = nullptr;
    if (m_pImageStream) m_pImageStream->Release();
    m_pImageStream = nullptr;
}

BOOL CLoginBkDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SetWindowTextW(m_hWnd, L"VexoQuon");
    if (LoadBackImage()) PaintLayered();
    m_dlgLogin.Create(IDD_LOGIN_DIALOG, m_hWnd);
    ModifyStyle(0, WS_MINIMIZEBOX);
    ::SetTimer(m_hWnd, kOwnerWatchTimer, kOwnerWatchMs, nullptr);
    return FALSE;
}

bool CLoginBkDlg::LoadBackImage() {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(IDB_LOGIN_BK), L"PNG");
    if (!res) return false;
    DWORD size = ::SizeofResource(module, res);
    HGLOBAL data = ::LoadResource(module, res);
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (!bytes || !size) return false;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return false;
    if (void* dest = ::GlobalLock(block)) {
        ::CopyMemory(dest, bytes, size);
        ::GlobalUnlock(block);
    } else {
        ::GlobalFree(block);
        return false;
    }
    // The stream frees the block when it goes.
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &m_pImageStream))) {
        ::GlobalFree(block);
        m_pImageStream = nullptr;
        return false;
    }
    m_pBackImage = Gdiplus::Image::FromStream(m_pImageStream);
    if (!m_pBackImage || m_pBackImage->GetLastStatus() != Gdiplus::Ok) {
        delete m_pBackImage;
        m_pBackImage = nullptr;
        return false;
    }
    m_nBackWidth = static_cast<int>(m_pBackImage->GetWidth());
    m_nBackHeight = static_cast<int>(m_pBackImage->GetHeight());
    return true;
}

void CLoginBkDlg::PaintLayered() {
    if (m_nBackWidth <= 0 || m_nBackHeight <= 0) return;
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    // 32 bits with alpha: UpdateLayeredWindow takes the image's own transparency.
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = m_nBackWidth;
    bi.bmiHeader.biHeight = -m_nBackHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (mem && bitmap) {
        HGDIOBJ old = ::SelectObject(mem, bitmap);
        {
            // Drawn straight into the section's bits as premultiplied ARGB, the
            // form the per-pixel blend expects (a DC would drop the alpha).
            Gdiplus::Bitmap canvas(m_nBackWidth, m_nBackHeight, m_nBackWidth * 4, PixelFormat32bppPARGB,
                                   static_cast<BYTE*>(bits));
            Gdiplus::Graphics graphics(&canvas);
            graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
            graphics.DrawImage(m_pBackImage, 0, 0, m_nBackWidth, m_nBackHeight);
        }
        DWORD ex = static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE));
        if (!(ex & WS_EX_LAYERED)) ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        RECT wr;
        ::GetWindowRect(m_hWnd, &wr);
        POINT dst{wr.left, wr.top};
        SIZE size{m_nBackWidth, m_nBackHeight};
        POINT src{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::UpdateLayeredWindow(m_hWnd, screen, &dst, &size, mem, &src, 0, &blend, ULW_ALPHA);
        ::SelectObject(mem, old);
    }
    if (bitmap) ::DeleteObject(bitmap);
    if (mem) ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
}

BOOL CLoginBkDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

LRESULT CLoginBkDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN: {
        LRESULT result = CDialog::WindowProc(msg, wParam, lParam);
        // The background drags the window like a caption.
        ::SendMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
        return result;
    }
    case WM_WINDOWPOSCHANGED: {
        LRESULT result = CDialog::WindowProc(msg, wParam, lParam);
        if (m_dlgLogin.m_hWnd) {
            RECT bk, page;
            ::GetWindowRect(m_hWnd, &bk);
            ::GetWindowRect(m_dlgLogin.m_hWnd, &page);
            ::MoveWindow(m_dlgLogin.m_hWnd, bk.left + 1, bk.top - 50, page.right - page.left,
                         page.bottom - page.top, TRUE);
        }
        return result;
    }
    case WM_TIMER:
        if (wParam == kOwnerWatchTimer && !::IsWindow(g_hOwnerWnd)) {
            ::KillTimer(m_hWnd, kOwnerWatchTimer);
            EndDialog(IDCANCEL);
            return 0;
        }
        break;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}
