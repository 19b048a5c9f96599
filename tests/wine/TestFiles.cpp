#include "tests/wine/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace falvori::test {

namespace {

const std::wstring kRoot = L"C:\\falvori-tests";

}  // namespace

ScratchFolder::ScratchFolder(const std::wstring& purpose) {
    static unsigned counter = 0;
    MakeFolder(kRoot);
    for (;;) {
        path_ = kRoot + L"\\" + purpose + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
        if (CreateDirectoryW(path_.c_str(), nullptr)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create " << Utf8(path_) << ": error " << GetLastError();
            return;
        }
    }
}

ScratchFolder::~ScratchFolder() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test && test->result()->Failed()) {
        std::printf("files of the failed test kept in %s\n", Utf8(path_).c_str());
        return;
    }
    RemoveTree(path_);
    // Links to devices or to nothing, FIFOs, "nul.txt": Linux removes them.
    if (Exists(path_)) RunLinux("rm -rf " + ShellQuote(LinuxPath(path_)));
}

std::wstring Long(const std::wstring& path) {
    if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\?\\", 0) == 0) return path;
    return L"\\\\?\\" + path;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(file);
    return ok && put == bytes.size();
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeFolder(const std::wstring& path) {
    return CreateDirectoryW(Long(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

void RemoveTree(const std::wstring& path) {
    const std::wstring folder = Long(path);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = folder + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

std::wstring ListFolder(const std::wstring& path) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((Long(path) + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") names.push_back(name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    std::wstring list;
    for (const auto& name : names) list += (list.empty() ? L"" : L"|") + name;
    return list;
}

std::wstring FromLinuxPath(const std::string& path) {
    std::wstring windows = L"Z:";
    for (char c : path) windows += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return windows;
}

std::string LinuxPath(const std::wstring& path) {
    using Translate = char*(CDECL*)(const wchar_t*);
    const auto translate = reinterpret_cast<Translate>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!translate) return {};
    char* unix = translate(path.c_str());
    if (!unix) return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

bool RunLinux(const std::string& script) {
    // Wine starts a Linux program but hands back no handle to wait on: the
    // script leaves a mark when it is done.
    static unsigned counter = 0;
    MakeFolder(kRoot);
    const std::wstring mark =
        kRoot + L"\\linux-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    const std::string whole = "(" + script + "); touch '" + LinuxPath(mark) + "'";
    const int n = MultiByteToWideChar(CP_UTF8, 0, whole.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, whole.c_str(), -1, wide.data(), n);
    wide.resize(wcslen(wide.c_str()));
    std::wstring line = L"/bin/sh -c \"" + wide + L"\"";
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(L"Z:\\bin\\sh", buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return false;
    // For a Linux program Wine gives no process handle, and a thread handle
    // that is stale: closing it would close a file of ours.
    if (info.hProcess) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    for (int i = 0; i < 1000; ++i) {
        if (DeleteFileW(mark.c_str())) return true;
        Sleep(10);
    }
    return false;
}

std::string ShellQuote(const std::string& path) { return "'" + path + "'"; }

void SharedCharacters(std::string& mac, std::string& win) {
    for (int b = 1; b < 256; ++b) {
        const char in = static_cast<char>(b);
        wchar_t u = 0;
        char out = 0;
        BOOL lost = FALSE;
        if (MultiByteToWideChar(10000, 0, &in, 1, &u, 1) != 1 ||
            WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, &u, 1, &out, 1, nullptr, &lost) != 1 || lost)
            continue;
        mac += in;
        win += out;
    }
}

std::wstring SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", n);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
    return text;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Quote(const std::wstring& path) { return L"\"" + path + L"\""; }

}  // namespace falvori::test
