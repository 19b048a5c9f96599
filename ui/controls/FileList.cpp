#include "ui/controls/FileList.h"

#include <shellapi.h>

namespace falvori::ui {

namespace {

// Letters typed within this time continue one name.
constexpr DWORD kTypeAheadPause = 1000;

}  // namespace

bool FileList::Create(HWND parent, int id, Drops drops) {
    return CreateChild(parent, L"LISTBOX", L"",
                       LBS_SORT | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP |
                           WS_GROUP,
                       WS_EX_CLIENTEDGE | (drops == Drops::Accepted ? WS_EX_ACCEPTFILES : 0), id);
}

void FileList::SetFiles(const std::wstring& folder, const std::vector<std::wstring>& files) {
    path_ = folder;
    Fill(files);
}

void FileList::UpdateFiles(const std::vector<std::wstring>& files) {
    std::wstring selected = FileName();
    Fill(files);
    if (selected.empty()) return;
    // Compared exactly: a folder may hold names that differ in case only.
    int index = FindName(selected);
    if (index >= 0) SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void FileList::Clear() { SendMessageW(Handle(), LB_RESETCONTENT, 0, 0); }

void FileList::Fill(const std::vector<std::wstring>& files) {
    typed_.clear();
    HWND list = Handle();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    SendMessageW(list, LB_INITSTORAGE, files.size(), files.size() * 16 * sizeof(wchar_t));
    for (const std::wstring& name : files) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::wstring FileList::FileName() const {
    int index = ListIndex();
    return index < 0 ? std::wstring() : EntryText(index);
}

std::wstring FileList::EntryText(int index) const {
    LRESULT length = SendMessageW(Handle(), LB_GETTEXTLEN, index, 0);
    if (length <= 0) return {};
    std::wstring name(static_cast<size_t>(length) + 1, L'\0');
    length = SendMessageW(Handle(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(name.data()));
    name.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return name;
}

int FileList::ListIndex() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCURSEL, 0, 0)); }

int FileList::FindName(const std::wstring& name) const {
    for (int i = 0, count = ListCount(); i < count; ++i)
        if (EntryText(i) == name) return i;
    return -1;
}

int FileList::ListCount() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0)); }

bool FileList::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) return false;
    int before = ListIndex();
    SendMessageW(Handle(), LB_SETCURSEL, index, 0);
    if ((index >= 0 || before >= 0) && onClick) onClick();
    return true;
}

int FileList::FindPrefix(int after, const std::wstring& prefix) const {
    int count = ListCount();
    int length = static_cast<int>(prefix.size());
    for (int step = 1; step <= count; ++step) {
        int index = (after + step) % count;
        std::wstring entry = EntryText(index);
        if (static_cast<int>(entry.size()) >= length &&
            CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry.c_str(), length, prefix.c_str(), length) ==
                CSTR_EQUAL)
            return index;
    }
    return -1;
}

void FileList::TypeAhead(wchar_t c, DWORD time) {
    if (time - lastTypedAt_ > kTypeAheadPause) typed_.clear();
    lastTypedAt_ = time;
    typed_ += c;
    int current = ListIndex();
    // A first letter moves on past the current entry; a longer prefix may
    // still match the current entry itself.
    bool firstLetter = typed_.size() == 1;
    int found = FindPrefix(firstLetter ? current : (current < 0 ? -1 : current - 1), typed_);
    if (found < 0 && !firstLetter) {
        // Same letter again: go on to the next name with that letter.
        typed_.assign(1, c);
        found = FindPrefix(current, typed_);
    }
    if (found < 0) return;
    SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(found), 0);
    if (onClick) onClick();
}

void FileList::Dropped(HDROP drop) {
    std::vector<std::wstring> paths;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
        paths.push_back(std::move(path));
    }
    DragFinish(drop);
    if (onDrop) onDrop(paths);
}

LRESULT FileList::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CHAR:
        if (wParam >= L' ') {
            TypeAhead(static_cast<wchar_t>(wParam), static_cast<DWORD>(GetMessageTime()));
            return 0;
        }
        break;
    case WM_DROPFILES:
        Dropped(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    return CallDefault(msg, wParam, lParam);
}

bool FileList::OnCommand(UINT code) {
    switch (code) {
    case LBN_SELCHANGE:
        if (onClick) onClick();
        return true;
    case LBN_DBLCLK:
        if (onDblClick) onDblClick();
        return true;
    }
    return false;
}

}  // namespace falvori::ui
