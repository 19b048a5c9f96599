#include "IntermediateFile.h"

#include "FileSecurity.h"
#include "HandleSteps.h"
#include "LongPath.h"
#include "SystemError.h"

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
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !OpenedUnderName(file, LeafName(systemPath)))
        return ERROR_CANT_ACCESS_FILE;
    // Another name for the same data: someone else would read what we write.
    if (info.nNumberOfLinks > 1) return ERROR_TOO_MANY_LINKS;
    if (!OwnedByThisUser(file)) return ERROR_ACCESS_DENIED;
    return 0;
}

}  // namespace

OwnedHandle OpenIntermediateFile(const std::wstring& systemPath, Failure& failure) {
    // Share mode 0 keeps every other program out until we let go. A new
    // file first: creating through a link that leads nowhere would make a
    // file where the link points (Wine follows Linux links when it opens).
    OwnedHandle file;
    for (const DWORD disposition : {CREATE_NEW, OPEN_EXISTING}) {
        file = OwnedHandle(CreateFileW(systemPath.c_str(),
                                        GENERIC_READ | GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC, 0,
                                        nullptr, disposition,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (file.Valid()) break;
        const DWORD error = GetLastError();
        if (disposition == OPEN_EXISTING || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)) {
            failure = SystemFailure(error);
            return {};
        }
    }
    if (const DWORD refused = Refusal(file.Get(), systemPath)) {
        failure = SystemFailure(refused);
        return {};
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        failure = LastFailure();
        return {};
    }
    // Emptied only when a cancelled conversion left something in it.
    if (size.QuadPart != 0 && !SetEndOfFile(file.Get())) {
        failure = LastFailure();
        return {};
    }
    return file;
}

}  // namespace falvori
