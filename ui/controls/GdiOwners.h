// Owners of the window's drawing objects: fonts, brushes, pens, icons, a
// device context and an object selected into one.
#pragma once

#include <windows.h>

#include "platform/win32/Owned.h"

namespace falvori {

// Fonts, brushes, pens: deleted once no device context holds them.
template <typename T>
struct GdiTraits {
    using Handle = T;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return DeleteObject(h) != FALSE; }
};

struct IconTraits {
    using Handle = HICON;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return DestroyIcon(h) != FALSE; }
};

using OwnedFont = Owned<GdiTraits<HFONT>>;
using OwnedBrush = Owned<GdiTraits<HBRUSH>>;
using OwnedPen = Owned<GdiTraits<HPEN>>;
using OwnedIcon = Owned<IconTraits>;

// A window's device context for the scope (GetDC / ReleaseDC): its release
// needs the window as well, so it is no Owned.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    HDC Get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a device context for the scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace falvori
