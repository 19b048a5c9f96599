// Reads the names in one folder: either its files (hidden and system files
// included, no pattern) or its subfolders.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include <string>
#include <vector>

namespace falvori::ui {

enum class Entries { Files, Folders };

// Returns the Win32 error; names is filled only on success.
DWORD ReadFolder(const std::wstring& folder, Entries which, std::vector<std::wstring>& names);

}  // namespace falvori::ui
