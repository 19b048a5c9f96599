// Esc ends the program from the lists, the buttons and the name box; a
// double-click on the window's bare surface shows the about box.
#include "ui/Haupt.h"

#include <windowsx.h>

#include "core/Version.h"

namespace falvori::ui {

namespace {

constexpr const char* kAboutText =
    "Falvori " FALVORI_VERSION_TEXT " \xE2\x80\x93 \xC2\xA9 " FALVORI_COPYRIGHT_YEARS " " FALVORI_RIGHTS_HOLDER;

}  // namespace

bool Haupt::KeyDown(unsigned key) {
    // At once, as a closed window ends: no further handler runs, nothing is
    // saved, and the system closes any file still open.
    if (key == VK_ESCAPE) core.GetPlatform().EndProgram(0);
    return false;
}

void Haupt::SurfaceDblClicked() {
    // The frame takes no clicks of its own, so they reach the window; they
    // are still not on its surface.
    DWORD at = GetMessagePos();
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    ScreenToClient(hwnd_, &point);
    if (ChildWindowFromPointEx(hwnd_, point, CWP_SKIPINVISIBLE) != hwnd_) return;
    core.GetPlatform().ShowBox(kAboutText, "Freeware", MsgIcon::Information, MsgButtons::Ok);
}

}  // namespace falvori::ui
