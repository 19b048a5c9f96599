#include "FolderReader.h"

#include "FolderPath.h"
#include "Handles.h"

namespace falvori::ui {

DWORD ReadFolder(const std::wstring& folder, Entries which, std::vector<std::wstring>& names) {
    NoCriticalErrorBoxes quiet;
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW(JoinPath(folder, L"*").c_str(), FindExInfoBasic, &data,
                                     which == Entries::Folders ? FindExSearchLimitToDirectories
                                                               : FindExSearchNameMatch,
                                     nullptr, 0));
    if (!find) {
        DWORD error = GetLastError();
        // An empty root folder has no "." entry to find.
        if (error != ERROR_FILE_NOT_FOUND) return error;
        names.clear();
        return ERROR_SUCCESS;
    }
    do {
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder != (which == Entries::Folders)) continue;
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        found.push_back(std::move(name));
    } while (FindNextFileW(find.Get(), &data));
    DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES) return error;
    names = std::move(found);
    return ERROR_SUCCESS;
}

}  // namespace falvori::ui
