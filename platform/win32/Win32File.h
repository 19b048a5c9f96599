// A file opened through the wide-character API, read and written in the
// sizes the core asks for.
#pragma once

#include <memory>

#include "Platform.h"
#include "Owned.h"

namespace falvori {

class Win32File : public File {
public:
    // The handle may be shared with the platform, which then keeps the file
    // open (and locked) after close() until it deletes it.
    explicit Win32File(std::shared_ptr<OwnedHandle> handle) : handle_(std::move(handle)) {}

    IoResult Read(void* buffer, std::size_t size) override;
    IoResult Write(const void* data, std::size_t size) override;
    Failure Close() override;

private:
    std::shared_ptr<OwnedHandle> handle_;
};

}  // namespace falvori
