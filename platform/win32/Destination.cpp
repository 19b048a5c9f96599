#include "platform/win32/Destination.h"

#include "platform/win32/FileSteps.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/Owned.h"
#include "platform/win32/SystemError.h"

namespace falvori {

namespace {

constexpr DWORD kNotReplaced = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM;
// A new file cannot be made so by handle: keep the file itself.
constexpr DWORD kKeptInPlace = FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_SPARSE_FILE;

OwnedHandle OpenToLook(const std::wstring& path, DWORD access, DWORD flags) {
    return OwnedHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

// Hidden and system as the existence test reads them, by path: Wine tells
// a dot file hidden only so, never through a handle.
DWORD NamedRefusal(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) ? ERROR_ACCESS_DENIED : 0;
}

// Whether a name that does not open is taken all the same: a link that
// leads nowhere (Wine does not list those). Tried by making a file there
// that goes again at once.
Failure NameTaken(const std::wstring& path, bool& taken) {
    OwnedHandle file(CreateFileW(path.c_str(), DELETE, 0, nullptr, CREATE_NEW,
                                  FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    taken = !file.Valid();
    if (file.Valid()) return {};
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Failure{} : SystemFailure(error);
}

}  // namespace

DWORD Refusal(const BY_HANDLE_FILE_INFORMATION& info) {
    return (info.dwFileAttributes & kNotReplaced) ? ERROR_ACCESS_DENIED : 0;
}

Failure InspectDestination(const std::wstring& to, Destination& d) {
    d = Destination{};
    d.path = SystemPath(to);
    bool readable = true;
    OwnedHandle file = OpenToLook(d.path, FILE_READ_ATTRIBUTES | READ_CONTROL, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!file.Valid() && GetLastError() == ERROR_ACCESS_DENIED) {
        readable = false;
        file = OpenToLook(d.path, FILE_READ_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT);
    }
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) return SystemFailure(error);
        bool taken = false;
        if (Failure failure = NameTaken(d.path, taken)) return failure;
        if (taken) return SystemFailure(ERROR_FILE_NOT_FOUND);
        d.way = ReplaceWay::New;
        return {};
    }
    // Devices and pipes first: they have no file information to tell.
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) return SystemFailure(ERROR_BAD_DEVICE);
    if (Failure failure = Describe(file.Get(), d.old)) return failure;
    if (const DWORD refused = Refusal(d.old)) return SystemFailure(refused);
    if (const DWORD refused = NamedRefusal(d.path)) return SystemFailure(refused);

    // Wine follows a Linux symbolic link without a word; it shows only in where the file lies.
    if ((d.old.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !OpenedUnderName(file.Get(), d.path)) {
        // A link: the file it leads to is the destination, written where it is.
        OwnedHandle target = OpenToLook(d.path, FILE_READ_ATTRIBUTES, 0);
        if (!target.Valid()) return LastFailure();
        if (GetFileType(target.Get()) != FILE_TYPE_DISK) return SystemFailure(ERROR_BAD_DEVICE);
        if (Failure failure = Describe(target.Get(), d.old)) return failure;
        if (const DWORD refused = Refusal(d.old)) return SystemFailure(refused);
        d.way = ReplaceWay::InPlace;
        return {};
    }
    // Typed as its 8.3 short name, the file keeps its long one.
    d.path = LongLeafPath(d.path);
    const bool carried = readable && !ReadAttributes(file.Get(), d.attributes);
    d.way = d.old.nNumberOfLinks > 1 || (d.old.dwFileAttributes & kKeptInPlace) || !carried ? ReplaceWay::InPlace
                                                                                           : ReplaceWay::Replace;
    return {};
}

}  // namespace falvori
