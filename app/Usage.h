// What the Linux program says about itself: --help, --version and how it is
// called, in the user's language.
#pragma once

#include <string>
#include <vector>

namespace falvori {

// The line of --check, in its one format that scripts read: never translated.
inline constexpr const char* kCheckFormat =
    "changed=N inexact=N first-inexact=OFFSET:0xHH|- dropped=N line-ends=none|CR|LF|CRLF|mixed "
    "warning=none|utf-8|utf-16|binary FILE";

// How the program is called, for a command line it refuses.
std::string UsageText();
// `tablePlaces`: where the table file is looked for, in that order.
std::string HelpText(const std::vector<std::string>& tablePlaces);
std::string VersionText();

}  // namespace falvori
