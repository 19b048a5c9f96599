#include "Leftovers.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "UniqueFd.h"
#include "SameFile.h"

namespace falvori {

namespace {

bool IsOurName(const char* name) {
    const std::size_t prefix = sizeof kNewFilePrefix - 1;
    return std::strncmp(name, kNewFilePrefix, prefix) == 0 && std::strlen(name) == prefix + 6;
}

void RemoveIfLeftOver(int folder, const char* name) {
    UniqueFd fd(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {}, named {};
    if (!fd || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
        st.st_nlink != 1)
        return;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return;  // a running conversion's
    if (::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !SameFile(named, st))
        return;
    ::unlinkat(folder, name, 0);
}

}  // namespace

void RemoveLeftovers(int folder) {
    UniqueFd listed(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listed) return;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(listed.Get()), ::closedir);
    if (!dir) return;
    listed.Release();  // the listing owns it now
    while (const dirent* entry = ::readdir(dir.get()))
        if (IsOurName(entry->d_name)) RemoveIfLeftOver(folder, entry->d_name);
}

}  // namespace falvori
