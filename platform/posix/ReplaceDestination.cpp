#include "platform/posix/ReplaceDestination.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/posix/Destination.h"
#include "platform/posix/FileAttributes.h"
#include "platform/posix/FileSteps.h"
#include "platform/posix/IntermediateFile.h"
#include "platform/posix/SameFile.h"
#include "platform/posix/SystemError.h"

namespace falvori {

namespace {

constexpr int kOpenExisting = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
constexpr char kNewFilePrefix[] = ".~Falvori~";

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// What a file created in the folder would get: owner, group and mode; false
// when the folder hands down more (a default ACL) than a moved file can take.
bool NewFileAttributes(int folder, FileAttributes& attributes) {
    if (::fgetxattr(folder, "system.posix_acl_default", nullptr, 0) >= 0) return false;
    struct stat st {};
    if (::fstat(folder, &st) != 0) return false;
    attributes = FileAttributes{};
    attributes.owner = ::geteuid();
    attributes.group = (st.st_mode & S_ISGID) ? st.st_gid : ::getegid();
    attributes.mode = NewFileMode();
    return true;
}

// A replacement reaches the disk with its data first, so that a kill during
// that long flush leaves a file of ours, then gets the old file's attributes,
// flushed too before the rename. False: the attributes cannot be given.
bool FlushAndGive(int fd, const FileAttributes& wanted, Failure& failure) {
    if ((failure = FlushFile(fd))) return true;
    if (GiveAttributes(fd, wanted)) return false;
    failure = FlushFile(fd);
    return true;
}

// Moves our intermediate file itself into place when nobody else can rename
// in its folder and it lies on the destination's file system.
Outcome MoveIntoPlace(PosixIntermediate& ours, int folder, const Destination& d) {
    const bool replace = d.way == ReplaceWay::Replace;
    struct stat own {}, there {};
    if (!ours.MayMove() || ::fstat(ours.Fd(), &own) != 0 || ::fstat(folder, &there) != 0 ||
        own.st_dev != there.st_dev || own.st_nlink != 1)
        return Outcome::NotApplicable;
    FileAttributes wanted = d.attributes, before;
    if (!replace && !NewFileAttributes(folder, wanted)) return Outcome::NotApplicable;
    // Extended attributes of ours (from the temp folder's defaults) are not
    // the folder's: a new destination is then better made there.
    if (ReadAttributes(ours.Fd(), before) || (!replace && !before.extended.empty())) return Outcome::NotApplicable;
    Failure failure;
    const bool given = replace ? FlushAndGive(ours.Fd(), wanted, failure) : !GiveAttributes(ours.Fd(), wanted);
    // A new destination never replaces a file that appeared meanwhile.
    if (given && !failure &&
        ::renameat2(ours.Folder(), ours.Name().c_str(), folder, d.name.c_str(), replace ? 0 : RENAME_NOREPLACE) != 0)
        failure = LastFailure();
    if (!given || failure) {
        (void)GiveAttributes(ours.Fd(), before);  // ours again where it stays
        // A bind mount, or no RENAME_NOREPLACE: the copy does the job.
        if (given && failure.code != EXDEV && failure.code != EINVAL) return Failed(failure);
        return !given && replace ? Outcome::InPlaceOnly : Outcome::NotApplicable;
    }
    return Outcome::Done;
}

std::string RandomName() {
    static std::mt19937 random{std::random_device{}()};
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = kNewFilePrefix;
    for (int i = 0; i < 6; ++i) name += kDigits[random() % (sizeof kDigits - 1)];
    return name;
}

// A new file in the destination's folder, unnamed until it takes a name
// where the file system allows it, so that a kill leaves nothing behind.
// A name it has when it is dropped goes with it, if it still leads to it.
class NewFile {
public:
    explicit NewFile(int folder) : folder_(folder) {}
    ~NewFile() {
        struct stat named {};
        if (!name_.empty() && ::fstatat(folder_, name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameFile(named, st_))
            ::unlinkat(folder_, name_.c_str(), 0);
    }
    int Fd() const { return fd_.Get(); }

    Failure Create(mode_t mode) {
        // An unnamed file gets its name through /proc (missing in some chroots).
        if (::access("/proc/self/fd", X_OK) == 0) {
            fd_.Reset(::openat(folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
            if (!fd_ && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return LastFailure();
        }
        unnamed_ = bool(fd_);
        for (int attempt = 0; attempt < 100 && !fd_; ++attempt) {
            name_ = RandomName();
            fd_.Reset(::openat(folder_, name_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode));
            if (!fd_ && errno != EEXIST) return LastFailure();
        }
        if (!fd_ || ::fstat(fd_.Get(), &st_) != 0) return SystemFailure(fd_ ? errno : EEXIST);
        return {};
    }

    // Gives the file the destination's name `name`; only a replacement may
    // take it from an existing file.
    Failure TakeName(const std::string& name, bool replace) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_.Get());
        for (int attempt = 0; unnamed_ && name_.empty() && attempt < 100; ++attempt) {
            const std::string tried = replace ? RandomName() : name;
            if (::linkat(AT_FDCWD, self.c_str(), folder_, tried.c_str(), AT_SYMLINK_FOLLOW) == 0)
                name_ = tried;
            else if (errno != EEXIST || !replace)
                return LastFailure();
        }
        if (name_.empty()) return SystemFailure(EEXIST);
        if (Failure f = fd_.Close()) return f;
        if (name_ == name) {
            name_.clear();  // linked under its own name: done
            return {};
        }
        int moved = ::renameat2(folder_, name_.c_str(), folder_, name.c_str(), replace ? 0 : RENAME_NOREPLACE);
        if (moved != 0 && errno == EINVAL && !replace) {
            // No RENAME_NOREPLACE here (NFS): a second name never replaces either.
            moved = ::linkat(folder_, name_.c_str(), folder_, name.c_str(), 0);
            if (moved == 0) return {};  // the destructor drops the first name
        }
        if (moved != 0) return LastFailure();
        name_.clear();
        return {};
    }

private:
    int folder_;
    UniqueFd fd_;
    bool unnamed_ = false;
    std::string name_;  // its name in the folder while it has one of its own
    struct stat st_ {};
};

// Copies into a new file beside the destination that then takes its name.
Outcome CopyBeside(int in, int folder, const Destination& d) {
    const bool replace = d.way == ReplaceWay::Replace;
    struct stat source {};
    if (::fstat(in, &source) != 0) return Failed(LastFailure());
    NewFile out(folder);
    Failure failure = out.Create(replace ? 0600 : 0666);
    if (!failure) failure = CopyAll(in, out.Fd(), source.st_size);
    if (!failure && replace && !FlushAndGive(out.Fd(), d.attributes, failure)) return Outcome::InPlaceOnly;
    if (!failure) failure = out.TakeName(d.name, replace);
    if (failure) return Failed(failure);
    return Outcome::Done;
}

// Writes the bytes into the existing destination: it keeps its links, owner
// and attributes. Starts only once the complete data are in the
// intermediate file. The kernel drops file capabilities on any write, and
// set-ID bits on a write without CAP_FSETID: they are given back where the
// system lets us.
Failure WriteInPlace(int in, const Destination& d) {
    UniqueFd out(::open(d.path.c_str(), O_WRONLY | kOpenExisting));
    if (!out) return LastFailure();
    struct stat st {}, source {};
    if (::fstat(out.Get(), &st) != 0 || ::fstat(in, &source) != 0) return LastFailure();
    if (!S_ISREG(st.st_mode) || !SameFile(st, d.old)) return SystemFailure(EAGAIN);  // changed meanwhile
    char caps[64];
    const ssize_t capsSize = ::fgetxattr(out.Get(), "security.capability", caps, sizeof caps);
    if (Failure f = CopyAll(in, out.Get(), source.st_size)) return f;
    if (::ftruncate(out.Get(), source.st_size) != 0) return LastFailure();
    if (::fstat(out.Get(), &st) == 0 && (st.st_mode & 07777) != (d.old.st_mode & 07777))
        (void)::fchmod(out.Get(), d.old.st_mode & 07777);
    if (capsSize > 0) (void)::fsetxattr(out.Get(), "security.capability", caps, static_cast<std::size_t>(capsSize), 0);
    if (Failure f = FlushFile(out.Get())) return f;
    return out.Close();
}

}  // namespace

Failure ReplaceDestination(PosixIntermediate& ours, const std::string& to, Placed& placed) {
    Destination d;
    if (Failure f = InspectDestination(to, d)) return f;
    struct stat source {};
    if (::fstat(ours.Fd(), &source) != 0) return LastFailure();
    // The intermediate file named as destination would be deleted right after.
    if (d.way != ReplaceWay::New && SameFile(source, d.old)) return SystemFailure(EBUSY);
    UniqueFd folder(::open(d.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) return LastFailure();

    Outcome outcome = Outcome::InPlaceOnly;
    if (d.way != ReplaceWay::InPlace) {
        outcome = MoveIntoPlace(ours, folder.Get(), d);
        placed.moved = outcome.kind == Outcome::Done;
        if (outcome.kind == Outcome::NotApplicable) outcome = CopyBeside(ours.Fd(), folder.Get(), d);
    }
    if (outcome.kind == Outcome::InPlaceOnly) return WriteInPlace(ours.Fd(), d);
    if (outcome.kind == Outcome::Failed) return outcome.failure;
    // A replaced file's new name reaches the disk with its folder.
    if (d.way == ReplaceWay::Replace) placed.settle = std::move(folder);
    return {};
}

}  // namespace falvori
