// The copy step: giving the destination the bytes of the intermediate file,
// by moving that file into place, by a new file beside the destination, or
// by writing into the destination itself, whichever keeps the destination
// what it was.
#pragma once

#include <windows.h>

#include <string>

#include "core/Platform.h"
#include "platform/win32/Owned.h"

namespace falvori {

struct Placed {
    bool moved = false;     // the intermediate file itself has become the destination
    OwnedHandle copy;       // or a new file made beside the destination, still open
    bool replaced = false;  // it replaced a file: it and its folder are flushed once more
};

// Gives `to` (as the user wrote it) the bytes of `ours`, the intermediate
// file. Any failure before the final rename leaves the old destination as
// it was and the intermediate file where it was.
Failure ReplaceDestination(HANDLE ours, const std::wstring& to, Placed& placed);

}  // namespace falvori
