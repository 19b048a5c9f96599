// The pickers: each side's drive, folder and file list follow one another,
// a drive that cannot be read is offered for Retry, a clicked destination
// file fills the name box, and btnLos is enabled exactly when a source file
// is selected and a name is given.
#include "ui/Haupt.h"

#include "ui/Folders.h"

namespace falvori::ui {

void Haupt::Activated() {
    // Failures here have no recovery of their own; the box lets the user
    // try again or go on with what could be read.
    Retried([this] { return ChooseDrive(lstLaufwerk1, L"c:"); });
    Retried([this] { return OpenFolder(lstOrdner1, L"\\"); });
    Retried([this] { return ChooseDrive(lstLaufwerk2, L"c:"); });
    Retried([this] { return OpenFolder(lstOrdner2, L"\\"); });
}

void Haupt::DriveListOpening(DriveList& laufwerk) { laufwerk.SetDrives(DriveTexts()); }

void Haupt::DriveChanged(DriveList& laufwerk, FolderList& ordner) {
    if (Retried([&] { return OpenFolder(ordner, laufwerk.Drive()); })) {
        ApplyEnablingRule();
        return;
    }
    std::wstring back = GemerktesLaufwerk;
    // Before any drive list had the focus nothing was saved: go back to
    // the drive the folder list still shows.
    if (back.empty()) back = ordner.Path().substr(0, 2);
    // Going back raises this handler again for that drive. When even that
    // drive is gone there is nothing left to go back to.
    if (!back.empty()) ChooseDrive(laufwerk, back);
}

void Haupt::FolderOpened(FolderList& ordner, const std::wstring& folder) {
    Retried([&] { return OpenFolder(ordner, folder); });
}

void Haupt::SourceFolderChanged() {
    Retried([this] { return ListFiles(lstDateien1, lstOrdner1.Path()); });
    ApplyEnablingRule();
}

void Haupt::SourceFolderClicked() {
    Retried([this] { return RereadFiles(lstDateien1); });
}

void Haupt::DestinationFolderChanged() {
    Retried([this] { return ListFiles(lstDateien2, lstOrdner2.Path()); });
}

void Haupt::DestinationFolderClicked() {
    Retried([this] { return ListFiles(lstDateien2, lstOrdner2.Path()); });
}

void Haupt::NameChanged() {
    ApplyEnablingRule();
    btnLos.SetDefault(btnLos.Enabled());
}

void Haupt::SourceFileClicked() {
    btnGleichmachen.SetDefault(true);
    ApplyEnablingRule();
}

void Haupt::DestinationFileClicked() {
    txtDatei2.SetText(lstDateien2.FileName());
    ApplyEnablingRule();
}

void Haupt::ApplyEnablingRule() {
    std::wstring name = txtDatei2.Text();
    bool hasName = name.find_first_not_of(L' ') != std::wstring::npos;
    btnLos.SetEnabled(hasName && !lstDateien1.FileName().empty());
}

}  // namespace falvori::ui
