// What makes a file more than its bytes on Linux: owner, group, mode and
// extended attributes (POSIX ACLs among them), read from one open file and
// given to another, so that a replacement is the same to the system as the
// file it replaces.
#pragma once

#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "core/Platform.h"

namespace falvori {

struct FileAttributes {
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;  // permission bits with set-user-ID, set-group-ID and sticky
    std::vector<std::pair<std::string, std::string>> extended;
};

// Reads the attributes of `fd`, all of them or fails.
Failure ReadAttributes(int fd, FileAttributes& attributes);

// Gives `fd` exactly these attributes: owner and group first, as a change of
// owner clears set-user-ID bits, then extended attributes, then the mode.
// Fails when the system does not let one of them be set (no right to give
// the owner, a file system without extended attributes, ...); `fd` may then
// hold a part of them.
Failure GiveAttributes(int fd, const FileAttributes& attributes);

}  // namespace falvori
