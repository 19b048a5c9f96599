// What the window's pickers read from the disk: drives, full folder paths
// and the names in a folder, each call returning the Win32 error (0 =
// success). Folder paths come out full, with a lower-case drive letter and
// without a closing "\" except for a root ("c:\").
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace falvori {

// --- path text, no disk ---
// Length of the root part: 3 for "c:\...", the "\\server\share" part of a
// network path, 0 when the text is not a full path.
std::size_t RootLength(const std::wstring& path);
// folder + "\" + name, with a single separator also after a root.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// The root ("c:\") followed by the names of the folders below it.
std::vector<std::wstring> SplitFolder(const std::wstring& path);

// --- folders ---
// Turns what code or the user assigns into a full folder path:
// "d:" is that drive's current folder, "\..." lies on current's drive,
// other relative texts lie below current.
DWORD ResolveFolder(const std::wstring& text, const std::wstring& current, std::wstring& full);

enum class Entries { Files, Folders };
// The names in one folder: its files (hidden and system files included) or
// its subfolders, unsorted. names is filled only on success.
DWORD ReadFolder(const std::wstring& folder, Entries which, std::vector<std::wstring>& names);

// --- drives ---
// Each drive as a drive list shows it, "c:" or "c: [LABEL]", in letter order.
std::vector<std::wstring> DriveTexts();

// What may be asked about one drive; each is asked only where it cannot
// make the window wait.
struct DriveQuestions {
    std::function<std::wstring()> volumeLabel;
    std::function<std::wstring()> networkName;
};
// The text for the drive letter of the given type (GetDriveTypeW).
std::wstring DescribeDrive(wchar_t letter, UINT type, const DriveQuestions& ask);

}  // namespace falvori
