// Folder paths as the lists show them, as text: no disk is asked.
#pragma once

#include <string>
#include <vector>

namespace falvori {

bool IsSeparator(wchar_t c);
// "c:" and the like at the start.
bool HasDriveLetter(const std::wstring& text);
// Length of the root part: 3 for "c:\...", the "\\server\share" part of a
// network path, 0 when the text is not a full path.
std::size_t RootLength(const std::wstring& path);
// folder + "\" + name, with a single separator also after a root.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// The root ("c:\") followed by the names of the folders below it.
std::vector<std::wstring> SplitFolder(const std::wstring& path);

}  // namespace falvori
