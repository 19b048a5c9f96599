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

using OwnedHandle = Owned<KernelHandleTraits>;
using OwnedFind = Owned<FindTraits>;

}  // namespace falvori
