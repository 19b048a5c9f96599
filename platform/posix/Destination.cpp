#include "Destination.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "IntermediateFile.h"
#include "PathParts.h"
#include "PosixPlatform.h"

namespace falvori {

namespace {

bool InOurGroups(gid_t gid) {
    if (gid == ::getegid()) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<std::size_t>(i)] == gid) return true;
    return false;
}

// Whether a new file with the old one's name, owner and group can be made.
bool CanReplaceAtomically(const Destination& d) {
    // Another name would keep the old text.
    if (d.old.st_nlink != 1) return false;
    const uid_t me = ::geteuid();
    if (me != 0 && (d.old.st_uid != me || !InOurGroups(d.old.st_gid))) return false;
    if (::faccessat(AT_FDCWD, d.folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return false;
    struct stat folder {};
    if (::stat(d.folder.c_str(), &folder) != 0) return false;
    // In a sticky folder only the owners may replace a file.
    if ((folder.st_mode & S_ISVTX) && me != 0 && d.old.st_uid != me && folder.st_uid != me)
        return false;
    return true;
}

}  // namespace

Failure InspectDestination(const std::string& to, Destination& d) {
    d = Destination{};
    d.path = to;
    struct stat st {};
    if (::lstat(to.c_str(), &st) != 0) {
        const int err = errno;
        if (err != ENOENT) return ErrnoFailure(err);
        d.way = ReplaceWay::New;
        d.folder = FolderOf(to);
        d.name = NameIn(to);
        return {};
    }
    if (S_ISLNK(st.st_mode)) {
        // As the kernel's protected_symlinks: in a sticky folder open to all
        // (/tmp) a link of another user is not followed, or anyone could
        // aim our write at a file of ours.
        struct stat folder {};
        if (::stat(FolderOf(to).c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) &&
            (folder.st_mode & S_IWOTH) && st.st_uid != ::geteuid() && st.st_uid != folder.st_uid)
            return ErrnoFailure(EACCES);
        char resolved[PATH_MAX];
        // A dangling link is refused: writing through it would create a file
        // somewhere the user did not name.
        if (!::realpath(to.c_str(), resolved)) {
            const int err = errno;
            // A link to what has no path (a pipe behind /dev/stdout) is no file either.
            if (::stat(to.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return NotRegularFileFailure();
            return ErrnoFailure(err);
        }
        d.path = resolved;
        if (::lstat(d.path.c_str(), &st) != 0) return ErrnoFailure(errno);
    }
    if (S_ISDIR(st.st_mode)) return ErrnoFailure(EISDIR);
    if (!S_ISREG(st.st_mode)) return NotRegularFileFailure();
    // A file without any write permission is read-only, for root too.
    if ((st.st_mode & 0222) == 0 || ::access(d.path.c_str(), W_OK) != 0)
        return ErrnoFailure(EACCES);
    d.old = st;
    d.folder = FolderOf(d.path);
    d.name = NameIn(d.path);
    d.way = CanReplaceAtomically(d) ? ReplaceWay::Atomic : ReplaceWay::InPlace;
    return {};
}

}  // namespace falvori
