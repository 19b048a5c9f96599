// The pickers: each side's drive, folder and file list follow one another,
// a drive that cannot be read is offered for Retry, a clicked destination
// file fills the name box, and btnLos is enabled exactly when a source file
// is selected and a name is given.
#include "Haupt.h"

#include "SystemError.h"

namespace falvori::ui {

void Haupt::ConnectPickers() {
    lstLaufwerk1.onGotFocus = [this] { GemerktesLaufwerk = lstLaufwerk1.Drive(); };
    lstLaufwerk2.onGotFocus = [this] { GemerktesLaufwerk = lstLaufwerk2.Drive(); };
    lstLaufwerk1.onChange = [this] { DriveChanged(lstLaufwerk1, lstOrdner1); };
    lstLaufwerk2.onChange = [this] { DriveChanged(lstLaufwerk2, lstOrdner2); };
    lstOrdner1.onChange = [this] { SourceFolderChanged(); };
    lstOrdner1.onClick = [this] { SourceFolderClicked(); };
    lstOrdner2.onChange = [this] { DestinationFolderChanged(); };
    lstOrdner2.onClick = [this] { DestinationFolderClicked(); };
    lstOrdner1.onOpenFailed = [this](DWORD error) { return AskRetry(error); };
    lstOrdner2.onOpenFailed = [this](DWORD error) { return AskRetry(error); };
    txtDatei2.onChange = [this] { NameChanged(); };
    lstDateien1.onClick = [this] { SourceFileClicked(); };
    lstDateien2.onClick = [this] { DestinationFileClicked(); };
}

bool Haupt::AskRetry(DWORD error) {
    return core.platform().messageBox(SystemFailure(error).text, "Achtung!", MsgIcon::Exclamation,
                                      MsgButtons::RetryCancel) == kRetry;
}

void Haupt::Activated() {
    // Failures here have no recovery of their own; the box lets the user
    // try again or go on with what could be read.
    while (DWORD error = lstLaufwerk1.SetDrive(L"c:"))
        if (!AskRetry(error)) break;
    while (DWORD error = lstOrdner1.SetPath(L"\\"))
        if (!AskRetry(error)) break;
    while (DWORD error = lstLaufwerk2.SetDrive(L"c:"))
        if (!AskRetry(error)) break;
    while (DWORD error = lstOrdner2.SetPath(L"\\"))
        if (!AskRetry(error)) break;
}

void Haupt::DriveChanged(DriveList& laufwerk, FolderList& ordner) {
    while (DWORD error = ordner.SetPath(laufwerk.Drive())) {
        if (AskRetry(error)) continue;
        std::wstring back = GemerktesLaufwerk;
        // Before any drive list had the focus nothing was saved: go back to
        // the drive the folder list still shows.
        if (back.empty()) back = ordner.Path().substr(0, 2);
        // Going back raises this handler again for that drive. When even
        // that drive is gone there is nothing left to go back to.
        if (!back.empty()) laufwerk.SetDrive(back);
        return;
    }
    ApplyEnablingRule();
}

void Haupt::ListFiles(FileList& dateien, const std::wstring& path) {
    while (DWORD error = dateien.SetPath(path))
        if (!AskRetry(error)) break;
}

void Haupt::SourceFolderChanged() {
    ListFiles(lstDateien1, lstOrdner1.Path());
    ApplyEnablingRule();
}

void Haupt::SourceFolderClicked() {
    while (DWORD error = lstDateien1.Refresh())
        if (!AskRetry(error)) break;
}

void Haupt::DestinationFolderChanged() { ListFiles(lstDateien2, lstOrdner2.Path()); }

void Haupt::DestinationFolderClicked() { ListFiles(lstDateien2, lstOrdner2.Path()); }

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
