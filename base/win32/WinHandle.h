// Move-only owners of Win32 handles: one template, one traits struct per kind of handle, plus GDI scope guards.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <type_traits>
#include <utility>

template <typename Traits>
class CWinHandle {
public:
    using Handle = typename Traits::Handle;

    CWinHandle() noexcept = default;
    explicit CWinHandle(Handle handle) noexcept : m_Handle(handle) {}
    ~CWinHandle() { Reset(); }

    CWinHandle(const CWinHandle&) = delete;
    CWinHandle& operator=(const CWinHandle&) = delete;

    CWinHandle(CWinHandle&& other) noexcept : m_Handle(other.Release()) {}
    CWinHandle& operator=(CWinHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    Handle Get() const noexcept { return m_Handle; }
    bool Valid() const noexcept { return m_Handle != Traits::Invalid(); }
    explicit operator bool() const noexcept { return Valid(); }

    // Gives up ownership without closing.
    [[nodiscard]] Handle Release() noexcept { return std::exchange(m_Handle, Traits::Invalid()); }

    void Reset(Handle handle = Traits::Invalid()) noexcept {
        Handle old = std::exchange(m_Handle, handle);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }

private:
    Handle m_Handle = Traits::Invalid();
};

struct WindowTraits {
    using Handle = HWND;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyWindow(h); }
};

// Fonts, brushes, bitmaps, pens and regions all go back with DeleteObject.
template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteObject(h); }
};

struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyIcon(h); }
};

struct MenuTraits {
    using Handle = HMENU;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyMenu(h); }
};

// Kernel objects whose "none" is null (events, mutexes, threads).
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

// Files, whose "none" is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

struct SocketTraits {
    using Handle = SOCKET;
    static Handle Invalid() noexcept { return INVALID_SOCKET; }
    static void Close(Handle h) noexcept { ::closesocket(h); }
};

struct HookTraits {
    using Handle = HHOOK;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::UnhookWindowsHookEx(h); }
};

struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::RegCloseKey(h); }
};

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::ImageList_Destroy(h); }
};

// A device context that we created (CreateCompatibleDC) goes with DeleteDC; one we borrowed goes back with
// ReleaseDC to its window, see CWindowDC.
struct MemoryDCTraits {
    using Handle = HDC;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteDC(h); }
};

using CWindowHandle = CWinHandle<WindowTraits>;
using CFontHandle = CWinHandle<GdiObjectTraits<HFONT>>;
using CBrushHandle = CWinHandle<GdiObjectTraits<HBRUSH>>;
using CBitmapHandle = CWinHandle<GdiObjectTraits<HBITMAP>>;
using CPenHandle = CWinHandle<GdiObjectTraits<HPEN>>;
// A region handed to SetWindowRgn belongs to the system once the call succeeds: Release it then.
using CRegionHandle = CWinHandle<GdiObjectTraits<HRGN>>;
using CIconHandle = CWinHandle<IconTraits>;
using CMenuHandle = CWinHandle<MenuTraits>;
using CKernelHandle = CWinHandle<KernelHandleTraits>;
using CFileHandle = CWinHandle<FileHandleTraits>;
using CSocketHandle = CWinHandle<SocketTraits>;
using CHookHandle = CWinHandle<HookTraits>;
using CRegistryKeyHandle = CWinHandle<RegistryKeyTraits>;
using CImageListHandle = CWinHandle<ImageListTraits>;
using CMemoryDC = CWinHandle<MemoryDCTraits>;

// An owner is moved, never copied: two owners would close the handle twice.
static_assert(!std::is_copy_constructible_v<CWindowHandle> && !std::is_copy_assignable_v<CWindowHandle>,
              "handle owners are move-only");
static_assert(std::is_nothrow_move_constructible_v<CSocketHandle> && std::is_nothrow_move_assignable_v<CSocketHandle>,
              "handle owners move without throwing");
static_assert(!std::is_copy_constructible_v<CRegionHandle> && std::is_nothrow_move_constructible_v<CRegionHandle>,
              "a region is handed on by moving its owner, never by copying it");

// The device context of a window, released to that window.
class CWindowDC {
public:
    explicit CWindowDC(HWND window) noexcept : m_hWnd(window), m_hDC(::GetDC(window)) {}
    ~CWindowDC() {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;

    HDC Get() const noexcept { return m_hDC; }
    explicit operator bool() const noexcept { return m_hDC != nullptr; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// BeginPaint/EndPaint.
class CPaintScope {
public:
    explicit CPaintScope(HWND window) noexcept : m_hWnd(window) { m_hDC = ::BeginPaint(window, &m_Paint); }
    ~CPaintScope() { ::EndPaint(m_hWnd, &m_Paint); }
    CPaintScope(const CPaintScope&) = delete;
    CPaintScope& operator=(const CPaintScope&) = delete;

    HDC Get() const noexcept { return m_hDC; }
    const PAINTSTRUCT& Paint() const noexcept { return m_Paint; }

private:
    HWND m_hWnd;
    HDC m_hDC = nullptr;
    PAINTSTRUCT m_Paint{};
};

// Selects a GDI object into a device context for the scope and puts the old one back.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object) noexcept : m_hDC(dc), m_hOld(::SelectObject(dc, object)) {}
    ~CSelectObject() {
        if (m_hOld && m_hOld != HGDI_ERROR)
            ::SelectObject(m_hDC, m_hOld);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};
