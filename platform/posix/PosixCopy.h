// Replacing a file with a copy of another, so that the old file stays whole
// until the copy is complete: the copy goes into a new file beside the
// destination, which is then renamed over it.
#pragma once

#include <string>

#include "Platform.h"

namespace falvori {

Failure ReplaceWithCopy(const std::string& from, const std::string& to);

}  // namespace falvori
