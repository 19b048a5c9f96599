// A file dropped from the shell onto lstDateien1 is opened on the source
// side: drive, folder and file list move to it and the file is selected.
#include "ui/Haupt.h"

namespace falvori::ui {

void Haupt::SourceFilesDropped(const std::vector<std::wstring>& paths) {
    // Dragged text and the like bring no path: nothing to open. No path
    // is longer than 32767 characters, the most InstrVonRechts takes.
    if (paths.empty() || paths.front().empty() || paths.front().size() > 32767) return;
    const std::wstring AbgelegteDatei = paths.front();  // further files are ignored

    // A path without a drive letter (a network path) cannot be shown by
    // the drive list; the box says why and the drop ends there.
    if (!Retried([&] { return ChooseDrive(lstLaufwerk1, AbgelegteDatei); })) return;
    const short PosBackslash = InstrVonRechts(AbgelegteDatei, L"\\");
    if (!Retried([this] { return OpenFolder(lstOrdner1, lstLaufwerk1.Drive()); })) return;
    if (!Retried([this] { return RereadFolder(lstOrdner1); })) return;
    std::wstring folder = AbgelegteDatei.substr(0, static_cast<size_t>(PosBackslash));
    if (folder != lstOrdner1.Path() && !Retried([&] { return OpenFolder(lstOrdner1, folder); })) return;
    lstDateien1.SetFocus();

    // Selected by its exact name rather than typed into the list: typing
    // would find the first name that merely begins with it, and a name is
    // not a key sequence.
    int index = lstDateien1.FindName(AbgelegteDatei.substr(static_cast<size_t>(PosBackslash)));
    if (index >= 0) lstDateien1.SetListIndex(index);
}

}  // namespace falvori::ui
