#include "platform/win32/IntermediateFile.h"

#include "platform/win32/DeviceName.h"
#include "platform/win32/FileAttributes.h"
#include "platform/win32/FileSteps.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/ReplaceDestination.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32File.h"

namespace falvori {

namespace {

// Why an existing file at the intermediate path may not be used.
DWORD Refusal(HANDLE file, const std::wstring& systemPath) {
    // A device, pipe or console: writing there would lose the data.
    if (GetFileType(file) != FILE_TYPE_DISK) return ERROR_BAD_DEVICE;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return GetLastError();
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
    // A link, followed or not: the data would go where someone else chose.
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !OpenedUnderName(file, systemPath))
        return ERROR_CANT_ACCESS_FILE;
    // Another name for the same data: someone else would read what we write.
    if (info.nNumberOfLinks > 1) return ERROR_TOO_MANY_LINKS;
    if (!OwnedByThisUser(file)) return ERROR_ACCESS_DENIED;
    return 0;
}

}  // namespace

Result<std::unique_ptr<Intermediate>> Win32Intermediate::Create(const std::wstring& systemPath) {
    // Share mode 0 keeps every other program out until we let go. A new
    // file first: creating through a link that leads nowhere would make a
    // file where the link points (Wine follows Linux links when it opens).
    // Another run may delete the file between our two tries: then again.
    OwnedHandle file;
    for (int attempt = 0; attempt < 200 && !file.Valid(); ++attempt) {
        const DWORD disposition = attempt % 2 ? OPEN_EXISTING : CREATE_NEW;
        file = OwnedHandle(CreateFileW(systemPath.c_str(),
                                        GENERIC_READ | GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC, 0,
                                        nullptr, disposition,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (file.Valid()) break;
        const DWORD error = GetLastError();
        const bool goOn = disposition == CREATE_NEW ? error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS
                                                    : error == ERROR_FILE_NOT_FOUND;
        if (!goOn || attempt == 199) return {nullptr, SystemFailure(error)};
    }
    if (const DWORD refused = Refusal(file.Get(), systemPath)) return {nullptr, SystemFailure(refused)};
    LARGE_INTEGER size{};
    // Emptied only when a cancelled conversion left something in it.
    if (!GetFileSizeEx(file.Get(), &size) || (size.QuadPart != 0 && !SetEndOfFile(file.Get())))
        return {nullptr, LastFailure()};
    return {std::unique_ptr<Intermediate>(new Win32Intermediate(std::move(file))), {}};
}

IoResult Win32Intermediate::Read(void* buffer, std::size_t size) { return ReadFrom(handle_.Get(), buffer, size); }

IoResult Win32Intermediate::Write(const void* data, std::size_t size) { return WriteTo(handle_.Get(), data, size); }

Failure Win32Intermediate::PlaceAt(const std::string& to) {
    const std::wstring target = Widen(to);
    if (HasWildcard(target)) return SystemFailure(ERROR_INVALID_NAME);
    // The system's own words for a file named like a device, or a device.
    if (IsDeviceName(LeafName(target)) || NamesDeviceOrVolume(target)) return SystemFailure(ERROR_BAD_DEVICE);
    Placed placed;
    if (Failure failure = ReplaceDestination(handle_.Get(), target, placed)) return failure;
    moved_ = placed.moved;
    taken_ = moved_ ? std::move(handle_) : std::move(placed.copy);
    if (placed.replaced) replacedIn_ = FolderOf(SystemPath(target));
    return {};
}

Failure Win32Intermediate::Settle() {
    // A file that replaced another reaches the disk under its new name too;
    // a new destination puts nothing at risk.
    if (taken_ && !replacedIn_.empty()) {
        if (Failure failure = FlushFile(taken_.Get())) return failure;
    }
    // Settled: another program may open the destination now.
    if (const DWORD error = taken_.Close()) return SystemFailure(error);
    if (replacedIn_.empty()) return {};
    if (Failure failure = FlushFolder(replacedIn_)) return failure;
    replacedIn_.clear();
    return {};
}

Failure Win32Intermediate::Discard() {
    taken_.Reset();  // the destination, when its settling was cancelled
    // Ours and still open: marked for deletion, it goes when we let go.
    // Once it has become the destination, we only let go.
    if (moved_) return {};
    if (Failure failure = SetDeletePending(handle_.Get(), true)) return failure;
    const DWORD error = handle_.Close();
    return error ? SystemFailure(error) : Failure{};
}

}  // namespace falvori
