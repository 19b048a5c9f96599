// Owners for Win32 handles: each handle is released exactly once, by Close,
// Reset or the destructor, whichever comes first. Traits name the handle
// type, its empty value and the call that releases it.
#pragma once

#include <windows.h>

#include <utility>

namespace falvori {

template <typename Traits>
class Owned {
public:
    using Handle = typename Traits::Handle;

    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : handle_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ~Owned() { Close(); }

    Handle Get() const { return handle_; }
    bool Valid() const { return Traits::Valid(handle_); }
    explicit operator bool() const { return Valid(); }

    // Gives the handle up without releasing it.
    Handle Release() { return std::exchange(handle_, Traits::Empty()); }
    // Releases the handle and reports the system's error number (0 when it
    // went well, or when there was nothing to release).
    DWORD Close() {
        Handle handle = Release();
        if (!Traits::Valid(handle) || Traits::Close(handle)) return ERROR_SUCCESS;
        DWORD error = GetLastError();
        return error ? error : ERROR_INVALID_HANDLE;
    }
    // Releases the handle held (errors ignored) and takes handle instead.
    void Reset(Handle handle = Traits::Empty()) {
        if (handle == handle_) return;  // taking what it holds must not free it
        Close();
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::Empty();
};

// Files, events and the like (CloseHandle). Both empty values the API uses
// count as empty.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static bool Close(Handle h) { return CloseHandle(h) != FALSE; }
};

// A search begun with FindFirstFile(Ex)W.
struct FindTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Handle h) { return h != INVALID_HANDLE_VALUE; }
    static bool Close(Handle h) { return FindClose(h) != FALSE; }
};

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

using OwnedHandle = Owned<KernelHandleTraits>;
using OwnedFind = Owned<FindTraits>;
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
