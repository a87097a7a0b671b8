#pragma once

#include "win32/Win.h"

#include <unknwn.h>

#include <utility>

namespace tmq::win32 {

// Owns one handle and gives it back to the system with `release` when it
// goes, so that no path leaks it.
template <typename Handle, auto release> class Unique {
public:
    Unique() = default;
    explicit Unique(Handle handle) : handle_(handle) {}
    ~Unique() { reset(); }
    Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Unique& operator=(Unique&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset(Handle handle = nullptr)
    {
        if (handle_ != nullptr)
            release(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

using UniqueFont = Unique<HFONT, &DeleteObject>;
using UniqueBitmap = Unique<HBITMAP, &DeleteObject>;
using UniqueBrush = Unique<HBRUSH, &DeleteObject>;
using UniquePen = Unique<HPEN, &DeleteObject>;
using UniqueDc = Unique<HDC, &DeleteDC>;
using UniqueHook = Unique<HHOOK, &UnhookWindowsHookEx>;

inline void releaseInterface(IUnknown* object)
{
    object->Release();
}

// A COM interface, released when it goes.
template <typename Interface> using UniqueInterface = Unique<Interface*, &releaseInterface>;

// Selects a GDI object into a device context and puts the earlier one back.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The device context of a window outside WM_PAINT, released with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The device context of a WM_PAINT, ended with EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window) { BeginPaint(window_, &paint_); }
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC get() const { return paint_.hdc; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

} // namespace tmq::win32
