#include "app/Libraries.h"

#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>
#include <ole2.h>

#include "skin/SkinMessageBox.h"

namespace {
ULONG_PTR g_gdiplusToken = 0;
bool g_bOleStarted = false;
}  // namespace

void StartCommonControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
}

void StartGdiplus() {
    if (g_gdiplusToken) return;
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&g_gdiplusToken, &gdiplusInput, nullptr);
}

bool StartOle() {
    if (g_bOleStarted) return true;
    if (FAILED(::OleInitialize(nullptr))) {
        SkinMessageBox(nullptr, L"初始化OLE库失败", L"VexoQuon", 0);
        return false;
    }
    g_bOleStarted = true;
    return true;
}

void StopLibraries() {
    if (g_bOleStarted) {
        ::OleUninitialize();
        g_bOleStarted = false;
    }
    if (g_gdiplusToken) {
        Gdiplus::GdiplusShutdown(g_gdiplusToken);
        g_gdiplusToken = 0;
    }
}
