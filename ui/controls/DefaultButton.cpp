#include "ui/controls/DefaultButton.h"

namespace falvori::ui {

namespace {

void SetButtonType(HWND button, DWORD type) {
    if (!button) return;
    DWORD style = static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE)) & 0xFFFF;
    SendMessageW(button, BM_SETSTYLE, (style & ~BS_TYPEMASK) | type, TRUE);
}

}  // namespace

LRESULT DefaultButton::SetDefId(HWND parent, int id) {
    if (id == id_) return TRUE;
    if (id_) SetButtonType(GetDlgItem(parent, id_), BS_PUSHBUTTON);
    id_ = id;
    if (id_) SetButtonType(GetDlgItem(parent, id_), BS_DEFPUSHBUTTON);
    return TRUE;
}

}  // namespace falvori::ui
