#include "ui/controls/FolderList.h"

#include <algorithm>

#include "ui/controls/FolderPicture.h"
#include "ui/controls/PathText.h"

namespace falvori::ui {

bool FolderList::Create(HWND parent, int id) {
    return CreateChild(parent, L"LISTBOX", L"",
                       LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
                           WS_TABSTOP | WS_GROUP,
                       WS_EX_CLIENTEDGE, id);
}

void FolderList::SetItemHeight(int pixels) {
    SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, MAKELPARAM(pixels, 0));
    InvalidateRect(Handle(), nullptr, TRUE);
}

bool FolderList::Shows(const std::wstring& folder) const {
    return !path_.empty() && CompareStringOrdinal(folder.c_str(), -1, path_.c_str(), -1, TRUE) == CSTR_EQUAL;
}

void FolderList::SetFolder(const std::wstring& folder, std::vector<std::wstring> subfolders) {
    bool changed = !Shows(folder);
    std::sort(subfolders.begin(), subfolders.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_LESS_THAN;
    });

    std::vector<std::wstring> chain = SplitFolder(folder);
    entries_.clear();
    for (size_t i = 0; i < chain.size(); ++i) entries_.push_back({chain[i], static_cast<int>(i), true});
    for (auto& name : subfolders) entries_.push_back({std::move(name), static_cast<int>(chain.size()), false});
    path_ = folder;
    openIndex_ = static_cast<int>(chain.size()) - 1;

    HWND list = Handle();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const Entry& entry : entries_)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name.c_str()));
    SendMessageW(list, LB_SETCURSEL, openIndex_, 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    if (changed && onChange) onChange();
}

std::wstring FolderList::EntryPath(int index) const {
    if (index > openIndex_) return JoinPath(path_, entries_[index].name);
    std::wstring path = entries_[0].name;
    for (int i = 1; i <= index; ++i) path = JoinPath(path, entries_[i].name);
    return path;
}

void FolderList::OpenSelected() {
    int index = static_cast<int>(SendMessageW(Handle(), LB_GETCURSEL, 0, 0));
    if (index < 0 || index >= static_cast<int>(entries_.size())) return;
    if (onOpen) onOpen(EntryPath(index));
}

bool FolderList::OnCommand(UINT code) {
    switch (code) {
    case LBN_SELCHANGE:
        if (onClick) onClick();
        return true;
    case LBN_DBLCLK:
        OpenSelected();
        return true;
    }
    return false;
}

bool FolderList::OnDrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT row = item.rcItem;
    if (item.itemID >= entries_.size()) {
        if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &row);
        return true;
    }
    const Entry& entry = entries_[item.itemID];
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &row, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    int height = row.bottom - row.top;
    int picture = height - 2 > 0 ? height - 2 : height;
    int indent = picture / 2 + 1;
    RECT box{row.left + 2 + entry.level * indent, row.top + (height - picture) / 2, 0, 0};
    box.right = box.left + picture;
    box.bottom = box.top + picture;
    DrawFolderPicture(dc, box, entry.open);

    RECT text = row;
    text.left = box.right + 4;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, entry.name.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &row);
    return true;
}

}  // namespace falvori::ui
