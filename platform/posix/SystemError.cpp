#include "SystemError.h"

#include <cstring>

namespace falvori {

Failure SystemFailure(int err) { return {err, std::strerror(err)}; }

Failure NotRegularFileFailure() { return {EINVAL, "Not a regular file"}; }

}  // namespace falvori
