// Owners for the handles the window layer creates: each is released exactly
// once, by the destructor, whatever way the scope is left.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include <utility>

namespace falvori::ui {

// Traits: a Handle type, its Invalid() value and how to Release it.
template <typename Traits>
class Owned {
public:
    using H = typename Traits::Handle;

    Owned() = default;
    explicit Owned(H handle) : handle_(handle) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, Traits::Invalid()));
        return *this;
    }
    ~Owned() { Reset(); }

    H Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    void Reset(H handle = Traits::Invalid()) {
        if (handle_ != Traits::Invalid()) Traits::Release(handle_);
        handle_ = handle;
    }

private:
    H handle_ = Traits::Invalid();
};

template <typename T>
struct GdiTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static void Release(Handle handle) { DeleteObject(handle); }
};

struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Release(Handle handle) { DestroyIcon(handle); }
};

struct FindTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Release(Handle handle) { FindClose(handle); }
};

using FontHandle = Owned<GdiTraits<HFONT>>;
using BrushHandle = Owned<GdiTraits<HBRUSH>>;
using PenHandle = Owned<GdiTraits<HPEN>>;
using IconHandle = Owned<IconTraits>;
using FindHandle = Owned<FindTraits>;

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

// A window's device context for the scope (GetDC / ReleaseDC).
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

// Keeps Windows from asking "insert a disk" while drives are looked at.
class NoCriticalErrorBoxes {
public:
    NoCriticalErrorBoxes() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old_); }
    NoCriticalErrorBoxes(const NoCriticalErrorBoxes&) = delete;
    NoCriticalErrorBoxes& operator=(const NoCriticalErrorBoxes&) = delete;
    ~NoCriticalErrorBoxes() { SetThreadErrorMode(old_, nullptr); }

private:
    DWORD old_ = 0;
};

}  // namespace falvori::ui
