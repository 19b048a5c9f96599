// Every file of one folder, hidden and system files included, sorted, one
// selectable at a time; typing a name's first letters selects it.
#pragma once

#include <vector>

#include "Control.h"

namespace falvori::ui {

class FileList : public Control {
public:
    // acceptDrops: files dragged from the shell may be dropped onto it.
    bool Create(HWND parent, int id, bool acceptDrops);

    const std::wstring& Path() const { return path_; }
    // Lists the folder, always reading it anew; no entry is selected
    // afterwards. When it cannot be read the list is left empty (showing
    // that folder) and the error is returned.
    DWORD SetPath(const std::wstring& text);
    // Reads the folder again. The selected file stays selected if it is
    // still there; raises nothing.
    DWORD Refresh();

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

    void OnCommand(UINT code) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    DWORD Load(const std::wstring& folder);
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
