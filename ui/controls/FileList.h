// The files of one folder as the window hands them over, sorted, one
// selectable at a time; typing a name's first letters selects it.
#pragma once

#include <vector>

#include "ui/controls/Control.h"

namespace falvori::ui {

class FileList : public Control {
public:
    // Whether files dragged from the shell may be dropped onto the list.
    enum class Drops { Refused, Accepted };
    bool Create(HWND parent, int id, Drops drops);

    // The folder whose files are shown.
    const std::wstring& Path() const { return path_; }
    // Shows the files of folder; no entry is selected afterwards. Raises
    // nothing.
    void SetFiles(const std::wstring& folder, const std::vector<std::wstring>& files);
    // Shows the files of the same folder anew: the selected file stays
    // selected while it is still there. Raises nothing.
    void UpdateFiles(const std::vector<std::wstring>& files);
    // Empties the list; Path() stays.
    void Clear();

    // The selected file's name without its folder, or empty.
    std::wstring FileName() const;
    int ListIndex() const;
    int ListCount() const;
    // The entry named exactly name (case counts), or -1.
    int FindName(const std::wstring& name) const;
    // Selects an entry (-1: none) and raises onClick when an entry gets
    // selected or the selection is cleared. False for an index out of range.
    bool SetListIndex(int index);

    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void(const std::vector<std::wstring>& paths)> onDrop;

    bool OnCommand(UINT code) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Fill(const std::vector<std::wstring>& files);
    std::wstring EntryText(int index) const;
    // The first entry after index after (wrapping round) that begins with
    // prefix, ignoring case; -1 when none does.
    int FindPrefix(int after, const std::wstring& prefix) const;
    void TypeAhead(wchar_t c, DWORD time);
    void Dropped(HDROP drop);

    std::wstring path_;
    std::wstring typed_;
    DWORD lastTypedAt_ = 0;
};

}  // namespace falvori::ui
