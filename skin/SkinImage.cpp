#include "skin/SkinImage.h"

#include <gdiplus.h>
#include <objidl.h>

#include <cstdint>
#include <cstring>

#include "framework/Handles.h"
#include "skin/SkinPixels.h"

namespace {

// GDI+ for one load: started on construction, shut down on every way out.
class GdiplusScope {
public:
    GdiplusScope() {
        Gdiplus::GdiplusStartupInput input;  // version 1, default options
        m_ok = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusScope() {
        if (m_ok) Gdiplus::GdiplusShutdown(m_token);
    }
    bool ok() const { return m_ok; }

private:
    ULONG_PTR m_token = 0;
    bool m_ok = false;
};

// A growable memory stream holding a copy of the resource's bytes.
fw::ComPtr<IStream> StreamFromResource(HINSTANCE inst, UINT id) {
    fw::ComPtr<IStream> stream;
    HRSRC res = ::FindResourceW(inst, MAKEINTRESOURCEW(id), L"PNG");
    if (!res) return stream;
    HGLOBAL loaded = ::LoadResource(inst, res);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = ::SizeofResource(inst, res);
    if (!bytes || size == 0) return stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()))) return fw::ComPtr<IStream>();
    ULONG written = 0;
    if (FAILED(stream->Write(bytes, size, &written)) || written != size) return fw::ComPtr<IStream>();
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    // Resources of a loaded module need no freeing; FreeResource is a no-op kept for symmetry.
    ::FreeResource(loaded);
    return stream;
}

// The decoded image as a bottom-up 32-bit DIB with the key colour, or NULL.
HBITMAP ToKeyedBitmap(Gdiplus::Bitmap& image) {
    const int w = (int)image.GetWidth(), h = (int)image.GetHeight();
    if (w <= 0 || h <= 0) return nullptr;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib;
    {
        fw::WindowDC screen(nullptr);
        dib = ::CreateDIBSection(screen.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    }
    if (!dib || !bits) {
        if (dib) ::DeleteObject(dib);
        return nullptr;
    }
    Gdiplus::Rect rect(0, 0, w, h);
    Gdiplus::BitmapData data{};
    if (image.LockBits(&rect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok ||
        !data.Scan0) {
        ::DeleteObject(dib);
        return nullptr;
    }
    // The locked rows are read with their real stride rather than assumed packed.
    skin::FlattenToKeyed(static_cast<const uint8_t*>(data.Scan0), data.Stride, w, h, static_cast<uint8_t*>(bits));
    image.UnlockBits(&data);
    ::GdiFlush();
    return dib;
}

}  // namespace

HBITMAP LoadSkinBitmap(HINSTANCE hInst, UINT nID) {
    if (!hInst) return nullptr;
    GdiplusScope gdiplus;
    if (HBITMAP classic = ::LoadBitmapW(hInst, MAKEINTRESOURCEW(nID))) return classic;
    if (!gdiplus.ok()) return nullptr;

    fw::ComPtr<IStream> stream = StreamFromResource(hInst, nID);
    if (!stream) return nullptr;
    HBITMAP result = nullptr;
    {
        Gdiplus::Bitmap image(stream.Get());
        if (image.GetLastStatus() == Gdiplus::Ok) {
            result = ToKeyedBitmap(image);
            if (!result) image.GetHBITMAP(Gdiplus::Color(255, 255, 0, 255), &result);
        }
    }  // the GDI+ image goes before the stream and before GDI+ itself
    return result;
}

SIZE SkinBitmapSize(HBITMAP bmp) {
    BITMAP bm{};
    if (!bmp || ::GetObjectW(bmp, sizeof bm, &bm) != sizeof bm) return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}
