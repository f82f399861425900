// The one way a message or question reaches the user.
#pragma once

#include <windows.h>

// type 0: "确定"; 1: "确定"/"取消"; 4: "是"/"否". Returns IDOK, IDCANCEL, IDYES or IDNO.
int SkinMessageBox(HWND owner, const wchar_t* text, const wchar_t* title, int type);
