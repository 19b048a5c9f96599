#include <cstdlib>

#include "core/Fault.h"

#include "core/Core.h"

namespace falvori {

void ReportFault(Platform& platform, const RuntimeFault& fault, const std::string& path) {
    platform.FaultBox(fault.number, fault.text, path);
    platform.EndProgram(kExitFatal);
    std::abort();  // not reached: EndProgram does not return
}

}  // namespace falvori
