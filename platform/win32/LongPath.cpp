#include "LongPath.h"

#include <windows.h>

namespace falvori {

namespace {

// Below this the classic API works for files and folders alike (a folder
// must leave room for an 8.3 name, hence the 12).
constexpr std::size_t kClassicLimit = MAX_PATH - 12;

bool HasPrefix(const std::wstring& path) {
    return path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' &&
           (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\';
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
    if (path.size() < kClassicLimit || HasPrefix(path)) return path;
    const std::wstring full = FullPath(path);
    if (full.empty()) return path;
    if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\') return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool HasWildcard(const std::wstring& path) {
    const std::size_t start = HasPrefix(path) ? 4 : 0;
    return path.find_first_of(L"*?", start) != std::wstring::npos;
}

}  // namespace falvori
