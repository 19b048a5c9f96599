// Make-equal: the destination side takes the source file's drive, folder
// and name; the caret waits at the end of the name for Enter or an edit.
#include "ui/Haupt.h"

namespace falvori::ui {

void Haupt::Gleichmachen() {
    std::wstring name = lstDateien1.FileName();
    if (name.empty()) return;

    // Errors of the drive itself are the drive change's; what is left here
    // is a drive or folder that has gone since the source side listed it.
    if (!Retried([this] { return ChooseDrive(lstLaufwerk2, lstLaufwerk1.Drive()); })) return;
    if (!Retried([this] { return OpenFolder(lstOrdner2, lstOrdner1.Path()); })) return;
    if (!Retried([this] { return RereadFiles(lstDateien2); })) return;

    // By name, not by position: a file added to the folder since the source
    // list read it would move the same position onto another file.
    int index = lstDateien2.FindName(name);
    if (index >= 0)
        lstDateien2.SetListIndex(index);
    else
        txtDatei2.SetText(name);  // gone meanwhile: the conversion will say so

    txtDatei2.SetFocus();
    btnLos.SetEnabled(true);
    btnLos.SetDefault(true);
    int end = GetWindowTextLengthW(txtDatei2.Handle());
    SendMessageW(txtDatei2.Handle(), EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(txtDatei2.Handle(), EM_SCROLLCARET, 0, 0);
}

}  // namespace falvori::ui
