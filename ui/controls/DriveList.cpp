#include "ui/controls/DriveList.h"

#include <cwctype>

namespace falvori::ui {

namespace {

// The letter a text names, lower case; 0 when it names none.
wchar_t DriveLetter(const std::wstring& text) {
    if (text.empty() || !std::iswalpha(text[0])) return 0;
    return static_cast<wchar_t>(std::towlower(text[0]));
}

}  // namespace

bool DriveList::Create(HWND parent, int id) {
    return CreateChild(parent, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0, id);
}

void DriveList::SetDrives(const std::vector<std::wstring>& texts) {
    HWND box = Handle();
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& text : texts) {
        wchar_t letter = DriveLetter(text);
        if (!letter) continue;
        LRESULT index = SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (index >= 0) SendMessageW(box, CB_SETITEMDATA, static_cast<WPARAM>(index), letter);
    }
    SendMessageW(box, CB_SETCURSEL, drive_.empty() ? -1 : FindDrive(drive_[0]), 0);
}

bool DriveList::Lists(const std::wstring& text) const {
    wchar_t letter = DriveLetter(text);
    return letter && FindDrive(letter) >= 0;
}

int DriveList::FindDrive(wchar_t letter) const {
    int count = static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (static_cast<wchar_t>(SendMessageW(Handle(), CB_GETITEMDATA, i, 0)) == letter) return i;
    return -1;
}

DWORD DriveList::SetDrive(const std::wstring& text) {
    wchar_t letter = DriveLetter(text);
    if (!letter) return ERROR_INVALID_DRIVE;
    std::wstring drive{letter, L':'};
    if (drive == drive_) return ERROR_SUCCESS;
    int index = FindDrive(letter);
    if (index < 0) return ERROR_INVALID_DRIVE;
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

bool DriveList::OnCommand(UINT code) {
    switch (code) {
    case CBN_DROPDOWN:
        if (onDropDown) onDropDown();
        return true;
    case CBN_SELCHANGE:
        // While the list is open the user is still browsing it.
        if (!SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0)) TakeUserChoice();
        return true;
    case CBN_CLOSEUP:
        TakeUserChoice();
        return true;
    }
    return false;
}

}  // namespace falvori::ui
