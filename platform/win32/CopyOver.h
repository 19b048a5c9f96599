// The copy that replaces a destination in one step: the bytes go into a new
// file beside it, which is marked for deletion until it takes the
// destination's name, so that a killed conversion leaves nothing behind.
#pragma once

#include <windows.h>

#include <string>

#include "FileSecurity.h"
#include "Platform.h"
#include "Owned.h"

namespace falvori {

// A new file with a name of its own in the folder of destination (a path in
// the \\?\ form), open with access for nobody else.
OwnedHandle CreateBeside(const std::wstring& destination, DWORD access, DWORD flags, std::wstring& name,
                          Failure& failure);

// What the replacement carries over from the file it replaces (nothing for
// a new destination: the new file has what its folder gives it).
struct Carried {
    const SecurityBytes* security = nullptr;
    const BY_HANDLE_FILE_INFORMATION* info = nullptr;
};

// Copies source from its first byte on into a new file that then takes the
// name destination; replace: a file of that name may be replaced. The new
// file stays open in `taken`.
Failure CopyOver(HANDLE source, const std::wstring& destination, bool replace, const Carried& carried,
                 OwnedHandle& taken);

// Gives file the old file's security, attributes and creation time.
Failure CarryOver(HANDLE file, const Carried& carried);

}  // namespace falvori
