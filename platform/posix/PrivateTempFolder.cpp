#include "PrivateTempFolder.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "PosixPlatform.h"

namespace falvori {

std::string PrivateTempFolder() { return "/tmp/falvori-" + std::to_string(::geteuid()); }

Failure CheckPrivateTempFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return ErrnoFailure(errno);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return ErrnoFailure(errno);
    if (!S_ISDIR(st.st_mode)) return ErrnoFailure(ENOTDIR);
    // Made by someone else, or open to others: they could swap our file.
    if (st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) return ErrnoFailure(EPERM);
    return {};
}

}  // namespace falvori
