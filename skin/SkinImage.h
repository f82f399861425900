// Skin images: PNG resources (custom type "PNG") turned into plain GDI
// bitmaps without alpha, in which magenta RGB(255,0,255) marks transparency.
#pragma once

#include <windows.h>

// The key colour every skinned control treats as transparent.
constexpr COLORREF kSkinKey = RGB(255, 0, 255);

// Loads image `nID` of module `hInst` as a new 24-bit-style DIB owned by the
// caller (fully transparent pixels magenta, half-transparent ones blended
// over white), or NULL when it is missing or cannot be decoded. Every call
// yields a separate bitmap. GDI+ runs only for the duration of the call.
HBITMAP LoadSkinBitmap(HINSTANCE hInst, UINT nID);

// Width and height of a bitmap (0 × 0 for NULL or an invalid handle).
SIZE SkinBitmapSize(HBITMAP bmp);
