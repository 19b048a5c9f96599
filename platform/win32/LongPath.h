// Paths for the wide-character file API. A path too long for the classic
// limit of MAX_PATH characters is handed over in the \\?\ form, which lifts
// the limit but is taken literally by the system, so it is made absolute and
// normalised first.
#pragma once

#include <string>

namespace falvori {

std::wstring SystemPath(const std::wstring& path);

// The absolute, normalised form of path; "" with *error set when the system
// cannot form it.
std::wstring FullPath(const std::wstring& path, unsigned long* error = nullptr);

// Whether the name holds * or ?, apart from a leading \\?\ or \\.\ prefix.
bool HasWildcard(const std::wstring& path);

}  // namespace falvori
