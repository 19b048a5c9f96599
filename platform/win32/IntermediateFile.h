// The intermediate file: an ordinary file of this user, created or emptied
// by us, open for us alone until it is discarded or has become the destination.
#pragma once

#include <string>

#include "core/Platform.h"
#include "platform/win32/Owned.h"

namespace falvori {

class Win32Intermediate : public Intermediate {
public:
    // Opens or creates the file at `systemPath` without following a link or
    // reparse point, refuses anything but an ordinary disk file with one
    // name that this user owns, and empties it.
    static Result<std::unique_ptr<Intermediate>> Create(const std::wstring& systemPath);

    IoResult Read(void* buffer, std::size_t size) override;
    IoResult Write(const void* data, std::size_t size) override;
    // The handle stays open: closed to everybody else, the file is ours.
    Failure Close() override { return {}; }
    Failure PlaceAt(const std::string& to) override;
    Failure Settle() override;
    Failure Discard() override;

private:
    explicit Win32Intermediate(OwnedHandle handle) : handle_(std::move(handle)) {}

    OwnedHandle handle_;
    // Renamed into the destination: the name is no longer ours, and
    // deleting it would delete the destination.
    bool moved_ = false;
    // Whatever took the destination's name (this file or a copy), held
    // until settled; and the folder of a file it replaced, still to flush.
    OwnedHandle taken_;
    std::wstring replacedIn_;
};

}  // namespace falvori
