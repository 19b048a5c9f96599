#include "PosixFile.h"

#include <cerrno>
#include <unistd.h>

#include "PosixPlatform.h"

namespace falvori {

PosixFile::~PosixFile() {
    if (fd_ >= 0) ::close(fd_);
}

IoResult PosixFile::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) return {static_cast<std::size_t>(n), {}};
        const int err = errno;
        if (err != EINTR) return {0, ErrnoFailure(err)};
    }
}

IoResult PosixFile::Write(const void* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::write(fd_, data, size);
        if (n > 0) return {static_cast<std::size_t>(n), {}};
        const int err = n == 0 ? ENOSPC : errno;
        if (err != EINTR) return {0, ErrnoFailure(err)};
    }
}

Failure PosixFile::Close() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        if (err != EINTR) return ErrnoFailure(err);
    }
    return {};
}

}  // namespace falvori
