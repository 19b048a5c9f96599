// What the pickers read from the disk (platform/win32/Folders), handed to
// the lists, and the failure box that offers a failed read for Retry.
#include "Haupt.h"

#include <cwctype>

#include "Folders.h"
#include "Guard.h"
#include "SystemError.h"

namespace falvori::ui {

bool Haupt::Retried(const std::function<DWORD()>& step) {
    // The window shows the system's description alone: nothing to name.
    return Guarded(core.GetPlatform(), Doing{}, [&] {
        DWORD error = step();
        return error ? SystemFailure(error) : Failure{};
    });
}

DWORD Haupt::ChooseDrive(DriveList& laufwerk, const std::wstring& text) {
    // The drive may have appeared since the list was filled.
    if (!text.empty() && std::iswalpha(text[0]) && !laufwerk.Lists(text)) laufwerk.SetDrives(DriveTexts());
    return laufwerk.SetDrive(text);
}

DWORD Haupt::OpenFolder(FolderList& ordner, const std::wstring& text) {
    std::wstring folder;
    if (DWORD error = ResolveFolder(text, ordner.Path(), folder)) return error;
    if (ordner.Shows(folder)) return ERROR_SUCCESS;
    std::vector<std::wstring> subfolders;
    if (DWORD error = ReadFolder(folder, Entries::Folders, subfolders)) return error;
    ordner.SetFolder(folder, std::move(subfolders));
    return ERROR_SUCCESS;
}

DWORD Haupt::RereadFolder(FolderList& ordner) {
    if (ordner.Path().empty()) return ERROR_SUCCESS;
    std::vector<std::wstring> subfolders;
    if (DWORD error = ReadFolder(ordner.Path(), Entries::Folders, subfolders)) return error;
    ordner.SetFolder(ordner.Path(), std::move(subfolders));
    return ERROR_SUCCESS;
}

DWORD Haupt::ListFiles(FileList& dateien, const std::wstring& text) {
    std::wstring folder;
    if (DWORD error = ResolveFolder(text, dateien.Path(), folder)) {
        dateien.Clear();
        return error;
    }
    std::vector<std::wstring> files;
    DWORD error = ReadFolder(folder, Entries::Files, files);
    dateien.SetFiles(folder, files);  // empty after a failure
    return error;
}

DWORD Haupt::RereadFiles(FileList& dateien) {
    if (dateien.Path().empty()) return ERROR_SUCCESS;
    std::vector<std::wstring> files;
    DWORD error = ReadFolder(dateien.Path(), Entries::Files, files);
    dateien.UpdateFiles(files);
    return error;
}

}  // namespace falvori::ui
