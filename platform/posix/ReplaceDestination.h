// The copy step: giving the destination the bytes of the intermediate file,
// by moving that file into place, by a new file beside the destination, or
// by writing into the destination itself, whichever keeps the destination
// what it was.
#pragma once

#include <string>

#include "core/Platform.h"
#include "platform/posix/UniqueFd.h"

namespace falvori {

class PosixIntermediate;

struct Placed {
    bool moved = false;  // the intermediate file itself has become the destination
    UniqueFd settle;     // a folder whose replacing rename is still to be flushed
};

// Gives `to` the bytes of `ours`. Any failure before the final rename leaves
// the old destination as it was and the intermediate file where it was.
Failure ReplaceDestination(PosixIntermediate& ours, const std::string& to, Placed& placed);

}  // namespace falvori
