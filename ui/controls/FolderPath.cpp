#include "FolderPath.h"

#include <cwctype>

namespace falvori::ui {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool HasDriveLetter(const std::wstring& text) {
    return text.size() >= 2 && text[1] == L':' && std::iswalpha(text[0]);
}

}  // namespace

size_t RootLength(const std::wstring& path) {
    if (HasDriveLetter(path)) return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 0;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // \\server\share
        size_t server = path.find_first_of(L"\\/", 2);
        if (server == std::wstring::npos) return 0;
        size_t share = path.find_first_of(L"\\/", server + 1);
        return share == std::wstring::npos ? path.size() : share;
    }
    return 0;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && IsSeparator(folder.back())) return folder + name;
    return folder + L'\\' + name;
}

std::vector<std::wstring> SplitFolder(const std::wstring& path) {
    std::vector<std::wstring> parts;
    size_t root = RootLength(path);
    if (root == 0) return parts;
    parts.push_back(path.substr(0, root));
    size_t start = root;
    while (start < path.size()) {
        if (IsSeparator(path[start])) {
            ++start;
            continue;
        }
        size_t end = path.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = path.size();
        parts.push_back(path.substr(start, end - start));
        start = end;
    }
    return parts;
}

DWORD ResolveFolder(const std::wstring& text, const std::wstring& current, std::wstring& full) {
    if (text.empty()) return ERROR_PATH_NOT_FOUND;
    std::wstring wanted = text;
    bool networkPath = text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1]);
    if (!HasDriveLetter(text) && !networkPath && !current.empty()) {
        // A list opens relative paths on its own drive, not the process's.
        if (IsSeparator(text[0])) {
            size_t root = RootLength(current);
            wanted = current.substr(0, root) + (root && IsSeparator(current[root - 1]) ? text.substr(1) : text);
        } else {
            wanted = JoinPath(current, text);
        }
    }
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetFullPathNameW(wanted.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(),
                                        nullptr);
        if (length == 0) return GetLastError();
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(length);  // length includes the terminator here
    }
    size_t root = RootLength(buffer);
    if (root == 0) return ERROR_BAD_PATHNAME;
    while (buffer.size() > root && IsSeparator(buffer.back())) buffer.pop_back();
    if (HasDriveLetter(buffer)) buffer[0] = static_cast<wchar_t>(std::towlower(buffer[0]));
    full = buffer;
    return ERROR_SUCCESS;
}

}  // namespace falvori::ui
