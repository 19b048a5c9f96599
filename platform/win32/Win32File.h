// A file opened through the wide-character API, read and written in the
// sizes the core asks for.
#pragma once

#include "core/Platform.h"
#include "platform/win32/Owned.h"

namespace falvori {

// One read or write on a handle, of at most what one call can move.
IoResult ReadFrom(HANDLE file, void* buffer, std::size_t size);
IoResult WriteTo(HANDLE file, const void* data, std::size_t size);

class Win32File : public File {
public:
    explicit Win32File(OwnedHandle handle) : handle_(std::move(handle)) {}

    IoResult Read(void* buffer, std::size_t size) override { return ReadFrom(handle_.Get(), buffer, size); }
    IoResult Write(const void* data, std::size_t size) override { return WriteTo(handle_.Get(), data, size); }
    Failure Close() override;

private:
    OwnedHandle handle_;
};

}  // namespace falvori
