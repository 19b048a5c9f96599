// The intermediate file's folder when the user names none: one of this
// user's own under /tmp, so that no other user can put anything in its place.
#pragma once

#include <string>

#include "Platform.h"

namespace falvori {

// The folder for the intermediate file when neither temp nor TMPDIR names
// one: /tmp/falvori-<uid>.
std::string PrivateTempFolder();

// Creates the private folder when missing and checks that it is a real
// folder of this user that nobody else may enter.
Failure CheckPrivateTempFolder(const std::string& folder);

}  // namespace falvori
