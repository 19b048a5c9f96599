#include "platform/win32/ReplaceDestination.h"

#include <cwchar>

#include "platform/win32/Destination.h"
#include "platform/win32/FileAttributes.h"
#include "platform/win32/FileSteps.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/SystemError.h"

namespace falvori {

namespace {

constexpr wchar_t kPrefix[] = L"~fv";
constexpr wchar_t kSuffix[] = L".tmp";

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

// A new file with a name of its own in the folder of `destination`, open
// with access for nobody else.
OwnedHandle CreateBeside(const std::wstring& destination, DWORD access, DWORD flags, Failure& failure) {
    static unsigned counter = 0;
    const unsigned base = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        wchar_t leaf[32];
        std::swprintf(leaf, 32, L"%ls%08x%ls", kPrefix, base + counter++, kSuffix);
        OwnedHandle file(CreateFileW((FolderOf(destination) + leaf).c_str(), access, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | flags, nullptr));
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

// What a new file made in the destination's folder gets from it (not the
// private security of the temp folder), and the folder's volume.
Failure NewFileAttributes(const Destination& d, FileAttributes& attributes, DWORD& volume) {
    Failure failure;
    OwnedHandle probe = CreateBeside(d.path, READ_CONTROL | FILE_READ_ATTRIBUTES | DELETE,
                                     FILE_FLAG_DELETE_ON_CLOSE, failure);
    if (!probe.Valid()) return failure;
    BY_HANDLE_FILE_INFORMATION info{};
    if ((failure = Describe(probe.Get(), info)) || (failure = ReadAttributes(probe.Get(), attributes))) return failure;
    attributes.basic.reset();
    volume = info.dwVolumeSerialNumber;
    return {};
}

// Moves our intermediate file itself into place when it lies on the
// destination's volume. The name "~Falvori~" is free from then on.
Outcome MoveIntoPlace(HANDLE ours, const Destination& d) {
    const bool replace = d.way == ReplaceWay::Replace;
    FileAttributes wanted = d.attributes, before;
    DWORD volume = d.old.dwVolumeSerialNumber;
    if (!replace) {
        if (Failure failure = NewFileAttributes(d, wanted, volume)) return Failed(failure);
    }
    BY_HANDLE_FILE_INFORMATION own{};
    if (Describe(ours, own) || own.dwVolumeSerialNumber != volume) return Outcome::NotApplicable;
    if (Failure failure = ReadAttributes(ours, before)) return Failed(failure);
    before.basic.reset();
    Failure failure = GiveAttributes(ours, wanted);
    // A replaced file's data reach the disk before the name moves over to
    // them; a new destination puts nothing at risk, the source stays.
    if (!failure && replace) failure = FlushFile(ours);
    if (!failure) failure = RenameByHandle(ours, d.path, replace);
    if (!failure) return Outcome::Done;
    GiveAttributes(ours, before);  // back as it was where it stays
    // Another volume after all, or the folder's security cannot be given: a
    // new file made in the folder has it by itself.
    if (failure.code == ERROR_NOT_SAME_DEVICE || (!replace && CannotCarry(failure))) return Outcome::NotApplicable;
    if (replace && CannotCarry(failure)) return Outcome::InPlaceOnly;
    return Failed(failure);
}

// Copies into a new file beside the destination that then takes its name.
// The copy is marked for deletion until then: a kill leaves nothing.
Outcome CopyBeside(HANDLE ours, const Destination& d, OwnedHandle& taken) {
    const bool replace = d.way == ReplaceWay::Replace;
    Failure failure;
    OwnedHandle copy = CreateBeside(d.path, GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC, 0, failure);
    if (!copy.Valid()) return Failed(failure);
    const bool pending = !SetDeletePending(copy.Get(), true);

    // What cannot be carried over stops the copy before it starts.
    if (replace) failure = GiveAttributes(copy.Get(), d.attributes);
    if (!failure) failure = CopyAll(ours, copy.Get());
    // Replacing, the data must be on disk before the name moves over to them.
    if (!failure && replace) failure = FlushFile(copy.Get());
    if (!failure && pending) failure = SetDeletePending(copy.Get(), false);
    if (!failure) {
        failure = RenameByHandle(copy.Get(), d.path, replace);
        if (failure && pending) SetDeletePending(copy.Get(), true);
    }
    if (failure) {
        // Through the handle only: by its name, a link put there meanwhile
        // would lead the deletion elsewhere (Wine deletes a link's target).
        if (!pending) SetDeletePending(copy.Get(), true);
        return replace && CannotCarry(failure) ? Outcome(Outcome::InPlaceOnly) : Failed(failure);
    }
    taken = std::move(copy);
    return Outcome::Done;
}

// Writes the bytes into the existing destination: it keeps its identity,
// names, security and attributes. Starts only once the complete data are in
// the intermediate file.
Failure WriteInPlace(HANDLE ours, const Destination& d) {
    OwnedHandle file(CreateFileW(d.path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file.Valid()) return LastFailure();
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) return SystemFailure(ERROR_BAD_DEVICE);
    if (Failure failure = Describe(file.Get(), info)) return failure;
    if (const DWORD refused = Refusal(info)) return SystemFailure(refused);
    Failure failure = CopyAll(ours, file.Get());
    if (!failure) failure = FlushFile(file.Get());
    if (failure) return failure;
    const DWORD closeError = file.Close();
    return closeError ? SystemFailure(closeError) : Failure{};
}

}  // namespace

Failure ReplaceDestination(HANDLE ours, const std::wstring& to, Placed& placed) {
    Destination d;
    if (Failure failure = InspectDestination(to, d)) return failure;
    BY_HANDLE_FILE_INFORMATION own{};
    // Our own file as the destination: it is in use, by us.
    if (d.way != ReplaceWay::New && !Describe(ours, own) && SameFile(own, d.old))
        return SystemFailure(ERROR_SHARING_VIOLATION);

    Outcome outcome = Outcome::InPlaceOnly;
    if (d.way != ReplaceWay::InPlace) {
        outcome = MoveIntoPlace(ours, d);
        placed.moved = outcome.kind == Outcome::Done;
        if (outcome.kind == Outcome::NotApplicable) outcome = CopyBeside(ours, d, placed.copy);
    }
    if (outcome.kind == Outcome::InPlaceOnly) return WriteInPlace(ours, d);
    if (outcome.kind == Outcome::Failed) return outcome.failure;
    placed.replaced = d.way == ReplaceWay::Replace;
    return {};
}

}  // namespace falvori
