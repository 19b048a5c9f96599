#include "StandardStreams.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PosixPlatform.h"
#include "SameFile.h"

namespace falvori {

namespace {

// A descriptor that another program left non-blocking waits here instead of
// failing with EAGAIN.
void WaitUntilReady(int fd, short events) {
    pollfd p{fd, events, 0};
    while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

}  // namespace

IoResult StreamFile::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) return {static_cast<std::size_t>(n), {}};
        const int err = errno;
        if (err == EAGAIN || err == EWOULDBLOCK)
            WaitUntilReady(fd_, POLLIN);
        else if (err != EINTR)
            return {0, ErrnoFailure(err)};
    }
}

IoResult StreamFile::Write(const void* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::write(fd_, data, size);
        if (n > 0) return {static_cast<std::size_t>(n), {}};
        const int err = n == 0 ? ENOSPC : errno;
        if (err == EAGAIN || err == EWOULDBLOCK)
            WaitUntilReady(fd_, POLLOUT);
        else if (err != EINTR)
            return {0, ErrnoFailure(err)};
    }
}

Failure StreamFile::Close() {
    // Closing a duplicate reports delayed write errors (NFS, quotas) without
    // giving the descriptor number to the next file opened.
    const int copy = ::fcntl(fd_, F_DUPFD_CLOEXEC, 3);
    if (copy < 0) return ErrnoFailure(errno);
    if (::close(copy) != 0 && errno != EINTR) return ErrnoFailure(errno);
    return {};
}

Failure NotTheSameFile(int sourceFd, int outputFd) {
    struct stat in {}, out {};
    if (sourceFd < 0 || ::fstat(sourceFd, &in) != 0 || ::fstat(outputFd, &out) != 0) return {};
    if (S_ISREG(out.st_mode) && SameFile(in, out))
        return {EINVAL, "Quelldatei und Standardausgabe sind dieselbe Datei"};
    return {};
}

int DescriptorNamed(const std::string& path) {
    if (path == "-" || path == "/dev/stdout") return 1;
    if (path == "/dev/stderr") return 2;
    if (path == "/dev/stdin") return 0;
    for (const std::string prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (path.size() <= prefix.size() || path.size() > prefix.size() + 9 || path.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string number = path.substr(prefix.size());
        if (number.find_first_not_of("0123456789") != std::string::npos) return -1;
        return std::stoi(number);
    }
    return -1;
}

unsigned OpenMissingStandardDescriptors() {
    unsigned closed = 0;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        closed |= 1u << fd;
        // The lowest free number is fd itself, as the ones below are open.
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0 && null != fd) ::close(null);
    }
    return closed;
}

}  // namespace falvori
