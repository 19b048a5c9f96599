// The folders from a drive's root down to the open folder, indented, then
// the open folder's subfolders. A single click or the arrow keys select a
// folder (onClick); a double-click opens it (onChange).
#pragma once

#include <vector>

#include "Control.h"

namespace falvori::ui {

class FolderList : public Control {
public:
    bool Create(HWND parent, int id);

    // The open folder, without a closing "\" except for a root ("c:\").
    const std::wstring& Path() const { return path_; }
    // Opens a folder; a drive ("d:") opens that drive's current folder.
    // Raises onChange when the folder differs. On failure the list stays
    // as it was and the error is returned.
    DWORD SetPath(const std::wstring& text);
    // Reads the open folder again; raises nothing.
    DWORD Refresh();

    std::function<void()> onChange;
    std::function<void()> onClick;
    // A folder the user opened could not be read. Return true to try again.
    std::function<bool(DWORD error)> onOpenFailed;

    // Height of one line in pixels: the font's, at least the picture's.
    void SetItemHeight(int pixels);

    void OnCommand(UINT code) override;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

private:
    struct Entry {
        std::wstring name;
        int level;
        bool open;  // on the way from the root to the open folder
    };

    DWORD Load(const std::wstring& folder);
    std::wstring EntryPath(int index) const;
    void OpenSelected();

    std::wstring path_;
    std::vector<Entry> entries_;
    int openIndex_ = -1;
};

}  // namespace falvori::ui
