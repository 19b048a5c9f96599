// What the destination of a conversion is, and how it may be replaced.
#pragma once

#include <windows.h>

#include <string>

#include "core/Platform.h"
#include "platform/CopyStep.h"
#include "platform/win32/FileAttributes.h"

namespace falvori {

struct Destination {
    ReplaceWay way = ReplaceWay::New;
    std::wstring path;  // \\?\ form, its last name in its long form
    BY_HANDLE_FILE_INFORMATION old{};  // when it exists
    FileAttributes attributes;         // the old file's, for a replacement
};

// Refuses what must not be replaced (a folder, a device, a pipe, a link that
// leads nowhere, a read-only, hidden or system file) and otherwise says
// which way a file at `to` (as the user wrote it) can be replaced. Whether
// the attributes can be given shows only when they are: Replace may still
// turn InPlace.
Failure InspectDestination(const std::wstring& to, Destination& destination);

// Why a disk file with these attributes may not be written, 0 when it may:
// asked again by the way that writes, in case they changed meanwhile.
DWORD Refusal(const BY_HANDLE_FILE_INFORMATION& info);

}  // namespace falvori
