// The command line as the program sees it, without the program's own name.
#pragma once

#include <string>

namespace falvori {

// Drops the first token of a full command line (the program's name, quoted
// or not, as the C runtime reads it) and the blanks and TABs after it.
std::wstring StripProgramName(const wchar_t* commandLine);

}  // namespace falvori
