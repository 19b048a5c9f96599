#include "PosixCopy.h"

#include <cerrno>
#include <sys/sendfile.h>
#include <unistd.h>
#include <vector>

#include "PosixPlatform.h"

namespace falvori {

namespace {

bool KernelCannotCopy(int err) {
    return err == EXDEV || err == ENOSYS || err == EINVAL || err == EOPNOTSUPP || err == EBADF;
}

}  // namespace

Failure CopyAll(int in, int out, off_t& size) {
    // Explicit offsets: the kernel moves them by exactly what it copied, so
    // a short copy goes on at the right byte, also in the fallback below.
    off_t inPos = 0;
    off_t outPos = 0;
    for (;;) {
        const ssize_t n = ::copy_file_range(in, &inPos, out, &outPos, 1 << 30, 0);
        if (n > 0) continue;
        if (n == 0 && inPos > 0) {
            size = outPos;
            return {};
        }
        if (n == 0) break;  // an empty file, or one the kernel cannot copy from
        const int err = errno;
        if (err == EINTR) continue;
        if (KernelCannotCopy(err)) break;
        return ErrnoFailure(err);
    }
    // Between file systems: still without passing the data through this
    // process. sendfile writes at out's own position, so it is put there.
    if (::lseek(out, outPos, SEEK_SET) == outPos) {
        for (;;) {
            const ssize_t n = ::sendfile(out, in, &inPos, 1 << 30);
            if (n > 0) {
                outPos += n;
                continue;
            }
            if (n == 0) {
                size = outPos;
                return {};
            }
            const int err = errno;
            if (err == EINTR) continue;
            if (KernelCannotCopy(err)) break;
            return ErrnoFailure(err);
        }
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = ::pread(in, buffer.data(), buffer.size(), inPos);
        if (n == 0) {
            size = outPos;
            return {};
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            return ErrnoFailure(errno);
        }
        inPos += n;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::pwrite(out, buffer.data() + done, static_cast<std::size_t>(n - done), outPos);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return ErrnoFailure(w == 0 ? ENOSPC : errno);
            done += w;
            outPos += w;
        }
    }
}

Failure SyncFile(int fd) {
    while (::fsync(fd) != 0)
        if (errno != EINTR) return ErrnoFailure(errno);
    return {};
}

Failure SyncFolder(int fd) {
    while (::fsync(fd) != 0) {
        const int err = errno;
        // Some file systems cannot flush a folder; their renames are as durable as they get.
        if (err == EINVAL || err == EROFS) return {};
        if (err != EINTR) return ErrnoFailure(err);
    }
    return {};
}

}  // namespace falvori
