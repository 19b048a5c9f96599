// An open descriptor as the core's File: a file of ours, closed with it, or
// a standard stream, which stays open for the rest of the program.
#pragma once

#include <memory>

#include "core/Platform.h"
#include "platform/posix/UniqueFd.h"

namespace falvori {

class PosixFile : public File {
public:
    static std::unique_ptr<PosixFile> Owning(UniqueFd fd);
    static std::unique_ptr<PosixFile> Stream(int fd);

    // A descriptor another program left non-blocking waits instead of
    // failing with EAGAIN.
    IoResult Read(void* buffer, std::size_t size) override;
    IoResult Write(const void* data, std::size_t size) override;
    // A file of ours is closed, checked: on NFS or with quotas that is the
    // only sign that written data did not reach it. A stream stays open, and
    // the close of a duplicate reports what the system still had to say.
    Failure Close() override;
    int Fd() const { return fd_; }

private:
    PosixFile(UniqueFd owned, int fd) : owned_(std::move(owned)), fd_(fd) {}

    UniqueFd owned_;  // empty for a stream
    int fd_;
};

}  // namespace falvori
