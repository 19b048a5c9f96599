#include "ReplaceDestination.h"

#include "CopyOver.h"
#include "FileSecurity.h"
#include "HandleSteps.h"
#include "LongPath.h"
#include "SystemError.h"
#include "Owned.h"

namespace falvori {

namespace {

enum class Way { New, Replace, InPlace };

struct Destination {
    std::wstring path;  // \\?\ form
    Way way = Way::New;
    BY_HANDLE_FILE_INFORMATION info{};
    SecurityBytes security;
};

constexpr DWORD kNotReplaced = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM;
// A new file cannot be made so by handle: keep the file itself.
constexpr DWORD kKeptInPlace = FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_SPARSE_FILE;

OwnedHandle OpenToLook(const std::wstring& path, DWORD access, DWORD flags) {
    return OwnedHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

// Why a disk file there may not be written, 0 when it may.
DWORD Refusal(const BY_HANDLE_FILE_INFORMATION& info) {
    return (info.dwFileAttributes & kNotReplaced) ? ERROR_ACCESS_DENIED : 0;
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

Failure Inspect(Destination& d) {
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
        d.way = Way::New;
        return {};
    }
    // Devices and pipes first: they have no file information to tell.
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) return SystemFailure(ERROR_BAD_DEVICE);
    if (Failure failure = Describe(file.Get(), d.info)) return failure;
    if (const DWORD refused = Refusal(d.info)) return SystemFailure(refused);
    if (const DWORD refused = NamedRefusal(d.path)) return SystemFailure(refused);

    // Wine follows a Linux symbolic link without a word; it shows only in where the file lies.
    if ((d.info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !OpenedUnderName(file.Get(), d.path)) {
        // A link: the file it leads to is the destination, written where it is.
        OwnedHandle target = OpenToLook(d.path, FILE_READ_ATTRIBUTES, 0);
        if (!target.Valid()) return LastFailure();
        if (GetFileType(target.Get()) != FILE_TYPE_DISK) return SystemFailure(ERROR_BAD_DEVICE);
        BY_HANDLE_FILE_INFORMATION info{};
        if (Failure failure = Describe(target.Get(), info)) return failure;
        if (const DWORD refused = Refusal(info)) return SystemFailure(refused);
        d.info = info;
        d.way = Way::InPlace;
        return {};
    }
    // Typed as its 8.3 short name, the file keeps its long one.
    d.path = LongLeafPath(d.path);
    const bool carried = readable && !ReadSecurity(file.Get(), d.security);
    d.way = d.info.nNumberOfLinks > 1 || (d.info.dwFileAttributes & kKeptInPlace) || !carried ? Way::InPlace
                                                                                              : Way::Replace;
    return {};
}

// What a new file in the destination's folder gets from it, and the
// folder's volume.
Failure ProbeFolder(const std::wstring& destination, SecurityBytes& security, DWORD& volume) {
    Failure failure;
    std::wstring name;
    OwnedHandle probe =
        CreateBeside(destination, READ_CONTROL | DELETE, FILE_FLAG_DELETE_ON_CLOSE, name, failure);
    if (!probe.Valid()) return failure;
    BY_HANDLE_FILE_INFORMATION info{};
    if ((failure = Describe(probe.Get(), info))) return failure;
    volume = info.dwVolumeSerialNumber;
    return ReadSecurity(probe.Get(), security);
}

// Failures that say the new file cannot be made the same as the old one.
bool CannotCarry(const Failure& failure) {
    switch (failure.code) {
        case ERROR_ACCESS_DENIED:
        case ERROR_INVALID_OWNER:
        case ERROR_INVALID_PRIMARY_GROUP:
        case ERROR_PRIVILEGE_NOT_HELD:
        case ERROR_NOT_SUPPORTED:
            return true;
        default:
            return false;
    }
}

// The intermediate file itself takes the destination's name.
Failure MoveInto(HANDLE source, const Destination& d, const Carried& carried, Placed& placed) {
    SecurityBytes before;
    if (Failure failure = ReadSecurity(source, before)) return failure;
    const bool replace = d.way == Way::Replace;
    Failure failure = CarryOver(source, carried);
    // A replaced file's data reach the disk before the name moves over to
    // them; a new destination puts nothing at risk, the source stays.
    if (!failure && replace) failure = Flush(source);
    if (!failure) failure = RenameByHandle(source, d.path, replace);
    if (failure) {
        GiveSecurity(source, before);  // back as it was where it stays
        return failure;
    }
    placed.moved = true;
    return {};
}

Failure WriteInPlace(HANDLE source, const Destination& d) {
    OwnedHandle file(CreateFileW(d.path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file.Valid()) return LastFailure();
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) return SystemFailure(ERROR_BAD_DEVICE);
    if (Failure failure = Describe(file.Get(), info)) return failure;
    if (const DWORD refused = Refusal(info)) return SystemFailure(refused);
    Failure failure = CopyBytes(source, file.Get());
    if (!failure) failure = Flush(file.Get());
    if (failure) return failure;
    const DWORD closeError = file.Close();
    return closeError ? SystemFailure(closeError) : Failure{};
}

Failure Atomic(HANDLE source, const Destination& d, Placed& placed) {
    const bool replace = d.way == Way::Replace;
    SecurityBytes folderGives;
    DWORD volume = d.info.dwVolumeSerialNumber;
    if (!replace) {
        if (Failure failure = ProbeFolder(d.path, folderGives, volume)) return failure;
    }
    Carried carried;
    carried.security = replace ? &d.security : nullptr;
    carried.info = replace ? &d.info : nullptr;
    BY_HANDLE_FILE_INFORMATION own{};
    if (!Describe(source, own) && own.dwVolumeSerialNumber == volume) {
        Carried moving = carried;
        if (!replace) moving.security = &folderGives;  // not the private one of the temp folder
        Failure failure = MoveInto(source, d, moving, placed);
        if (!failure) return failure;
        // Another volume after all, or the folder's security cannot be given:
        // a new file made in the folder has it by itself.
        if (failure.code != ERROR_NOT_SAME_DEVICE && !(CannotCarry(failure) && !replace)) return failure;
    }
    return CopyOver(source, d.path, replace, carried, placed.copy);
}

}  // namespace

Failure ReplaceDestination(HANDLE source, const std::wstring& destination, Placed& placed) {
    Destination d;
    d.path = SystemPath(destination);
    if (Failure failure = Inspect(d)) return failure;
    if (d.way != Way::New) {
        BY_HANDLE_FILE_INFORMATION own{};
        // Our own file as the destination: it is in use, by us.
        if (!Describe(source, own) && SameFile(own, d.info)) return SystemFailure(ERROR_SHARING_VIOLATION);
    }
    if (d.way != Way::InPlace) {
        Failure failure = Atomic(source, d, placed);
        placed.replaced = !failure && d.way == Way::Replace;
        if (!failure || d.way == Way::New || !CannotCarry(failure)) return failure;
    }
    return WriteInPlace(source, d);
}

}  // namespace falvori
