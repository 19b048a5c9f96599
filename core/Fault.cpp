#include <cstdlib>

#include "Fault.h"

#include "Core.h"

namespace falvori {

void ReportFault(Platform& platform, const RuntimeFault& fault) {
    platform.messageBox("Laufzeitfehler '" + std::to_string(fault.number) + "':\r\r" + fault.text,
                        "Falvori", MsgIcon::Critical, MsgButtons::Ok);
    platform.endProgram(kExitFatal);
    std::abort();  // not reached: endProgram does not return
}

}  // namespace falvori
