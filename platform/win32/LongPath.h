// Paths for the wide-character file API. Every path goes to the system in
// the \\?\ form: it lifts the classic limit of MAX_PATH characters, and it
// names the file itself, where the classic form turns a last component like
// "nul.txt" into the device NUL. The system takes that form literally, so
// the path is made absolute and normalised first, as the classic API would.
#pragma once

#include <string>

namespace falvori {

// The \\?\ form of path (\\?\UNC\ for a network path). A path that already
// starts with \\?\ or \\.\ is taken as the user wrote it.
std::wstring SystemPath(const std::wstring& path);

// The absolute, normalised form of path; "" with *error set when the system
// cannot form it.
std::wstring FullPath(const std::wstring& path, unsigned long* error = nullptr);

// Whether the name holds * or ?, apart from a leading \\?\ or \\.\ prefix.
bool HasWildcard(const std::wstring& path);

// The last component of path (after the last \ or / or drive colon).
std::wstring LeafName(const std::wstring& path);

// The folder of a path in the \\?\ form, with its trailing backslash (so
// that the root folder is "\\?\C:\", not the volume "\\?\C:").
std::wstring FolderOf(const std::wstring& systemPath);

// systemPath with its last component in the long form that the folder
// lists (the system opens a file by its 8.3 short name too); as it is where
// no such file is listed.
std::wstring LongLeafPath(const std::wstring& systemPath);

// Whether path, as the user wrote it, names a device or a volume itself
// rather than a file on it: \\.\X:, \\?\Volume{...}, \\.\PhysicalDrive0,
// anything in \\?\GLOBALROOT.
bool NamesDeviceOrVolume(const std::wstring& path);

}  // namespace falvori
