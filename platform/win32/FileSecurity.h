// A file's security descriptor (owner, group, access list), read from one
// file and given to another, so that a replacement is the same to the
// system as the file it replaces.
#pragma once

#include <windows.h>

#include <vector>

#include "Platform.h"

namespace falvori {

using SecurityBytes = std::vector<unsigned char>;

// Needs READ_CONTROL on the handle.
Failure ReadSecurity(HANDLE file, SecurityBytes& security);

// Needs WRITE_DAC; owner and group are given only where they differ from
// the file's own, which needs WRITE_OWNER (and the right to give them).
// Nothing is given where the file has that security already. A security
// that the system cannot keep as given fails with ERROR_NOT_SUPPORTED.
Failure GiveSecurity(HANDLE file, const SecurityBytes& security);

// Whether this user (or the owner its new files get) owns the file.
bool OwnedByThisUser(HANDLE file);

}  // namespace falvori
