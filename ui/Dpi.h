// DPI-dependent metrics, with fallbacks for systems older than the
// per-monitor functions.
#pragma once

#include <windows.h>

namespace falvori::ui {

UINT WindowDpi(HWND hwnd);
// The window rectangle (at 0,0) for a client area of the given size.
SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi);
// The platform's message font at dpi; nullptr if it cannot be had.
HFONT CreateMessageFont(UINT dpi);

}  // namespace falvori::ui
