// The names that the classic file API reserves for devices.
#pragma once

#include <string>

namespace falvori {

// Whether a file name is a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9,
// CONIN$, CONOUT$), with any extension: such a file cannot be used by most
// programs even where the \\?\ form can create it.
bool IsDeviceName(const std::wstring& leaf);

}  // namespace falvori
