#include "ui/controls/TextBox.h"

namespace falvori::ui {

bool TextBox::Create(HWND parent, int id) {
    return CreateChild(parent, L"EDIT", L"", ES_AUTOHSCROLL | ES_LEFT | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE, id);
}

std::wstring TextBox::Text() const {
    int length = GetWindowTextLengthW(Handle());
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(Handle(), text.data(), length + 1)));
    return text;
}

void TextBox::SetText(const std::wstring& text) {
    if (text == Text()) return;
    settingText_ = true;  // WM_SETTEXT sends its own EN_CHANGE
    SetWindowTextW(Handle(), text.c_str());
    settingText_ = false;
    if (onChange) onChange();
}

void TextBox::SetBackColor(COLORREF color) {
    if (hasBackColor_ && color == backColor_) return;
    backBrush_.Reset(CreateSolidBrush(color));
    backColor_ = color;
    hasBackColor_ = true;
    InvalidateRect(Handle(), nullptr, TRUE);
}

bool TextBox::OnCommand(UINT code) {
    if (code != EN_CHANGE) return false;
    if (!settingText_ && onChange) onChange();
    return true;
}

HBRUSH TextBox::OnCtlColor(HDC dc) {
    if (!hasBackColor_) return nullptr;
    SetBkColor(dc, backColor_);
    return backBrush_.Get();
}

}  // namespace falvori::ui
