// The parent window's side of the default button: answers DM_GETDEFID and
// DM_SETDEFID (as a dialog does) and draws the heavy border on the default.
#pragma once

#include <windows.h>

namespace falvori::ui {

class DefaultButton {
public:
    LRESULT GetDefId() const { return id_ ? MAKELRESULT(id_, DC_HASDEFID) : 0; }
    // id 0: no default button.
    LRESULT SetDefId(HWND parent, int id);

private:
    int id_ = 0;
};

}  // namespace falvori::ui
