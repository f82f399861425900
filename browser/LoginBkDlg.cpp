#include "browser/LoginBkDlg.h"

#include <objidl.h>
#include <gdiplus.h>

#include "app/Endpoints.h"
#include "app/Libraries.h"
#include "app/Loriq3App.h"
#include "framework/Handles.h"
#include "res/resource.h"

namespace {

// While the login shows, the page process watches its main window the way
// its game frame does later: a login left behind by a closed main window
// would otherwise keep the process alive for good.
constexpr UINT_PTR kOwnerWatchTimer = 2;
constexpr UINT kOwnerWatchMs = 800;

// The decoded background and its rendering for the layered window: made on
// the decoding thread (or by the dialog itself), then owned by the dialog.
struct BackImage {
    IStream* stream = nullptr;
    Gdiplus::Image* image = nullptr;
    int width = 0;
    int height = 0;
    HBITMAP layer = nullptr;
};

bool DecodeBackImage(BackImage& out) {
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
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &out.stream))) {
        ::GlobalFree(block);
        out.stream = nullptr;
        return false;
    }
    out.image = Gdiplus::Image::FromStream(out.stream);
    if (!out.image || out.image->GetLastStatus() != Gdiplus::Ok) {
        delete out.image;
        out.image = nullptr;
        return false;
    }
    out.width = static_cast<int>(out.image->GetWidth());
    out.height = static_cast<int>(out.image->GetHeight());
    return true;
}

// Draws the image into a 32-bit section with alpha, premultiplied: the form
// the per-pixel blend expects (a DC would drop the alpha).
void RenderLayer(BackImage& img) {
    if (!img.image || img.width <= 0 || img.height <= 0) return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = img.width;
    bi.bmiHeader.biHeight = -img.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    img.layer = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!img.layer) return;
    Gdiplus::Bitmap canvas(img.width, img.height, img.width * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits));
    Gdiplus::Graphics graphics(&canvas);
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    graphics.DrawImage(img.image, 0, 0, img.width, img.height);
}

void PrepareBackImage(BackImage& img) {
    if (DecodeBackImage(img)) RenderLayer(img);
}

// The decoding thread's work, taken by the first dialog.
BackImage g_prepared;
fw::Handle g_decodeThread;

DWORD WINAPI DecodeThread(void*) {
    PrepareBackImage(g_prepared);
    return 0;
}

BackImage TakeBackImage() {
    BackImage img;
    if (g_decodeThread) {
        ::WaitForSingleObject(g_decodeThread.Get(), INFINITE);
        g_decodeThread.Reset();
        img = g_prepared;
        g_prepared = BackImage{};
    } else {
        PrepareBackImage(img);
    }
    return img;
}

}  // namespace

void StartLoginBackgroundDecode() {
    if (g_decodeThread) return;
    g_decodeThread.Reset(::CreateThread(nullptr, 0, DecodeThread, nullptr, 0, nullptr));
    if (!g_decodeThread) ::OutputDebugStringW(L"VexoQuon: the background decoding thread did not start\n");
}

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
    BackImage img = TakeBackImage();
    m_pImageStream = img.stream;
    m_pBackImage = img.image;
    m_nBackWidth = img.width;
    m_nBackHeight = img.height;
    fw::Bitmap layer(img.layer);
    if (m_pBackImage) PaintLayered(layer.Get());
    ModifyStyle(0, WS_MINIMIZEBOX);
    ::SetTimer(m_hWnd, kOwnerWatchTimer, kOwnerWatchMs, nullptr);
    // The background is what the player waits for: it shows first thing in
    // the modal loop (which disables the main window before), and only then
    // come the page dialog and its browser (the loop would show it only once
    // their first messages are through; the page shows itself once its page
    // has come).
    ::PostMessageW(m_hWnd, UM_SHOW_BACKGROUND, 0, 0);
    return FALSE;
}

void CLoginBkDlg::PaintLayered(HBITMAP layer) {
    if (m_nBackWidth <= 0 || m_nBackHeight <= 0 || !layer) return;
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    if (mem) {
        HGDIOBJ old = ::SelectObject(mem, layer);
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
        ::DeleteDC(mem);
    }
    ::ReleaseDC(nullptr, screen);
}

void CLoginBkDlg::GluePage() {
    if (!m_dlgLogin.m_hWnd) return;
    RECT bk, page;
    ::GetWindowRect(m_hWnd, &bk);
    ::GetWindowRect(m_dlgLogin.m_hWnd, &page);
    ::MoveWindow(m_dlgLogin.m_hWnd, bk.left + 1, bk.top - 50, page.right - page.left, page.bottom - page.top, TRUE);
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
        GluePage();
        return result;
    }
    case UM_SHOW_BACKGROUND:
        if (m_dlgLogin.m_hWnd) return 0;
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
        StartCommonControls();
        if (!StartOle()) {
            EndDialog(IDCANCEL);
            return 0;
        }
        if (m_dlgLogin.Create(IDD_LOGIN_DIALOG, m_hWnd)) GluePage();
        return 0;
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
