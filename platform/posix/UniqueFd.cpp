#include "platform/posix/UniqueFd.h"

#include <cerrno>

#include "platform/posix/SystemError.h"

namespace falvori {

Failure UniqueFd::Close() {
    const int fd = Release();
    if (fd < 0) return {};
    // Linux releases the descriptor even when close fails; EINTR is no loss.
    if (::close(fd) != 0 && errno != EINTR) return LastFailure();
    return {};
}

}  // namespace falvori
