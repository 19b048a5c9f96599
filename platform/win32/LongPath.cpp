#include "platform/win32/LongPath.h"

#include <windows.h>

#include <cwchar>

#include "platform/win32/Owned.h"

namespace falvori {

namespace {

bool HasPrefix(const std::wstring& path) {
    return path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' &&
           (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\';
}

bool IsDevicePath(const std::wstring& path) { return path.rfind(L"\\\\.\\", 0) == 0; }

std::size_t LeafStart(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos) return slash + 1;
    if (path.size() >= 2 && path[1] == L':') return 2;  // "c:name", relative to the drive's folder
    return 0;
}

// The classic API read the last component as a device name: take the
// folder's full path and put the leaf after it, trimmed as the classic API
// trims a file name (trailing dots and blanks go).
std::wstring FileInFolder(const std::wstring& path) {
    const std::size_t start = LeafStart(path);
    std::wstring leaf = path.substr(start);
    while (!leaf.empty() && (leaf.back() == L'.' || leaf.back() == L' ')) leaf.pop_back();
    std::wstring folder = FullPath(start == 0 ? L"." : path.substr(0, start));
    if (folder.empty() || leaf.empty() || IsDevicePath(folder)) return {};
    if (folder.back() != L'\\') folder += L'\\';
    return folder + leaf;
}

}  // namespace

std::wstring FullPath(const std::wstring& path, unsigned long* error) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) {
            if (error) *error = GetLastError();
            return {};
        }
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        full.resize(n);  // n is the size needed, terminator included
    }
}

std::wstring SystemPath(const std::wstring& path) {
    if (path.empty() || HasPrefix(path)) return path;
    std::wstring full = FullPath(path);
    if (full.empty()) return path;
    if (IsDevicePath(full)) {
        full = FileInFolder(path);
        if (full.empty()) return path;
    }
    if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\') return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool HasWildcard(const std::wstring& path) {
    const std::size_t start = HasPrefix(path) ? 4 : 0;
    return path.find_first_of(L"*?", start) != std::wstring::npos;
}

std::wstring LeafName(const std::wstring& path) { return path.substr(LeafStart(path)); }

std::wstring FolderOf(const std::wstring& systemPath) {
    return systemPath.substr(0, systemPath.rfind(L'\\') + 1);
}

std::wstring LongLeafPath(const std::wstring& systemPath) {
    // Wine's GetLongPathNameW leaves a path in the \\?\ form as it is; the
    // folder's listing gives the long name in both systems.
    if (HasWildcard(systemPath)) return systemPath;
    WIN32_FIND_DATAW found;
    OwnedFind search(
        FindFirstFileExW(systemPath.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
    return search ? FolderOf(systemPath) + found.cFileName : systemPath;
}

bool NamesDeviceOrVolume(const std::wstring& path) {
    std::wstring named = SystemPath(path);
    // Only the \\?\ form goes to the system as it is; any other, \\.\ or
    // with slashes, is normalised first, as CreateFileW does.
    if (named.rfind(L"\\\\?\\", 0) != 0) named = FullPath(named);
    if (!HasPrefix(named)) return false;
    std::wstring rest = named.substr(4);
    while (!rest.empty() && rest.back() == L'\\') rest.pop_back();
    // A file lies in a folder of a device; a name with no folder after the
    // prefix is the device or volume itself.
    if (rest.find(L'\\') == std::wstring::npos) return true;
    // The kernel's own names: no path there can be told a file by its form.
    return _wcsnicmp(rest.c_str(), L"GLOBALROOT\\", 11) == 0;
}

}  // namespace falvori
