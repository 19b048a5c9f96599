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

#include "Platform.h"

namespace falvori {

// destination as the user wrote it. When mayMove is set, source is the
// intermediate file and, on the destination's volume, is itself renamed into
// place instead of copied; moved then tells that it has left its name (also
// when a later step fails).
Failure ReplaceDestination(HANDLE source, bool mayMove, const std::wstring& destination, bool& moved);

}  // namespace falvori
