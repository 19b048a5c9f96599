// The intermediate file: an ordinary file of this user, created or emptied
// by us, open for us alone until it is deleted.
#pragma once

#include <string>

#include "Platform.h"
#include "Owned.h"

namespace falvori {

// Opens or creates the file at systemPath without following a link or
// reparse point, refuses anything but an ordinary disk file with one name
// that this user owns, and empties it. The handle may read, write, rename
// and delete it and change its access list.
OwnedHandle OpenIntermediateFile(const std::wstring& systemPath, Failure& failure);

}  // namespace falvori
