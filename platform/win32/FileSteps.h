// File steps on a handle the program holds, each checked, each reporting the
// system's failure: they act on the file opened, whatever its name is now.
#pragma once

#include <windows.h>

#include <string>

#include "core/Platform.h"

namespace falvori {

// Gives `to` all the bytes of `from`, from its first byte on, and cuts `to`
// at their end. A source that yields fewer bytes than its size is a failure.
Failure CopyAll(HANDLE from, HANDLE to);

Failure FlushFile(HANDLE file);

// Marks the file to go when its last handle closes, or takes the mark back.
Failure SetDeletePending(HANDLE file, bool pending);

// Gives `file` the name `systemPath` (a path in the \\?\ form), replacing a
// file of that name only when `replace` is set.
Failure RenameByHandle(HANDLE file, const std::wstring& systemPath, bool replace);

// Whether the file opened is the one named by `systemPath` itself and not
// one a link leads to: it lies in the very folder named (by identity, not
// by its path, which may run through linked folders) under the name asked
// for (in its long form, in any letter case). True where the system cannot
// say. A link the system follows without telling (Wine, on a Linux symbolic
// link) shows only so.
bool OpenedUnderName(HANDLE file, const std::wstring& systemPath);

// Whether both describe the same file of the same volume.
bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b);

// Flushes the folder's entries, where a rename left the new name. File
// systems that keep nothing of the kind to flush (FAT, network drives) say
// so, and that is no failure.
Failure FlushFolder(const std::wstring& folder);

// Volume serial number, file index, links, attributes of an open file.
Failure Describe(HANDLE file, BY_HANDLE_FILE_INFORMATION& info);

}  // namespace falvori
