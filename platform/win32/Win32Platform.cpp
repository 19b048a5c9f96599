#include "platform/win32/Win32Platform.h"

#include "platform/win32/CommandLineText.h"
#include "platform/win32/IntermediateFile.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32File.h"

namespace falvori {

namespace {

std::wstring FilePath(const std::string& utf8) { return SystemPath(Widen(utf8)); }

UINT IconFlag(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Critical: return MB_ICONSTOP;
        case MsgIcon::Question: return MB_ICONQUESTION;
        case MsgIcon::Exclamation: return MB_ICONEXCLAMATION;
        case MsgIcon::Information: return MB_ICONINFORMATION;
    }
    return 0;
}

UINT ButtonFlags(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok: return MB_OK;
        case MsgButtons::YesNo: return MB_YESNO;
        case MsgButtons::RetryCancel: return MB_RETRYCANCEL;
    }
    return MB_OK;
}

}  // namespace

std::string Win32Platform::CommandLine() { return Narrow(StripProgramName(GetCommandLineW())); }

Result<std::string> Win32Platform::ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {{}, LastFailure()};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);  // cut short: try again with more room
    }
    std::size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return {{}, SystemFailure(ERROR_BAD_PATHNAME)};
    // A root folder keeps its backslash ("C:\"), other folders lose it.
    if (slash > 0 && path[slash - 1] == L':') ++slash;
    return {Narrow(path.substr(0, slash)), {}};
}

std::string Win32Platform::EnvironmentVariable(const std::string& name) {
    const std::wstring wideName = Widen(name);
    std::wstring value(256, L'\0');
    for (;;) {
        const DWORD n = GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (n == 0) return {};  // not set, or set to nothing
        if (n < value.size()) {
            value.resize(n);
            return Narrow(value);
        }
        value.resize(n);  // n is the size needed, terminator included
    }
}

void Win32Platform::EndProgram(int status) { ExitProcess(static_cast<UINT>(status)); }

int Win32Platform::ShowBox(const std::string& text, const std::string& title, MsgIcon icon,
                              MsgButtons buttons) {
    const UINT flags = IconFlag(icon) | ButtonFlags(buttons) | MB_DEFBUTTON1;
    // 0 (the box could not be shown) counts as Cancel or No for the caller.
    return MessageBoxW(owner_, Widen(text).c_str(), Widen(title).c_str(), flags);
}

Result<std::unique_ptr<File>> Win32Platform::OpenForReading(const std::string& path) {
    // A disk or volume read as a text file would only fill the temp folder.
    if (NamesDeviceOrVolume(Widen(path))) return {nullptr, SystemFailure(ERROR_BAD_DEVICE)};
    OwnedHandle handle(CreateFileW(FilePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle.Valid()) return {nullptr, LastFailure()};
    return {std::make_unique<Win32File>(std::move(handle)), {}};
}

Result<std::unique_ptr<Intermediate>> Win32Platform::CreateIntermediate(const std::string& path) {
    return Win32Intermediate::Create(FilePath(path));
}

Result<bool> Win32Platform::FileExists(const std::string& path) {
    const std::wstring name = Widen(path);
    // Only the file that the exact path names counts, never a pattern.
    if (HasWildcard(name)) return {false, SystemFailure(ERROR_INVALID_NAME)};
    const DWORD attributes = GetFileAttributesW(SystemPath(name).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {false, {}};
        return {false, SystemFailure(error)};
    }
    return {!(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)), {}};
}

Failure Win32Platform::EndOfFileFailure() { return SystemFailure(ERROR_HANDLE_EOF); }

}  // namespace falvori
