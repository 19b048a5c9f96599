// A failed system call as the core sees it: the error number and the
// system's own description of it.
#pragma once

#include <windows.h>

#include "core/Platform.h"

namespace falvori {

Failure SystemFailure(DWORD code);

// For the call that just failed. Call it first thing, before anything else
// can overwrite the thread's last error.
inline Failure LastFailure() { return SystemFailure(GetLastError()); }

}  // namespace falvori
