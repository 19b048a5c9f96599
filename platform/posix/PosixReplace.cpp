#include "PosixReplace.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "Destination.h"
#include "FileAttributes.h"
#include "IntermediateFile.h"
#include "Leftovers.h"
#include "PosixCopy.h"
#include "PosixPlatform.h"
#include "RenameOrder.h"
#include "SameFile.h"

namespace falvori {

namespace {

constexpr int kOpenExisting = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

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

// The old destination's attributes; false when they cannot all be read.
bool OldAttributes(const Destination& d, FileAttributes& attributes) {
    UniqueFd old(::open(d.path.c_str(), O_RDONLY | kOpenExisting));
    struct stat st {};
    return old && ::fstat(old.Get(), &st) == 0 && SameFile(st, d.old) &&
           ReadAttributes(old.Get(), attributes);
}

// Renames from into the folder. A new destination must not replace a file
// that appeared meanwhile.
int RenameInto(int fromFolder, const std::string& from, int folder, const Destination& d) {
    const unsigned flags = d.way == ReplaceWay::New ? RENAME_NOREPLACE : 0;
    return ::renameat2(fromFolder, from.c_str(), folder, d.name.c_str(), flags);
}

enum class Outcome { Done, NotApplicable };

// Whether our new file must be flushed before it takes the name, and the
// folder after. A new destination puts nothing at risk, as the source stays;
// a replaced one must never turn out empty after a crash, which some file
// systems rule out by themselves.
bool MustFlush(const Destination& d, int folder) {
    return d.way != ReplaceWay::New && !RenameWritesDataFirst(folder);
}

// Moves our intermediate file itself into place when it lies on the
// destination's file system. The name "~Falvori~" is free from then on.
Failure MoveIntoPlace(HeldIntermediate& held, const std::string& from, int folder,
                      Destination& d, const std::string& to, Outcome& outcome) {
    outcome = Outcome::NotApplicable;
    struct stat ours {}, named {}, folderSt {};
    if (::fstat(held.fd.Get(), &ours) != 0 || ::fstat(folder, &folderSt) != 0)
        return ErrnoFailure(errno);
    if (ours.st_dev != folderSt.st_dev || ours.st_nlink != 1) return {};
    if (::lstat(from.c_str(), &named) != 0 || !SameFile(ours, named)) return {};

    FileAttributes wanted;
    if (d.way == ReplaceWay::New ? !NewFileAttributes(folder, wanted)
                                 : !OldAttributes(d, wanted)) {
        if (d.way != ReplaceWay::New) d.way = ReplaceWay::InPlace;
        return {};
    }
    FileAttributes before;
    if (!ReadAttributes(held.fd.Get(), before)) return {};
    // Extended attributes of ours (from the temp folder's defaults) are not
    // the folder's: a new destination is then better made there.
    if (d.way == ReplaceWay::New && !before.extended.empty()) return {};
    if (!GiveAttributes(held.fd.Get(), wanted)) {
        (void)GiveAttributes(held.fd.Get(), before);
        if (d.way != ReplaceWay::New) d.way = ReplaceWay::InPlace;
        return {};
    }
    const bool flush = MustFlush(d, folder);
    Failure failure = flush ? SyncFile(held.fd.Get()) : Failure{};
    if (!failure && RenameInto(AT_FDCWD, from, folder, d) != 0) {
        const int err = errno;
        if (err == EXDEV || err == EINVAL) {
            // A bind mount, or no RENAME_NOREPLACE: the copy does the job.
            (void)GiveAttributes(held.fd.Get(), before);
            return {};
        }
        failure = ErrnoFailure(err);
    }
    if (failure) {
        (void)GiveAttributes(held.fd.Get(), before);
        return failure;
    }
    held.moved = true;
    held.movedTo = to;
    held.movedFolder = d.folder;
    outcome = Outcome::Done;
    return flush ? SyncFolder(folder) : Failure{};
}

std::string RandomName() {
    static std::mt19937 random{std::random_device{}()};
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = kNewFilePrefix;
    for (int i = 0; i < 6; ++i) name += kDigits[random() % (sizeof kDigits - 1)];
    return name;
}

// Gives the unnamed new file out a name in the folder: the destination's for
// a new destination (never over a file that appeared meanwhile), else a
// hidden one beside it. A name taken is tried again with another.
Failure LinkNewFile(int out, int folder, const Destination& d, std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(out);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string tried = d.way == ReplaceWay::New ? d.name : RandomName();
        if (::linkat(AT_FDCWD, self.c_str(), folder, tried.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            name = tried;
            return {};
        }
        if (errno != EEXIST || d.way == ReplaceWay::New) return ErrnoFailure(errno);
    }
    return ErrnoFailure(EEXIST);
}

// Opens a new file in the folder that has no name yet, so that a killed
// conversion leaves nothing behind; named only where the file system cannot.
// lock keeps the file locked until it has taken the destination's name, so
// that RemoveLeftovers knows it from one left by a killed conversion.
Failure CreateNewFile(int folder, const Destination& d, UniqueFd& out, UniqueFd& lock,
                      std::string& name) {
    const mode_t mode = d.way == ReplaceWay::New ? 0666 : 0600;
    // An unnamed file gets its name through /proc (missing in some chroots).
    if (::access("/proc/self/fd", X_OK) == 0) {
        out.Reset(::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
        if (!out && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return ErrnoFailure(errno);
    }
    for (int attempt = 0; attempt < 100 && !out; ++attempt) {
        name = RandomName();
        out.Reset(::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (!out && errno != EEXIST) return ErrnoFailure(errno);
    }
    if (!out) return ErrnoFailure(EEXIST);
    // Read-only, so that only the checked close of out can lose data.
    const std::string self = "/proc/self/fd/" + std::to_string(out.Get());
    lock.Reset(name.empty() ? ::open(self.c_str(), O_RDONLY | O_CLOEXEC)
                            : ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!lock && errno == EACCES) lock.Reset(::fcntl(out.Get(), F_DUPFD_CLOEXEC, 0));  // umask took our read
    if (!lock || ::flock(lock.Get(), LOCK_EX) != 0) {
        const Failure failure = ErrnoFailure(errno);
        if (!name.empty()) ::unlinkat(folder, name.c_str(), 0);
        return failure;
    }
    return {};
}

// Copies into a new file beside the destination that then takes its name.
Failure CopyIntoNewFile(int in, int folder, Destination& d, Outcome& outcome) {
    outcome = Outcome::NotApplicable;
    FileAttributes wanted;
    if (d.way == ReplaceWay::Atomic && !OldAttributes(d, wanted)) {
        d.way = ReplaceWay::InPlace;
        return {};
    }
    RemoveLeftovers(folder);
    UniqueFd out;
    UniqueFd lock;
    std::string name;  // a named new file's name, empty while it has none
    if (Failure f = CreateNewFile(folder, d, out, lock, name)) return f;
    auto removeNamed = [&] {
        if (!name.empty()) ::unlinkat(folder, name.c_str(), 0);
    };
    off_t size = 0;
    Failure failure = CopyAll(in, out.Get(), size);
    if (!failure && d.way == ReplaceWay::Atomic && !GiveAttributes(out.Get(), wanted)) {
        removeNamed();
        d.way = ReplaceWay::InPlace;
        return {};
    }
    const bool flush = MustFlush(d, folder);
    if (!failure && flush) failure = SyncFile(out.Get());
    const bool unnamed = name.empty();
    // Unnamed, a new destination is linked under its own name right away.
    if (!failure && unnamed) failure = LinkNewFile(out.Get(), folder, d, name);
    if (!failure) failure = out.Close();
    if (!failure && d.way != ReplaceWay::New &&
        ::renameat(folder, name.c_str(), folder, d.name.c_str()) != 0)
        failure = ErrnoFailure(errno);
    if (!failure && d.way == ReplaceWay::New && !unnamed) {
        // A second name, never over a file that appeared meanwhile.
        if (::linkat(folder, name.c_str(), folder, d.name.c_str(), 0) != 0)
            failure = ErrnoFailure(errno);
        else
            removeNamed();
    }
    if (failure) {
        // Ours to remove, also a new destination already linked under its name.
        removeNamed();
        return failure;
    }
    outcome = Outcome::Done;
    return flush ? SyncFolder(folder) : Failure{};
}

// Writes the bytes into the existing destination: it keeps its links,
// owner and attributes. Starts only once the complete data are in the
// intermediate file.
Failure WriteInPlace(int in, const Destination& d) {
    UniqueFd out(::open(d.path.c_str(), O_WRONLY | kOpenExisting));
    if (!out) return ErrnoFailure(errno);
    struct stat st {};
    if (::fstat(out.Get(), &st) != 0) return ErrnoFailure(errno);
    if (!S_ISREG(st.st_mode) || !SameFile(st, d.old)) return ErrnoFailure(EAGAIN);  // changed meanwhile
    off_t size = 0;
    if (Failure f = CopyAll(in, out.Get(), size)) return f;
    if (::ftruncate(out.Get(), size) != 0) return ErrnoFailure(errno);
    if (Failure f = SyncFile(out.Get())) return f;
    // Writing clears set-user-ID bits of a file that is not root's; ours get them back.
    if (::fstat(out.Get(), &st) == 0 && (st.st_mode & 07777) != (d.old.st_mode & 07777) &&
        st.st_uid == ::geteuid())
        (void)::fchmod(out.Get(), d.old.st_mode & 07777);
    return out.Close();
}

}  // namespace

Failure ReplaceDestination(HeldIntermediate* held, const std::string& from, const std::string& to) {
    if (held && held->moved) {
        // Only the folder's flush failed last time: the file is in place.
        if (held->movedTo != to) return ErrnoFailure(ENOENT);
        UniqueFd folder(::open(held->movedFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder) return ErrnoFailure(errno);
        return SyncFolder(folder.Get());
    }
    Destination d;
    if (Failure f = InspectDestination(to, d)) return f;

    UniqueFd opened;
    int in = held ? held->fd.Get() : -1;
    if (!held) {
        opened.Reset(::open(from.c_str(), O_RDONLY | kOpenExisting));
        if (!opened) return ErrnoFailure(errno);
        in = opened.Get();
    }
    struct stat source {};
    if (::fstat(in, &source) != 0) return ErrnoFailure(errno);
    if (!S_ISREG(source.st_mode)) return NotRegularFileFailure();
    // The intermediate file named as destination would be deleted right after.
    if (d.way != ReplaceWay::New && SameFile(source, d.old)) return ErrnoFailure(EBUSY);

    UniqueFd folder(::open(d.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) return ErrnoFailure(errno);

    Outcome outcome = Outcome::NotApplicable;
    if (held && d.way != ReplaceWay::InPlace) {
        if (Failure f = MoveIntoPlace(*held, from, folder.Get(), d, to, outcome)) return f;
        if (outcome == Outcome::Done) return {};
    }
    if (d.way != ReplaceWay::InPlace) {
        if (Failure f = CopyIntoNewFile(in, folder.Get(), d, outcome)) return f;
        if (outcome == Outcome::Done) return {};
    }
    return WriteInPlace(in, d);
}

}  // namespace falvori
