// The folders from a drive's root down to the open folder, indented, then
// the open folder's subfolders. A single click or the arrow keys select a
// folder (onClick); a double-click asks to open it (onOpen).
#pragma once

#include <vector>

#include "ui/controls/Control.h"

namespace falvori::ui {

class FolderList : public Control {
public:
    bool Create(HWND parent, int id);

    // The open folder, full, without a closing "\" except for a root ("c:\").
    const std::wstring& Path() const { return path_; }
    // Whether folder is the open one (case does not count).
    bool Shows(const std::wstring& folder) const;
    // Shows folder as the open one, with its subfolders. Raises onChange
    // when it is another folder than before.
    void SetFolder(const std::wstring& folder, std::vector<std::wstring> subfolders);

    // The open folder changed.
    std::function<void()> onChange;
    std::function<void()> onClick;
    // The user asked to open this folder (full path).
    std::function<void(const std::wstring& folder)> onOpen;

    // Height of one line in pixels: the font's, at least the picture's.
    void SetItemHeight(int pixels);

    bool OnCommand(UINT code) override;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

private:
    struct Entry {
        std::wstring name;
        int level;
        bool open;  // on the way from the root to the open folder
    };

    std::wstring EntryPath(int index) const;
    void OpenSelected();

    std::wstring path_;
    std::vector<Entry> entries_;
    int openIndex_ = -1;
};

}  // namespace falvori::ui
