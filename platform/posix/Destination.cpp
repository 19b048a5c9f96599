#include "platform/posix/Destination.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "platform/posix/PathParts.h"
#include "platform/posix/SameFile.h"
#include "platform/posix/SystemError.h"
#include "platform/posix/UniqueFd.h"

namespace falvori {

namespace {

constexpr int kMaxLinks = 40;  // as the kernel

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

// The attributes of the file the destination still is.
Failure ReadOldAttributes(Destination& d) {
    UniqueFd old(::open(d.path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!old || ::fstat(old.Get(), &st) != 0) return LastFailure();
    if (!SameFile(st, d.old)) return SystemFailure(EAGAIN);  // changed meanwhile
    return ReadAttributes(old.Get(), d.attributes);
}

// Pushes the names of `path` so that the first comes off the back first.
void PushNames(const std::string& path, std::vector<std::string>& names) {
    std::size_t end = path.size();
    while (end > 0) {
        const std::size_t slash = path.rfind('/', end - 1);
        const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
        if (end > start) names.push_back(path.substr(start, end - start));
        if (slash == std::string::npos) break;
        end = slash;
    }
}

// The path without links, each link on the way checked as the kernel's
// protected_symlinks does: in a sticky folder open to all (/tmp), a link of
// another user is not followed, or anyone could aim our write at a file of
// ours. A last name that does not exist is a new file; one a link leads to
// is refused, as writing through it would create a file the user did not name.
Failure FollowLinks(const std::string& path, std::string& resolved) {
    std::string done;  // without links so far; empty for the root
    if (path.empty() || path[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) return LastFailure();
        done = cwd[1] ? cwd : "";
    }
    std::vector<std::string> names;
    PushNames(path, names);
    int links = 0;
    bool lastFromLink = false;
    while (!names.empty()) {
        const std::string name = names.back();
        names.pop_back();
        if (name == ".") continue;
        if (name == "..") {
            done.erase(done.empty() ? 0 : done.rfind('/'));
            continue;
        }
        const std::string next = done + "/" + name;
        struct stat st {};
        if (::lstat(next.c_str(), &st) != 0) {
            const int err = errno;
            if (err != ENOENT || !names.empty() || lastFromLink) return SystemFailure(err);
            resolved = next;
            return {};
        }
        if (!S_ISLNK(st.st_mode)) {
            done = next;
            continue;
        }
        if (++links > kMaxLinks) return SystemFailure(ELOOP);
        struct stat folder {};
        if (::stat(done.empty() ? "/" : done.c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) &&
            (folder.st_mode & S_IWOTH) && st.st_uid != ::geteuid() && st.st_uid != folder.st_uid)
            return SystemFailure(EACCES);
        char target[PATH_MAX];
        const ssize_t n = ::readlink(next.c_str(), target, sizeof target);
        if (n < 0 || n == sizeof target) return SystemFailure(n < 0 ? errno : ENAMETOOLONG);
        if (names.empty()) lastFromLink = true;
        PushNames(std::string(target, static_cast<std::size_t>(n)), names);
        if (target[0] == '/') done.clear();
    }
    resolved = done.empty() ? "/" : done;
    return {};
}

}  // namespace

Failure InspectDestination(const std::string& to, Destination& d) {
    d = Destination{};
    if (Failure f = FollowLinks(to, d.path)) return f;
    d.folder = FolderOf(d.path);
    d.name = NameIn(d.path);
    struct stat st {};
    if (::lstat(d.path.c_str(), &st) != 0) {
        if (errno != ENOENT) return LastFailure();
        d.way = ReplaceWay::New;
        return {};
    }
    if (S_ISDIR(st.st_mode)) return SystemFailure(EISDIR);
    if (!S_ISREG(st.st_mode)) return NotRegularFileFailure();
    // A file without any write permission is read-only, for root too.
    if ((st.st_mode & 0222) == 0 || ::access(d.path.c_str(), W_OK) != 0) return SystemFailure(EACCES);
    d.old = st;
    d.way = CanReplaceAtomically(d) && !ReadOldAttributes(d) ? ReplaceWay::Replace : ReplaceWay::InPlace;
    return {};
}

}  // namespace falvori
