#include "ui/Folders.h"

#include <winnetwk.h>

#include <cwctype>

#include "platform/win32/LongPath.h"
#include "platform/win32/Owned.h"
#include "platform/win32/SystemError.h"
#include "ui/controls/PathText.h"

namespace falvori {

namespace {

// Keeps Windows from asking "insert a disk" while drives are looked at.
class NoCriticalErrorBoxes {
public:
    NoCriticalErrorBoxes() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old_); }
    NoCriticalErrorBoxes(const NoCriticalErrorBoxes&) = delete;
    NoCriticalErrorBoxes& operator=(const NoCriticalErrorBoxes&) = delete;
    ~NoCriticalErrorBoxes() { SetThreadErrorMode(old_, nullptr); }

private:
    DWORD old_ = 0;
};

std::wstring VolumeLabel(const std::wstring& root) {
    wchar_t label[MAX_PATH + 1] = L"";
    if (!GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
        return {};
    return label;
}

// The share a drive letter is mapped to, as the system remembers it; a
// disconnected drive keeps its name.
std::wstring NetworkName(const std::wstring& drive) {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(name.size());
        DWORD result = WNetGetConnectionW(drive.c_str(), name.data(), &size);
        if (result == NO_ERROR || result == ERROR_CONNECTION_UNAVAIL) {
            name.resize(std::char_traits<wchar_t>::length(name.c_str()));
            return name;
        }
        if (result != ERROR_MORE_DATA || size <= name.size()) return {};
        name.resize(size);
    }
}

}  // namespace

Failure ResolveFolder(const std::wstring& text, const std::wstring& current, std::wstring& full) {
    if (text.empty()) return SystemFailure(ERROR_PATH_NOT_FOUND);
    std::wstring wanted = text;
    bool networkPath = text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1]);
    if (!HasDriveLetter(text) && !networkPath && !current.empty()) {
        // A list opens relative paths on its own drive, not the process's.
        if (IsSeparator(text[0])) {
            std::size_t root = RootLength(current);
            wanted = current.substr(0, root) + (root && IsSeparator(current[root - 1]) ? text.substr(1) : text);
        } else {
            wanted = JoinPath(current, text);
        }
    }
    unsigned long error = 0;
    std::wstring path = FullPath(wanted, &error);
    if (path.empty()) return SystemFailure(error ? error : ERROR_BAD_PATHNAME);
    std::size_t root = RootLength(path);
    if (root == 0) return SystemFailure(ERROR_BAD_PATHNAME);
    while (path.size() > root && IsSeparator(path.back())) path.pop_back();
    if (HasDriveLetter(path)) path[0] = static_cast<wchar_t>(std::towlower(path[0]));
    full = path;
    return {};
}

Failure ReadFolder(const std::wstring& folder, Entries which, std::vector<std::wstring>& names) {
    NoCriticalErrorBoxes quiet;
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW data;
    OwnedFind find(FindFirstFileExW(JoinPath(folder, L"*").c_str(), FindExInfoBasic, &data,
                                    which == Entries::Folders ? FindExSearchLimitToDirectories
                                                              : FindExSearchNameMatch,
                                    nullptr, 0));
    if (!find) {
        DWORD error = GetLastError();
        // An empty root folder has no "." entry to find.
        if (error != ERROR_FILE_NOT_FOUND) return SystemFailure(error);
        names.clear();
        return {};
    }
    do {
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder != (which == Entries::Folders)) continue;
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        found.push_back(std::move(name));
    } while (FindNextFileW(find.Get(), &data));
    DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES) return SystemFailure(error);
    names = std::move(found);
    return {};
}

std::wstring DescribeDrive(wchar_t letter, UINT type, const DriveQuestions& ask) {
    std::wstring text{letter, L':'};
    std::wstring name;
    // A network drive's label would come from its server, which may be
    // gone: the window would wait for the network's time-out. Removable
    // and optical drives stay untouched too: asking them for a label can
    // spin up a medium or wait for one.
    if (type == DRIVE_FIXED || type == DRIVE_RAMDISK)
        name = ask.volumeLabel ? ask.volumeLabel() : std::wstring();
    else if (type == DRIVE_REMOTE)
        name = ask.networkName ? ask.networkName() : std::wstring();
    if (!name.empty()) text += L" [" + name + L"]";
    return text;
}

std::vector<std::wstring> DriveTexts() {
    NoCriticalErrorBoxes quiet;
    std::vector<std::wstring> texts;
    DWORD mask = GetLogicalDrives();
    for (int bit = 0; bit < 26; ++bit) {
        if (!(mask & (1u << bit))) continue;
        wchar_t letter = static_cast<wchar_t>(L'a' + bit);
        std::wstring drive{letter, L':'};
        std::wstring root = drive + L'\\';
        texts.push_back(DescribeDrive(letter, GetDriveTypeW(root.c_str()),
                                      {[&] { return VolumeLabel(root); }, [&] { return NetworkName(drive); }}));
    }
    return texts;
}

}  // namespace falvori
