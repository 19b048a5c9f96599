#include "PosixCopy.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "PosixFile.h"
#include "PosixPlatform.h"

namespace falvori {

namespace {

Failure CopyData(int in, int out) {
    // The kernel copies without passing the data through this process where
    // the file systems allow it.
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n == 0) return {};
        if (n > 0) continue;
        const int err = errno;
        if (err == EINTR) continue;
        if (err == EXDEV || err == ENOSYS || err == EINVAL || err == EOPNOTSUPP) break;
        return ErrnoFailure(err);
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n == 0) return {};
        if (n < 0) {
            if (errno == EINTR) continue;
            return ErrnoFailure(errno);
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return ErrnoFailure(w == 0 ? ENOSPC : errno);
            done += w;
        }
    }
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

Failure ReplaceWithCopy(const std::string& from, const std::string& to) {
    // Through a symbolic link the file it points to is replaced, not the link.
    std::string target = to;
    struct stat link {};
    if (::lstat(to.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(to.c_str(), resolved)) target = resolved;
    }

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) return ErrnoFailure(EISDIR);
    // A file without any write permission is read-only, for root too.
    if (exists && ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
        return ErrnoFailure(EACCES);

    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return ErrnoFailure(errno);
    PosixFile source(in);
    // A file copied onto itself (the intermediate file named as destination)
    // would be deleted right after; Windows refuses such a copy too.
    struct stat copied {};
    if (exists && ::fstat(in, &copied) == 0 && copied.st_dev == old.st_dev &&
        copied.st_ino == old.st_ino)
        return ErrnoFailure(EBUSY);

    std::string name = FolderOf(target) + "/.~Falvori~XXXXXX";
    const int out = ::mkstemp(name.data());
    if (out < 0) return ErrnoFailure(errno);
    PosixFile copy(out);

    Failure failure = CopyData(in, out);
    if (!failure && ::fchmod(out, exists ? (old.st_mode & 07777) : NewFileMode()) != 0)
        failure = ErrnoFailure(errno);
    if (!failure && exists && ::geteuid() == 0) (void)!::fchown(out, old.st_uid, old.st_gid);
    if (!failure) failure = copy.close();
    if (!failure && ::rename(name.c_str(), target.c_str()) != 0) failure = ErrnoFailure(errno);
    if (failure) ::unlink(name.c_str());
    return failure;
}

}  // namespace falvori
