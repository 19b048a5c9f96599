// What the Linux program says about itself: --help and --version.
#pragma once

#include <string>

namespace falvori {

// tableFolders: where the table file is looked for, in that order.
std::string HelpText(const std::string& besideProgram, const std::string& shared);
std::string VersionText();

}  // namespace falvori
