#include "platform/posix/PosixFile.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "platform/posix/SystemError.h"

namespace falvori {

namespace {

// EINTR goes on; EAGAIN waits until the descriptor is ready.
bool GoOn(int fd, int err, short events) {
    if (err == EINTR) return true;
    if (err != EAGAIN && err != EWOULDBLOCK) return false;
    pollfd p{fd, events, 0};
    while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
    return true;
}

}  // namespace

std::unique_ptr<PosixFile> PosixFile::Owning(UniqueFd fd) {
    const int raw = fd.Get();
    return std::unique_ptr<PosixFile>(new PosixFile(std::move(fd), raw));
}

std::unique_ptr<PosixFile> PosixFile::Stream(int fd) { return std::unique_ptr<PosixFile>(new PosixFile({}, fd)); }

IoResult PosixFile::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) return {static_cast<std::size_t>(n), {}};
        const int err = errno;
        if (!GoOn(fd_, err, POLLIN)) return {0, SystemFailure(err)};
    }
}

IoResult PosixFile::Write(const void* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::write(fd_, data, size);
        if (n > 0) return {static_cast<std::size_t>(n), {}};
        const int err = n == 0 ? ENOSPC : errno;
        if (!GoOn(fd_, err, POLLOUT)) return {0, SystemFailure(err)};
    }
}

Failure PosixFile::Close() {
    if (owned_) return owned_.Close();
    // Not a new number for the standard descriptor: the next file opened
    // must not take its place.
    UniqueFd copy(::fcntl(fd_, F_DUPFD_CLOEXEC, 3));
    if (!copy) return LastFailure();
    return copy.Close();
}

}  // namespace falvori
