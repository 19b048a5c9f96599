#include "CopyOver.h"

#include <cwchar>

#include "FileSecurity.h"
#include "HandleSteps.h"
#include "LongPath.h"
#include "SystemError.h"

namespace falvori {

namespace {

// Attributes a new file can be given by handle; the rest refuse a replace.
constexpr DWORD kCarriedAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE;

constexpr wchar_t kPrefix[] = L"~fv";
constexpr wchar_t kSuffix[] = L".tmp";

}  // namespace

OwnedHandle CreateBeside(const std::wstring& destination, DWORD access, DWORD flags, std::wstring& name,
                          Failure& failure) {
    if (destination.rfind(L'\\') == std::wstring::npos) {
        failure = SystemFailure(ERROR_INVALID_NAME);
        return {};
    }
    static unsigned counter = 0;
    const unsigned base = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        wchar_t leaf[32];
        std::swprintf(leaf, 32, L"%ls%08x%ls", kPrefix, base + counter++, kSuffix);
        name = FolderOf(destination) + leaf;
        OwnedHandle file(CreateFileW(name.c_str(), access, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | flags,
                                      nullptr));
        if (file.Valid()) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            failure = SystemFailure(error);
            return {};
        }
    }
    failure = SystemFailure(ERROR_FILE_EXISTS);
    return {};
}

Failure CarryOver(HANDLE file, const Carried& carried) {
    if (carried.security) {
        if (Failure failure = GiveSecurity(file, *carried.security)) return failure;
    }
    if (carried.info) {
        FILE_BASIC_INFO basic{};  // times left 0 stay as they are
        basic.CreationTime.LowPart = carried.info->ftCreationTime.dwLowDateTime;
        basic.CreationTime.HighPart = static_cast<LONG>(carried.info->ftCreationTime.dwHighDateTime);
        const DWORD attributes = carried.info->dwFileAttributes & kCarriedAttributes;
        basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
        if (!SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic)) return LastFailure();
    }
    return {};
}

Failure CopyOver(HANDLE source, const std::wstring& destination, bool replace, const Carried& carried,
                 OwnedHandle& taken) {
    Failure failure;
    std::wstring name;
    OwnedHandle target = CreateBeside(destination, GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC, 0, name, failure);
    if (!target.Valid()) return failure;
    // Gone by itself if we are killed or fail before the rename.
    const bool pending = !SetDeletePending(target.Get(), true);

    // What cannot be carried over stops the copy before it starts.
    failure = CarryOver(target.Get(), carried);
    if (!failure) failure = CopyBytes(source, target.Get());
    // Replacing, the data must be on disk before the name moves over to them.
    if (!failure && replace) failure = Flush(target.Get());
    if (!failure && pending) failure = SetDeletePending(target.Get(), false);
    if (!failure) {
        failure = RenameByHandle(target.Get(), destination, replace);
        if (failure && pending) SetDeletePending(target.Get(), true);
    }
    if (failure) {
        // Through the handle only: by its name, a link put there meanwhile
        // would lead the deletion elsewhere (Wine deletes a link's target).
        if (!pending) SetDeletePending(target.Get(), true);
        return failure;
    }
    taken = std::move(target);
    return {};
}

}  // namespace falvori
