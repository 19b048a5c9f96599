// Gives a destination the bytes of a file, the safest way the destination
// allows:
// - none there: a new file that takes the name when it is complete;
// - an ordinary file with one name whose security the new file can carry,
//   in a folder where we may create files: a new file that replaces it in
//   one rename, so that the name always holds the old or the complete file;
// - otherwise (several names, a link, a security or attributes that cannot
//   be given, no right to create files there): the bytes are written into
//   the existing file itself.
// Folders, devices, pipes, links to nothing, read-only, hidden and system
// files are refused.
#pragma once

#include <windows.h>

#include <string>

#include "Owned.h"
#include "Platform.h"

namespace falvori {

// What took the destination's name.
struct Placed {
    bool moved = false;     // the intermediate file itself: it has left its own name
    OwnedHandle copy;       // or a new file made beside the destination, still open
    bool replaced = false;  // it replaced a file: it and its folder are flushed once more
};

// destination as the user wrote it; source is the intermediate file, which
// on the destination's volume is itself renamed into place instead of
// copied. A failure leaves the source where it was, and the destination as
// it was unless it is written in place.
Failure ReplaceDestination(HANDLE source, const std::wstring& destination, Placed& placed);

}  // namespace falvori
