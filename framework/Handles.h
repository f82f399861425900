// RAII holders for the handle kinds the system juggles: kernel handles, GDI
// objects, image lists, icons, menus and COM interface pointers. Each owns
// exactly one object and frees it in its destructor; none is copyable.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <unknwn.h>

#include <utility>

namespace fw {

template <typename T, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T h) : m_h(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : m_h(o.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) Reset(o.Release());
        return *this;
    }

    T Get() const { return m_h; }
    explicit operator bool() const { return Traits::IsValid(m_h); }
    T Release() { return std::exchange(m_h, Traits::Invalid()); }
    void Reset(T h = Traits::Invalid()) {
        if (Traits::IsValid(m_h)) Traits::Close(m_h);
        m_h = h;
    }

private:
    T m_h = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
using Handle = UniqueHandle<HANDLE, KernelHandleTraits>;

template <typename G>
struct GdiTraits {
    static G Invalid() { return nullptr; }
    static bool IsValid(G h) { return h != nullptr; }
    static void Close(G h) { ::DeleteObject(h); }
};
using Bitmap = UniqueHandle<HBITMAP, GdiTraits<HBITMAP>>;
using Font = UniqueHandle<HFONT, GdiTraits<HFONT>>;
using Brush = UniqueHandle<HBRUSH, GdiTraits<HBRUSH>>;
using Region = UniqueHandle<HRGN, GdiTraits<HRGN>>;

struct MemDCTraits {
    static HDC Invalid() { return nullptr; }
    static bool IsValid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { ::DeleteDC(h); }
};
using MemDC = UniqueHandle<HDC, MemDCTraits>;

// Selects a GDI object into a DC for the lifetime of the holder.
class SelectObj {
public:
    SelectObj(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(obj ? ::SelectObject(dc, obj) : nullptr) {}
    ~SelectObj() { if (m_old) ::SelectObject(m_dc, m_old); }
    SelectObj(const SelectObj&) = delete;
    SelectObj& operator=(const SelectObj&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A window DC released on scope exit.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~WindowDC() { if (m_dc) ::ReleaseDC(m_hwnd, m_dc); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

struct ImageListTraits {
    static HIMAGELIST Invalid() { return nullptr; }
    static bool IsValid(HIMAGELIST h) { return h != nullptr; }
    static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
using ImageList = UniqueHandle<HIMAGELIST, ImageListTraits>;

struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static bool IsValid(HICON h) { return h != nullptr; }
    static void Close(HICON h) { ::DestroyIcon(h); }
};
using Icon = UniqueHandle<HICON, IconTraits>;

struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static bool IsValid(HMENU h) { return h != nullptr; }
    static void Close(HMENU h) { ::DestroyMenu(h); }
};
using Menu = UniqueHandle<HMENU, MenuTraits>;

template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr& o) : m_p(o.m_p) { if (m_p) m_p->AddRef(); }
    ComPtr& operator=(const ComPtr& o) {
        if (o.m_p) o.m_p->AddRef();
        Reset();
        m_p = o.m_p;
        return *this;
    }
    I* Get() const { return m_p; }
    I* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For out-parameters: releases what is held first.
    I** Put() { Reset(); return &m_p; }
    void Reset() { if (m_p) { m_p->Release(); m_p = nullptr; } }

private:
    I* m_p = nullptr;
};

}  // namespace fw
