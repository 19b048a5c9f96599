#include <cstdlib>

#include "Fault.h"

#include "Core.h"

namespace falvori {

void ReportFault(Platform& platform, const RuntimeFault& fault) {
    platform.ShowBox("Laufzeitfehler '" + std::to_string(fault.number) + "':\r\r" + fault.text,
                        "Falvori", MsgIcon::Critical, MsgButtons::Ok);
    platform.EndProgram(kExitFatal);
    std::abort();  // not reached: EndProgram does not return
}

}  // namespace falvori
