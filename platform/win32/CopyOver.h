// Replaces a file by a copy so that the destination path always names either
// the old file or the complete copy: the copy goes into a new file beside the
// destination first and then takes the destination's name in one step.
#pragma once

#include <windows.h>

#include <string>

#include "Platform.h"

namespace falvori {

// Copies what source holds from its first byte on to destination (a path
// for the file API). Leaves no file of its own behind when it fails.
Failure CopyOver(HANDLE source, const std::wstring& destination);

}  // namespace falvori
