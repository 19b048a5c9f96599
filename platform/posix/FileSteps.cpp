#include "platform/posix/FileSteps.h"

#include <algorithm>
#include <cerrno>
#include <sys/sendfile.h>
#include <unistd.h>
#include <vector>

#include "platform/posix/SystemError.h"

namespace falvori {

namespace {

bool KernelCannotCopy(int err) {
    return err == EXDEV || err == ENOSYS || err == EINVAL || err == EOPNOTSUPP || err == EBADF;
}

constexpr std::size_t kChunk = 1 << 30;

}  // namespace

Failure CopyAll(int in, int out, off_t size) {
    off_t pos = 0;
    // Inside the kernel first, where the file system may share the blocks.
    while (pos < size) {
        off_t inPos = pos, outPos = pos;
        const ssize_t n = ::copy_file_range(in, &inPos, out, &outPos, std::min<std::size_t>(size - pos, kChunk), 0);
        if (n > 0) pos += n;
        if (n > 0 || (n < 0 && errno == EINTR)) continue;
        if (n < 0 && !KernelCannotCopy(errno)) return LastFailure();
        break;
    }
    // Between file systems: still without passing the data through this
    // process. sendfile writes at out's own position, so it is put there.
    if (pos < size && ::lseek(out, pos, SEEK_SET) == pos) {
        while (pos < size) {
            off_t inPos = pos;
            const ssize_t n = ::sendfile(out, in, &inPos, std::min<std::size_t>(size - pos, kChunk));
            if (n > 0) pos += n;
            if (n > 0 || (n < 0 && errno == EINTR)) continue;
            if (n < 0 && !KernelCannotCopy(errno)) return LastFailure();
            break;
        }
    }
    std::vector<char> buffer(pos < size ? 1 << 20 : 0);
    while (pos < size) {
        const ssize_t n = ::pread(in, buffer.data(), std::min<std::size_t>(size - pos, buffer.size()), pos);
        if (n < 0 && errno == EINTR) continue;
        // Ending before its size: the file is not what it claims.
        if (n <= 0) return SystemFailure(n == 0 ? ENODATA : errno);
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::pwrite(out, buffer.data() + done, static_cast<std::size_t>(n - done), pos);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return SystemFailure(w == 0 ? ENOSPC : errno);
            done += w;
            pos += w;
        }
    }
    return {};
}

Failure FlushFile(int fd) {
    while (::fsync(fd) != 0)
        if (errno != EINTR) return LastFailure();
    return {};
}

Failure FlushFolder(int fd) {
    while (::fsync(fd) != 0) {
        const int err = errno;
        // Some file systems cannot flush a folder; their renames are as durable as they get.
        if (err == EINVAL || err == EROFS) return {};
        if (err != EINTR) return SystemFailure(err);
    }
    return {};
}

}  // namespace falvori
