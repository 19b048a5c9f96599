// A drop-down list of the drives, each shown as "c: [LABEL]".
#pragma once

#include "Control.h"

namespace falvori::ui {

class DriveList : public Control {
public:
    bool Create(HWND parent, int id);

    // "c:", or empty before a drive was chosen.
    const std::wstring& Drive() const { return drive_; }
    // Only the letter at the start of text counts. Raises onChange when the
    // drive differs. ERROR_INVALID_DRIVE when no such drive exists; the
    // list then stays as it was.
    DWORD SetDrive(const std::wstring& text);

    // The drive changed, by the user or by SetDrive.
    std::function<void()> onChange;

    void OnCommand(UINT code) override;

private:
    void FillDrives();
    int FindDrive(wchar_t letter) const;
    void TakeUserChoice();

    std::wstring drive_;
};

}  // namespace falvori::ui
