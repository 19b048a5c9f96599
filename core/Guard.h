// Runs one file-system step; when it fails, shows the system's description
// with Retry and Cancel and runs exactly that step again as often as the user
// asks. Returns false when the user cancels.
#pragma once

#include "core/Platform.h"

namespace falvori {

template <typename Step>
bool Guarded(Platform& platform, const Doing& doing, Step&& step) {
    for (;;) {
        Failure failure = step();
        if (!failure) return true;
        if (platform.FailureBox(failure, doing) != kRetry) return false;
    }
}

}  // namespace falvori
