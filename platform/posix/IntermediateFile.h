// Opening the intermediate file so that it can only ever be an ordinary file
// of this user that this program created or emptied, locked against other
// conversions.
#pragma once

#include <string>

#include "Platform.h"
#include "UniqueFd.h"

namespace falvori {

// Opens (creating it when missing) and empties the file at path, and takes
// an exclusive lock on it. Refuses a link, a FIFO, a device, a file of
// another user or one with several names; a file another conversion holds
// gives EBUSY.
Failure OpenIntermediate(const std::string& path, UniqueFd& fd);

// The description for a destination or intermediate file that is no
// ordinary file; Linux has no error number of its own for it.
Failure NotRegularFileFailure();

}  // namespace falvori
