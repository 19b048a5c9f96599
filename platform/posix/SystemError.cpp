#include "platform/posix/SystemError.h"

#include <cstring>

#include "platform/posix/Messages.h"

namespace falvori {

Failure SystemFailure(int err) { return {err, std::strerror(err)}; }

Failure NotRegularFileFailure() { return {EINVAL, N_("Not a regular file")}; }

}  // namespace falvori
