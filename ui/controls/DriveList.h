// A drop-down list of the drives, each shown as the window hands it over
// ("c: [LABEL]"); the text's first letter is the drive.
#pragma once

#include <vector>

#include "ui/controls/Control.h"

namespace falvori::ui {

class DriveList : public Control {
public:
    bool Create(HWND parent, int id);

    // Replaces the drives shown; the chosen drive stays selected while it
    // is among them. Raises nothing.
    void SetDrives(const std::vector<std::wstring>& texts);
    // Whether the drive of text's first letter is in the list.
    bool Lists(const std::wstring& text) const;

    // "c:", or empty before a drive was chosen.
    const std::wstring& Drive() const { return drive_; }
    // Only the letter at the start of text counts. Raises onChange when the
    // drive differs. ERROR_INVALID_DRIVE when the list has no such drive;
    // the list then stays as it was.
    DWORD SetDrive(const std::wstring& text);

    // The drive changed, by the user or by SetDrive.
    std::function<void()> onChange;
    // The list is about to open: the time to hand it the drives anew.
    std::function<void()> onDropDown;

    bool OnCommand(UINT code) override;

private:
    int FindDrive(wchar_t letter) const;
    void TakeUserChoice();

    std::wstring drive_;
};

}  // namespace falvori::ui
