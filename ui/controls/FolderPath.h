// Folder paths as the lists report them: full, with a lower-case drive
// letter, and without a closing "\" except for a drive's root ("c:\").
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include <string>
#include <vector>

namespace falvori::ui {

// Length of the root part: 3 for "c:\...", the "\\server\share" part of a
// network path, 0 when the text is not a full path.
size_t RootLength(const std::wstring& path);

// folder + "\" + name, with a single separator also after a root.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// The root ("c:\") followed by the names of the folders below it.
std::vector<std::wstring> SplitFolder(const std::wstring& path);

// Turns what code or the user assigns into a full folder path:
// "d:" is that drive's current folder, "\..." lies on current's drive,
// other relative texts lie below current. Returns the Win32 error.
DWORD ResolveFolder(const std::wstring& text, const std::wstring& current, std::wstring& full);

}  // namespace falvori::ui
