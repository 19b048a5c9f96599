#include "ui/controls/CommandButton.h"

namespace falvori::ui {

bool CommandButton::Create(HWND parent, int id, const wchar_t* text, HICON picture) {
    if (!CreateChild(parent, L"BUTTON", text, BS_PUSHBUTTON | (picture ? BS_ICON : 0) | WS_TABSTOP | WS_GROUP, 0, id))
        return false;
    if (picture) SendMessageW(Handle(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(picture));
    return true;
}

bool CommandButton::Default() const {
    LRESULT answer = SendMessageW(GetParent(Handle()), DM_GETDEFID, 0, 0);
    return HIWORD(answer) == DC_HASDEFID && LOWORD(answer) == Id();
}

void CommandButton::SetDefault(bool on) {
    if (on)
        SendMessageW(GetParent(Handle()), DM_SETDEFID, static_cast<WPARAM>(Id()), 0);
    else if (Default())
        SendMessageW(GetParent(Handle()), DM_SETDEFID, 0, 0);
}

bool CommandButton::OnCommand(UINT code) {
    if (code != BN_CLICKED) return false;
    if (onClick) onClick();
    return true;
}

// Enter on a focused button presses that button, not the default one: the
// dialog manager does this only inside real dialog boxes.
LRESULT CommandButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETDLGCODE: {
        auto* key = reinterpret_cast<const MSG*>(lParam);
        LRESULT code = CallDefault(msg, wParam, lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            SendMessageW(Handle(), BM_CLICK, 0, 0);
            return 0;
        }
        break;
    }
    return CallDefault(msg, wParam, lParam);
}

}  // namespace falvori::ui
