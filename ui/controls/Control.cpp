#include "ui/controls/Control.h"

#include <commctrl.h>

namespace falvori::ui {

namespace {

constexpr UINT_PTR kSubclassId = 0x46414C56;  // 'FALV'
// The top-level window remembers its active control under this name.
constexpr const wchar_t* kActiveControlProp = L"Falvori.ActiveControl";
// Each control's window knows its wrapper under this name (not through
// GetWindowSubclass, which 64-bit mingw's comctl32 import library lacks).
constexpr const wchar_t* kControlProp = L"Falvori.Control";

}  // namespace

Control::~Control() {
    if (!hwnd_) return;
    RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    RemovePropW(hwnd_, kControlProp);
}

Control* Control::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<Control*>(GetPropW(hwnd, kControlProp)) : nullptr;
}

bool Control::RaiseKeyDown(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    Control* control = FromHandle(msg.hwnd);
    if (!control || !control->onKeyDown) return false;
    return control->onKeyDown(static_cast<unsigned>(msg.wParam));
}

bool Control::CreateChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style,
                          DWORD exStyle, int id) {
    HWND hwnd = CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return false;
    if (!SetPropW(hwnd, kControlProp, this) ||
        !SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        DestroyWindow(hwnd);
        return false;
    }
    hwnd_ = hwnd;
    return true;
}

LRESULT Control::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallDefault(msg, wParam, lParam);
}

LRESULT Control::CallDefault(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(hwnd_, msg, wParam, lParam);
}

void Control::NoteFocus() {
    HWND root = GetAncestor(hwnd_, GA_ROOT);
    HWND previous = static_cast<HWND>(GetPropW(root, kActiveControlProp));
    SetPropW(root, kActiveControlProp, hwnd_);
    if (previous != hwnd_ && onGotFocus) onGotFocus();
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR refData) {
    auto* self = reinterpret_cast<Control*>(refData);
    switch (msg) {
    case WM_SETFOCUS: {
        LRESULT result = self->WindowProc(msg, wParam, lParam);
        self->NoteFocus();
        return result;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
        RemovePropW(hwnd, kControlProp);
        RemovePropW(GetAncestor(hwnd, GA_ROOT), kActiveControlProp);
        self->hwnd_ = nullptr;
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    default:
        return self->WindowProc(msg, wParam, lParam);
    }
}

}  // namespace falvori::ui
