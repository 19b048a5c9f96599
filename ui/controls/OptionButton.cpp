#include "ui/controls/OptionButton.h"

namespace falvori::ui {

bool OptionButton::Create(HWND parent, int id, const wchar_t* text, Group group) {
    return CreateChild(parent, L"BUTTON", text,
                       BS_AUTORADIOBUTTON | (group == Group::Starts ? WS_GROUP | WS_TABSTOP : 0), 0, id);
}

void OptionButton::SetValue(bool on) {
    if (on == Value()) return;
    SendMessageW(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    if (on) {
        HWND parent = GetParent(Handle());
        for (HWND other = GetNextDlgGroupItem(parent, Handle(), FALSE); other && other != Handle();
             other = GetNextDlgGroupItem(parent, other, FALSE))
            SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
    }
    KeepTabStopOnSelected();
    if (on && onClick) onClick();
}

// Tab enters the group at its selected button.
void OptionButton::KeepTabStopOnSelected() {
    HWND parent = GetParent(Handle());
    HWND button = Handle();
    do {
        LONG style = GetWindowLongW(button, GWL_STYLE);
        bool selected = SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SetWindowLongW(button, GWL_STYLE, selected ? style | WS_TABSTOP : style & ~WS_TABSTOP);
        button = GetNextDlgGroupItem(parent, button, FALSE);
    } while (button && button != Handle());
}

bool OptionButton::OnCommand(UINT code) {
    if (code != BN_CLICKED) return false;
    KeepTabStopOnSelected();
    if (onClick) onClick();
    return true;
}

}  // namespace falvori::ui
