// An option button; the buttons from one that starts a group up to the
// next group form one choice.
#pragma once

#include "ui/controls/Control.h"

namespace falvori::ui {

class OptionButton : public Control {
public:
    enum class Group { Starts, Continues };
    bool Create(HWND parent, int id, const wchar_t* text, Group group);

    bool Value() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // True clears the other buttons of the group and raises onClick when
    // the button was not selected yet.
    void SetValue(bool on);

    std::function<void()> onClick;

    bool OnCommand(UINT code) override;

private:
    void KeepTabStopOnSelected();
};

}  // namespace falvori::ui
