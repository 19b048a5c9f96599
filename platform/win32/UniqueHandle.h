// Owns one kernel HANDLE and closes it exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace falvori {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

    // Closes and reports the system's error number (0 when it went well).
    DWORD close() {
        if (!valid()) return 0;
        const BOOL ok = CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE));
        return ok ? 0 : GetLastError();
    }
    void reset() { close(); }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace falvori
