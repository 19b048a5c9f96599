#include "platform/posix/IntermediateFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/FileSteps.h"
#include "platform/posix/Messages.h"
#include "platform/posix/PathParts.h"
#include "platform/posix/ReplaceDestination.h"
#include "platform/posix/SameFile.h"
#include "platform/posix/SystemError.h"

namespace falvori {

namespace {

Failure CheckOurs(const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return NotRegularFileFailure();
    if (st.st_uid != ::geteuid()) return SystemFailure(EPERM);
    // A second name would let someone else read or keep what we write.
    if (st.st_nlink != 1) return SystemFailure(EMLINK);
    return {};
}

constexpr int kOpenFlags = O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

using Made = Result<std::unique_ptr<Intermediate>>;

Made Fail(Failure failure) { return {nullptr, std::move(failure)}; }

}  // namespace

Result<std::unique_ptr<Intermediate>> PosixIntermediate::Create(const std::string& path, bool privateFolder) {
    std::unique_ptr<PosixIntermediate> file(new PosixIntermediate);
    const std::string folder = FolderOf(path);
    file->name_ = NameIn(path);
    if (privateFolder && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return Fail(LastFailure());
    file->folder_.Reset(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (privateFolder ? O_NOFOLLOW : 0)));
    struct stat st {};
    if (!file->folder_ || ::fstat(file->folder_.Get(), &st) != 0) return Fail(SystemFailure(errno == ELOOP ? ENOTDIR : errno));
    const uid_t me = ::geteuid();
    // Made by someone else, or open to others: they could swap our file.
    if (privateFolder && (st.st_uid != me || (st.st_mode & 077) != 0)) return Fail(SystemFailure(EPERM));
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) && !(st.st_mode & S_ISVTX)) {
        return Fail({EPERM, N_("Folder is writable by others and not sticky")});
    }
    file->mayMove_ = st.st_uid == me || st.st_uid == 0;
    // Nobody else can put a file here: one of another owner is what a run
    // of ours left when it was killed after giving it the destination's owner.
    const bool closedAndOurs = st.st_uid == me && !(st.st_mode & (S_IWGRP | S_IWOTH));

    const int dir = file->folder_.Get();
    const char* name = file->name_.c_str();
    UniqueFd& fd = file->held_;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Checked before opening too: opening a device may already do something.
        struct stat named {};
        if (::fstatat(dir, name, &named, AT_SYMLINK_NOFOLLOW) == 0) {
            if (closedAndOurs && S_ISREG(named.st_mode) && named.st_uid != me && named.st_nlink == 1) {
                if (::unlinkat(dir, name, 0) != 0 && errno != ENOENT) return Fail(LastFailure());
                continue;
            }
            if (Failure f = CheckOurs(named)) return Fail(f);
        } else if (errno != ENOENT) {
            return Fail(LastFailure());
        }
        // No O_TRUNC: a file another conversion owns must not be emptied.
        fd.Reset(::openat(dir, name, kOpenFlags, 0600));
        if (!fd && errno == ELOOP) {
            return Fail(NotRegularFileFailure());
        }
        if (!fd) return Fail(LastFailure());
        struct stat opened {};
        if (::fstat(fd.Get(), &opened) != 0) return Fail(LastFailure());
        if (Failure f = CheckOurs(opened)) return Fail(f);
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return Fail(SystemFailure(errno == EWOULDBLOCK ? EBUSY : errno));
        // The owner before us may have deleted or moved the file between our
        // open and our lock: then the lock guards nothing and we start again.
        if (::fstatat(dir, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !SameFile(opened, named)) {
            fd.Reset();
            continue;
        }
        // Truncating an empty file would make ext4 flush it to disk on close.
        if (opened.st_size > 0 && ::ftruncate(fd.Get(), 0) != 0) return Fail(LastFailure());
        if ((opened.st_mode & 07777) != 0600 && ::fchmod(fd.Get(), 0600) != 0) return Fail(LastFailure());
        // The core closes its own descriptor; ours keeps the file and the lock.
        UniqueFd writer(::fcntl(fd.Get(), F_DUPFD_CLOEXEC, 0));
        if (!writer) return Fail(LastFailure());
        file->writer_ = PosixFile::Owning(std::move(writer));
        return {std::move(file), {}};
    }
    return Fail(SystemFailure(EBUSY));
}

IoResult PosixIntermediate::Read(void*, std::size_t) { return {0, SystemFailure(EBADF)}; }

IoResult PosixIntermediate::Write(const void* data, std::size_t size) { return writer_->Write(data, size); }

Failure PosixIntermediate::Close() { return writer_->Close(); }

Failure PosixIntermediate::PlaceAt(const std::string& to) {
    Placed placed;
    if (Failure f = ReplaceDestination(*this, to, placed)) return f;
    placed_ = placed.moved;
    settle_ = std::move(placed.settle);
    return {};
}

Failure PosixIntermediate::Settle() {
    if (!settle_) return {};
    if (Failure f = FlushFolder(settle_.Get())) return f;
    settle_.Reset();
    return {};
}

Failure PosixIntermediate::Discard() {
    if (!placed_) {
        // Only while the name still leads to our file: once it has moved
        // on, what has the name now is not ours.
        struct stat ours {}, named {};
        if (::fstat(held_.Get(), &ours) == 0 &&
            ::fstatat(folder_.Get(), name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(ours, named) &&
            ::unlinkat(folder_.Get(), name_.c_str(), 0) != 0)
            return LastFailure();
    }
    settle_.Reset();
    folder_.Reset();
    held_.Reset();  // the file last: what it still had to say was said at its first close
    return {};
}

}  // namespace falvori
