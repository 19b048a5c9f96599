// What the Linux program says about itself: --help and --version.
#pragma once

#include <string>

namespace falvori {

// The two places the table file is looked for, in that order, as full paths.
std::string HelpText(const std::string& besideProgram, const std::string& shared);
std::string VersionText();

}  // namespace falvori
