// The copy step: giving the destination the bytes of the intermediate file,
// by moving that file into place, by a new file beside the destination, or
// by writing into the destination itself, whichever keeps the destination
// what it was.
#pragma once

#include <string>

#include "Platform.h"
#include "UniqueFd.h"

namespace falvori {

// The intermediate file as this program holds it from its creation until it
// is deleted: open and locked, so that no other conversion writes into it.
struct HeldIntermediate {
    UniqueFd fd;
    // Our file has left the intermediate name: it is the destination now.
    bool moved = false;
    std::string movedTo;      // the destination as named
    std::string movedFolder;  // the folder it is in, links resolved
};

// Gives to the bytes of the intermediate file from (held by us when held is
// not null). Any failure before the final rename leaves the old destination
// as it was and the intermediate file where it was.
Failure ReplaceDestination(HeldIntermediate* held, const std::string& from, const std::string& to);

}  // namespace falvori
