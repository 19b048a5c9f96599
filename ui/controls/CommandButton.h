// A push button, with text or with a picture.
#pragma once

#include "ui/controls/Control.h"

namespace falvori::ui {

class CommandButton : public Control {
public:
    // picture may be nullptr; the button then shows its text. The caller
    // keeps the picture alive as long as the button.
    bool Create(HWND parent, int id, const wchar_t* text, HICON picture = nullptr);

    // The default button is the one Enter presses; the parent window keeps
    // track of it (DM_GETDEFID / DM_SETDEFID).
    bool Default() const;
    // True takes the default from any other button; false leaves the
    // window without a default button.
    void SetDefault(bool on);

    std::function<void()> onClick;

    bool OnCommand(UINT code) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace falvori::ui
