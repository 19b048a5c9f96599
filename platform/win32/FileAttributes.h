// What makes a file more than its bytes on Windows: its security descriptor
// (owner, group, access list), its attributes and its creation time, read
// from one open file and given to another, so that a replacement is the
// same to the system as the file it replaces.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "core/Platform.h"

namespace falvori {

using SecurityBytes = std::vector<unsigned char>;

struct FileAttributes {
    SecurityBytes security;
    // Attributes and creation time; none for a new file, which has its own.
    std::optional<FILE_BASIC_INFO> basic;
};

// Reads the attributes of `file` (needs READ_CONTROL and FILE_READ_ATTRIBUTES).
Failure ReadAttributes(HANDLE file, FileAttributes& attributes);

// Gives `file` exactly these attributes (needs WRITE_DAC, and WRITE_OWNER
// where owner or group differ from its own, with the right to give them).
// Nothing is given where the file has them already. A security that the
// system cannot keep as given fails with ERROR_NOT_SUPPORTED.
Failure GiveAttributes(HANDLE file, const FileAttributes& attributes);

// Whether this user (or the owner its new files get) owns `file`.
bool OwnedByThisUser(HANDLE file);

}  // namespace falvori
