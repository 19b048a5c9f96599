#include "platform/win32/FileSteps.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/win32/LongPath.h"
#include "platform/win32/Owned.h"
#include "platform/win32/SystemError.h"

namespace falvori {

namespace {

constexpr DWORD kBufferSize = 256 * 1024;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring FinalPath(HANDLE file) {
    std::wstring name(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(file, name.data(), static_cast<DWORD>(name.size()), FILE_NAME_NORMALIZED);
    if (n >= name.size()) {
        name.resize(n);
        n = GetFinalPathNameByHandleW(file, name.data(), static_cast<DWORD>(name.size()), FILE_NAME_NORMALIZED);
    }
    if (n == 0 || n >= name.size()) return {};
    name.resize(n);
    return name;
}

bool DescribeFolder(const std::wstring& folder, BY_HANDLE_FILE_INFORMATION& info) {
    OwnedHandle handle(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle.Valid() && GetFileInformationByHandle(handle.Get(), &info);
}

}  // namespace

Failure CopyAll(HANDLE from, HANDLE to) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(from, &size)) return LastFailure();
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(from, start, nullptr, FILE_BEGIN)) return LastFailure();
    if (!SetFilePointerEx(to, start, nullptr, FILE_BEGIN)) return LastFailure();
    std::vector<char> buffer(kBufferSize);
    long long copied = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(from, buffer.data(), kBufferSize, &got, nullptr)) return LastFailure();
        if (got == 0) break;
        DWORD done = 0;
        while (done < got) {
            DWORD put = 0;
            if (!WriteFile(to, buffer.data() + done, got - done, &put, nullptr)) return LastFailure();
            // A write that moves nothing would loop for ever.
            if (put == 0) return SystemFailure(ERROR_WRITE_FAULT);
            done += put;
        }
        copied += got;
    }
    // Fewer bytes than the file holds: the source is not what it claims.
    if (copied != size.QuadPart) return SystemFailure(ERROR_HANDLE_EOF);
    if (!SetEndOfFile(to)) return LastFailure();
    return {};
}

Failure FlushFile(HANDLE file) {
    if (!FlushFileBuffers(file)) return LastFailure();
    return {};
}

Failure SetDeletePending(HANDLE file, bool pending) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = pending ? TRUE : FALSE;
    if (!SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition))
        return LastFailure();
    return {};
}

Failure RenameByHandle(HANDLE file, const std::wstring& systemPath, bool replace) {
    // The call takes the kernel's form of the name: \??\ where the API has \\?\.
    std::wstring name = systemPath;
    if (name.rfind(L"\\\\?\\", 0) == 0) name[1] = L'?';
    const std::size_t bytes = name.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(offsetof(FILE_RENAME_INFO, FileName) + bytes + sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::memcpy(info->FileName, name.data(), bytes);
    if (!SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size())))
        return LastFailure();
    return {};
}

bool OpenedUnderName(HANDLE file, const std::wstring& systemPath) {
    const std::wstring opened = FinalPath(file);
    BY_HANDLE_FILE_INFORMATION named{}, holding{};
    if (opened.empty() || !DescribeFolder(FolderOf(systemPath), named) || !DescribeFolder(FolderOf(opened), holding))
        return true;
    if (!SameFile(named, holding)) return false;
    const std::wstring asked = LeafName(LongLeafPath(systemPath));
    const std::wstring found = LeafName(opened);
    return CompareStringOrdinal(found.c_str(), static_cast<int>(found.size()), asked.c_str(),
                                static_cast<int>(asked.size()), TRUE) == CSTR_EQUAL;
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

Failure FlushFolder(const std::wstring& folder) {
    // FlushFileBuffers needs the right to write; in a folder that is the
    // right to add a file, which the rename into it needed as well.
    OwnedHandle handle(CreateFileW(folder.c_str(), FILE_ADD_FILE, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    DWORD error = handle.Valid() ? 0 : GetLastError();
    if (!error && !FlushFileBuffers(handle.Get())) error = GetLastError();
    switch (error) {
        case 0:
        case ERROR_INVALID_FUNCTION:   // a file system driver without the request
        case ERROR_NOT_SUPPORTED:      // a network redirector without it
        case ERROR_INVALID_PARAMETER:  // a server, or a Linux file system under Wine, that syncs no folder
            return {};
        default:
            return SystemFailure(error);
    }
}

Failure Describe(HANDLE file, BY_HANDLE_FILE_INFORMATION& info) {
    if (!GetFileInformationByHandle(file, &info)) return LastFailure();
    return {};
}

}  // namespace falvori
