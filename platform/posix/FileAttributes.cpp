#include "platform/posix/FileAttributes.h"

#include <algorithm>
#include <cerrno>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/posix/SystemError.h"

namespace falvori {

namespace {

bool ListNames(int fd, std::vector<std::string>& names) {
    std::string list;
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0) return errno == ENOTSUP;  // no extended attributes at all
        list.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::flistxattr(fd, list.data(), list.size());
        if (got >= 0) {
            list.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) return false;  // grown meanwhile: ask again
    }
    for (std::size_t pos = 0; pos < list.size();) {
        const std::size_t end = list.find('\0', pos);
        if (end == std::string::npos) break;
        if (end > pos) names.push_back(list.substr(pos, end - pos));
        pos = end + 1;
    }
    return true;
}

bool ReadValue(int fd, const std::string& name, std::string& value) {
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
        if (size < 0) return false;
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE) return false;
    }
}

}  // namespace

Failure ReadAttributes(int fd, FileAttributes& attributes) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return LastFailure();
    attributes.owner = st.st_uid;
    attributes.group = st.st_gid;
    attributes.mode = st.st_mode & 07777;
    attributes.extended.clear();
    std::vector<std::string> names;
    if (!ListNames(fd, names)) return LastFailure();
    for (const auto& name : names) {
        std::string value;
        if (!ReadValue(fd, name, value)) return LastFailure();
        attributes.extended.emplace_back(name, std::move(value));
    }
    return {};
}

Failure GiveAttributes(int fd, const FileAttributes& attributes) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return LastFailure();
    if ((st.st_uid != attributes.owner || st.st_gid != attributes.group) &&
        ::fchown(fd, attributes.owner, attributes.group) != 0)
        return LastFailure();

    std::vector<std::string> present;
    if (!ListNames(fd, present)) return LastFailure();
    for (const auto& name : present) {
        const bool kept = std::any_of(attributes.extended.begin(), attributes.extended.end(),
                                      [&](const auto& a) { return a.first == name; });
        if (!kept && ::fremovexattr(fd, name.c_str()) != 0) return LastFailure();
    }
    for (const auto& [name, value] : attributes.extended)
        if (::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0) return LastFailure();

    if (::fchmod(fd, attributes.mode) != 0) return LastFailure();
    // Without the right to them the system drops set-group-ID bits silently.
    if (::fstat(fd, &st) != 0) return LastFailure();
    if (st.st_uid != attributes.owner || st.st_gid != attributes.group || (st.st_mode & 07777) != attributes.mode)
        return SystemFailure(EPERM);
    return {};
}

}  // namespace falvori
