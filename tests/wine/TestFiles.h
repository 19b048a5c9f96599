// Files and folders for the Wine tests: a fresh folder per test inside the
// prefix, byte-exact reading and writing, and the build's own files.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace falvori::test {

// A new, empty folder below C:\falvori-tests, removed with all its contents
// when the test has passed; kept for a look when it has failed.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& purpose);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Paths of 248 characters and more go through the \\?\ form.
std::wstring Long(const std::wstring& path);

bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::optional<std::string> ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);
bool MakeFolder(const std::wstring& path);
void RemoveTree(const std::wstring& path);
// The names in a folder, "." and ".." left out, sorted.
std::wstring ListFolder(const std::wstring& path);

// The Windows path (Z:\...) of a file named by its Linux path.
std::wstring FromLinuxPath(const std::string& path);

// The Linux path of a file in the prefix (Wine's own translation).
std::string LinuxPath(const std::wstring& path);
// Runs a Linux shell script (sh -c) and waits for it: for what a Windows
// program cannot make (FIFOs, symbolic links to devices, file modes).
bool RunLinux(const std::string& script);
// A Linux path in single quotes for a script.
std::string ShellQuote(const std::string& path);

// The Mac OS Roman bytes whose characters Windows-1252 holds too, and
// their Windows-1252 bytes, as the system's code pages 10000 and 1252
// place them.
void SharedCharacters(std::string& mac, std::string& win);

// The system's description of an error number, as a failure box shows it.
std::wstring SystemText(DWORD code);

std::string Utf8(const std::wstring& text);
std::wstring Quote(const std::wstring& path);

}  // namespace falvori::test
