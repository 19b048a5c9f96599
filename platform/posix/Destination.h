// What the destination of a conversion is, and how it may be replaced.
#pragma once

#include <string>
#include <sys/stat.h>

#include "core/Platform.h"
#include "platform/CopyStep.h"
#include "platform/posix/FileAttributes.h"

namespace falvori {

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
