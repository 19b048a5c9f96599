// Whether two stat results describe one file: the same inode on one device.
#pragma once

#include <sys/stat.h>

namespace falvori {

inline bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace falvori
