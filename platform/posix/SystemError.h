// A failed system call as the core sees it: the error number and the
// system's own description of it.
#pragma once

#include <cerrno>

#include "core/Platform.h"

namespace falvori {

Failure SystemFailure(int err);

// For the call that just failed. Call it first thing, before anything else
// can overwrite errno.
inline Failure LastFailure() { return SystemFailure(errno); }

// A destination or intermediate file that is no ordinary file; Linux has no
// error number of its own for it.
Failure NotRegularFileFailure();

}  // namespace falvori
