#include "IntermediateFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PosixPlatform.h"
#include "SameFile.h"

namespace falvori {

Failure NotRegularFileFailure() { return {EINVAL, "Not a regular file"}; }

namespace {

Failure CheckOurs(const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return NotRegularFileFailure();
    if (st.st_uid != ::geteuid()) return ErrnoFailure(EPERM);
    // A second name would let someone else read or keep what we write.
    if (st.st_nlink != 1) return ErrnoFailure(EMLINK);
    return {};
}

}  // namespace

Failure OpenIntermediate(const std::string& path, UniqueFd& fd) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Checked before opening too: opening a device may already do something.
        struct stat named {};
        if (::lstat(path.c_str(), &named) == 0) {
            if (Failure f = CheckOurs(named)) return f;
        } else if (errno != ENOENT) {
            return ErrnoFailure(errno);
        }
        // No O_TRUNC: a file another conversion owns must not be emptied.
        fd.Reset(::open(path.c_str(),
                        O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600));
        if (!fd) {
            const int err = errno;
            return err == ELOOP ? NotRegularFileFailure() : ErrnoFailure(err);
        }
        struct stat opened {};
        if (::fstat(fd.Get(), &opened) != 0) return ErrnoFailure(errno);
        if (Failure f = CheckOurs(opened)) return f;
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            return ErrnoFailure(err == EWOULDBLOCK ? EBUSY : err);
        }
        // The owner before us may have deleted or moved the file between our
        // open and our lock: then the lock guards nothing and we start again.
        if (::lstat(path.c_str(), &named) != 0 || !SameFile(opened, named))
            continue;
        // Truncating an empty file would make ext4 flush it to disk on close.
        if (opened.st_size > 0 && ::ftruncate(fd.Get(), 0) != 0) return ErrnoFailure(errno);
        if ((opened.st_mode & 07777) != 0600 && ::fchmod(fd.Get(), 0600) != 0)
            return ErrnoFailure(errno);
        return {};
    }
    return ErrnoFailure(EBUSY);
}

}  // namespace falvori
