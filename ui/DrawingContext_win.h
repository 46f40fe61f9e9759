#pragma once

#include <windows.h>

namespace tavrin {

// The button-face colour: what a skinned window shows where its picture is missing.
inline HBRUSH buttonFaceBrush() {
    return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
}

// Fills the whole client area of `window` on `dc`: the background of an erase or an empty paint.
inline void fillClient(HWND window, HDC dc, HBRUSH brush) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, brush);
}

// A window's device context outside a paint cycle, released on every path.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A memory device context compatible with another, deleted on every path.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// Selects a GDI object into a device context and puts the previous one back when it goes.
// Declare it after the object it selects, so the object is deselected before it is deleted.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace tavrin
