#include "RenameOrder.h"

#include <fstream>
#include <linux/magic.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace falvori {

namespace {

bool HasOption(const std::string& options, const std::string& option) {
    return ("," + options + ",").find("," + option + ",") != std::string::npos;
}

bool OrdersRenames(const std::string& type, const std::string& options) {
    if (HasOption(options, "data=writeback")) return false;
    if (type == "ext4") return !HasOption(options, "noauto_da_alloc");
    return type == "ext3";  // no delayed allocation: ordered mode writes all data first
}

}  // namespace

bool RenameWritesDataFirst(int folder) {
    struct statfs fs {};
    struct stat st {};
    // ext2, ext3 and ext4 share this number; the mount table tells them apart.
    if (::fstatfs(folder, &fs) != 0 || fs.f_type != EXT4_SUPER_MAGIC || ::fstat(folder, &st) != 0)
        return false;
    const std::string device = std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    std::ifstream mounts("/proc/self/mountinfo");
    for (std::string line; std::getline(mounts, line);) {
        // ID PARENT MAJOR:MINOR ROOT POINT OPTIONS [FIELDS] - TYPE SOURCE SUPER-OPTIONS
        std::istringstream words(line);
        std::string id, parent, numbers;
        words >> id >> parent >> numbers;
        const std::size_t dash = line.find(" - ");
        if (numbers != device || dash == std::string::npos) continue;
        // Every mount of one device shares its super options.
        std::istringstream tail(line.substr(dash + 3));
        std::string type, source, options;
        tail >> type >> source >> options;
        return OrdersRenames(type, options);
    }
    return false;
}

}  // namespace falvori
