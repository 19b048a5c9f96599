// What the window's pickers read from the disk: drives, full folder paths
// and the names in a folder, each call returning the system's failure. Folder paths come out full, with a lower-case drive letter and
// without a closing "\" except for a root ("c:\").
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/Platform.h"
#include "ui/controls/PathText.h"

namespace falvori {

// --- folders ---
// Turns what code or the user assigns into a full folder path:
// "d:" is that drive's current folder, "\..." lies on current's drive,
// other relative texts lie below current.
Failure ResolveFolder(const std::wstring& text, const std::wstring& current, std::wstring& full);

enum class Entries { Files, Folders };
// The names in one folder: its files (hidden and system files included) or
// its subfolders, unsorted. `names` is filled only on success.
Failure ReadFolder(const std::wstring& folder, Entries which, std::vector<std::wstring>& names);

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
