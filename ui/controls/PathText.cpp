#include "ui/controls/PathText.h"

#include <cwctype>

namespace falvori {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool HasDriveLetter(const std::wstring& text) {
    return text.size() >= 2 && text[1] == L':' && std::iswalpha(text[0]);
}

std::size_t RootLength(const std::wstring& path) {
    if (HasDriveLetter(path)) return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 0;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // \\server\share
        std::size_t server = path.find_first_of(L"\\/", 2);
        if (server == std::wstring::npos) return 0;
        std::size_t share = path.find_first_of(L"\\/", server + 1);
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
    std::size_t root = RootLength(path);
    if (root == 0) return parts;
    parts.push_back(path.substr(0, root));
    std::size_t start = root;
    while (start < path.size()) {
        if (IsSeparator(path[start])) {
            ++start;
            continue;
        }
        std::size_t end = path.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = path.size();
        parts.push_back(path.substr(start, end - start));
        start = end;
    }
    return parts;
}

}  // namespace falvori
