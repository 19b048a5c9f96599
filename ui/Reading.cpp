// What the pickers read from the disk (Folders), handed to the lists, and
// the failure box that offers a failed read for Retry.
#include "ui/Haupt.h"

#include <cwctype>

#include "core/Guard.h"
#include "platform/win32/SystemError.h"
#include "ui/Folders.h"

namespace falvori::ui {

bool Haupt::Retried(const std::function<Failure()>& step) {
    // The window shows the system's description alone: nothing to name.
    return Guarded(core.GetPlatform(), Doing{}, step);
}

Failure Haupt::ChooseDrive(DriveList& laufwerk, const std::wstring& text) {
    // The drive may have appeared since the list was filled.
    if (!text.empty() && std::iswalpha(text[0]) && !laufwerk.Lists(text)) laufwerk.SetDrives(DriveTexts());
    const DWORD error = laufwerk.SetDrive(text);
    return error ? SystemFailure(error) : Failure{};
}

Failure Haupt::OpenFolder(FolderList& ordner, const std::wstring& text) {
    std::wstring folder;
    if (Failure failure = ResolveFolder(text, ordner.Path(), folder)) return failure;
    if (ordner.Shows(folder)) return {};
    std::vector<std::wstring> subfolders;
    if (Failure failure = ReadFolder(folder, Entries::Folders, subfolders)) return failure;
    ordner.SetFolder(folder, std::move(subfolders));
    return {};
}

Failure Haupt::RereadFolder(FolderList& ordner) {
    if (ordner.Path().empty()) return {};
    std::vector<std::wstring> subfolders;
    if (Failure failure = ReadFolder(ordner.Path(), Entries::Folders, subfolders)) return failure;
    ordner.SetFolder(ordner.Path(), std::move(subfolders));
    return {};
}

Failure Haupt::ListFiles(FileList& dateien, const std::wstring& text) {
    std::wstring folder;
    if (Failure failure = ResolveFolder(text, dateien.Path(), folder)) {
        dateien.Clear();
        return failure;
    }
    std::vector<std::wstring> files;
    Failure failure = ReadFolder(folder, Entries::Files, files);
    dateien.SetFiles(folder, files);  // empty after a failure
    return failure;
}

Failure Haupt::RereadFiles(FileList& dateien) {
    if (dateien.Path().empty()) return {};
    std::vector<std::wstring> files;
    Failure failure = ReadFolder(dateien.Path(), Entries::Files, files);
    dateien.UpdateFiles(files);
    return failure;
}

}  // namespace falvori::ui
