// The program-wide report of a run-time fault that nothing else handles: it
// names the fault in a box and ends the program.
#pragma once

#include <string>

#include "core/Platform.h"

namespace falvori {

struct RuntimeFault {
    int number;
    std::string text;
};

inline const RuntimeFault kOverflow{6, "Überlauf"};
inline const RuntimeFault kIndexOutOfRange{9, "Index außerhalb des gültigen Bereichs"};

// `path`: the file being read when the fault arose, if any.
[[noreturn]] void ReportFault(Platform& platform, const RuntimeFault& fault, const std::string& path = {});

}  // namespace falvori
