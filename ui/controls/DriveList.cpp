#include "DriveList.h"

#include <cwctype>

#include "Handles.h"

namespace falvori::ui {

namespace {

std::wstring DriveText(wchar_t letter) {
    std::wstring text{letter, L':'};
    UINT type = GetDriveTypeW((text + L'\\').c_str());
    // Removable and optical drives stay untouched: asking them for a label
    // can spin up a medium or wait for one.
    if (type != DRIVE_FIXED && type != DRIVE_RAMDISK && type != DRIVE_REMOTE) return text;
    wchar_t label[MAX_PATH + 1] = L"";
    if (GetVolumeInformationW((text + L'\\').c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                              nullptr, 0) &&
        label[0] != L'\0')
        text += std::wstring(L" [") + label + L"]";
    return text;
}

}  // namespace

bool DriveList::Create(HWND parent, int id) {
    if (!CreateChild(parent, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0, id))
        return false;
    FillDrives();
    return true;
}

void DriveList::FillDrives() {
    NoCriticalErrorBoxes quiet;
    HWND box = Handle();
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    DWORD mask = GetLogicalDrives();
    for (int bit = 0; bit < 26; ++bit) {
        if (!(mask & (1u << bit))) continue;
        wchar_t letter = static_cast<wchar_t>(L'a' + bit);
        LRESULT index = SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DriveText(letter).c_str()));
        if (index >= 0) SendMessageW(box, CB_SETITEMDATA, static_cast<WPARAM>(index), letter);
    }
    SendMessageW(box, CB_SETCURSEL, drive_.empty() ? -1 : FindDrive(drive_[0]), 0);
}

int DriveList::FindDrive(wchar_t letter) const {
    int count = static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (static_cast<wchar_t>(SendMessageW(Handle(), CB_GETITEMDATA, i, 0)) == letter) return i;
    return -1;
}

DWORD DriveList::SetDrive(const std::wstring& text) {
    if (text.empty() || !std::iswalpha(text[0])) return ERROR_INVALID_DRIVE;
    wchar_t letter = static_cast<wchar_t>(std::towlower(text[0]));
    std::wstring drive{letter, L':'};
    if (drive == drive_) return ERROR_SUCCESS;
    int index = FindDrive(letter);
    if (index < 0) {
        FillDrives();  // the drive may have appeared since the list was filled
        index = FindDrive(letter);
        if (index < 0) return ERROR_INVALID_DRIVE;
    }
    SendMessageW(Handle(), CB_SETCURSEL, index, 0);
    drive_ = drive;
    if (onChange) onChange();
    return ERROR_SUCCESS;
}

void DriveList::TakeUserChoice() {
    int index = static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
    if (index < 0) return;
    std::wstring drive{static_cast<wchar_t>(SendMessageW(Handle(), CB_GETITEMDATA, index, 0)), L':'};
    if (drive == drive_) return;
    drive_ = drive;
    if (onChange) onChange();
}

void DriveList::OnCommand(UINT code) {
    switch (code) {
    case CBN_DROPDOWN:
        FillDrives();
        break;
    case CBN_SELCHANGE:
        // While the list is open the user is still browsing it.
        if (!SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0)) TakeUserChoice();
        break;
    case CBN_CLOSEUP:
        TakeUserChoice();
        break;
    }
}

}  // namespace falvori::ui
