// A one-line text box.
#pragma once

#include "ui/controls/Control.h"
#include "ui/controls/GdiOwners.h"

namespace falvori::ui {

class TextBox : public Control {
public:
    bool Create(HWND parent, int id);

    std::wstring Text() const;
    // Raises onChange once when the text differs.
    void SetText(const std::wstring& text);

    // The platform's colour until the first SetBackColor.
    COLORREF BackColor() const { return hasBackColor_ ? backColor_ : GetSysColor(COLOR_WINDOW); }
    void SetBackColor(COLORREF color);

    // The text changed, by typing or by SetText.
    std::function<void()> onChange;

    bool OnCommand(UINT code) override;
    HBRUSH OnCtlColor(HDC dc) override;

private:
    bool settingText_ = false;
    bool hasBackColor_ = false;
    COLORREF backColor_ = 0;
    OwnedBrush backBrush_;
};

}  // namespace falvori::ui
