// What the destination of a conversion is, and how it may be replaced.
#pragma once

#include <string>
#include <sys/stat.h>

#include "FileAttributes.h"
#include "Platform.h"

namespace falvori {

enum class ReplaceWay {
    New,      // absent: a new file takes the name
    Replace,  // a new file with the old one's attributes takes the name in one rename
    InPlace,  // the bytes go into the existing file itself
};

struct Destination {
    ReplaceWay way = ReplaceWay::New;
    std::string path;  // links resolved: the file itself
    std::string folder;
    std::string name;
    struct stat old {};         // when it exists
    FileAttributes attributes;  // the old file's, for a replacement
};

// Refuses what must not be replaced (a folder, a device, a FIFO, a socket, a
// dangling link, a file without write permission, a link another user put
// into a sticky folder open to all, anywhere on the way) and otherwise says
// which way a file at `to` can be replaced. Whether the attributes can be
// given shows only when they are: Replace may still turn InPlace.
Failure InspectDestination(const std::string& to, Destination& destination);

}  // namespace falvori
