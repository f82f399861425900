#include "skin/SkinMessageBox.h"

// Plain system box until the skinned one is built.
int SkinMessageBox(HWND owner, const wchar_t* text, const wchar_t* title, int type) {
    UINT flags = type == 4 ? MB_YESNO : type == 1 ? MB_OKCANCEL : MB_OK;
    return ::MessageBoxW(owner, text, title, flags);
}
