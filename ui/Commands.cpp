// Wires the commands to their events: converting, the done indication,
// make-equal, the file drop, Esc and the about box.
#include "Haupt.h"

namespace falvori::ui {

void Haupt::ConnectCommands() {
    btnLos.onClick = [this] { LosClicked(); };
    timFertig.onTick = [this] { FertigTick(); };
    btnGleichmachen.onClick = [this] { Gleichmachen(); };
    lstDateien1.onDblClick = [this] { Gleichmachen(); };
    lstDateien1.onDrop = [this](const std::vector<std::wstring>& paths) { SourceFilesDropped(paths); };
    // Not the option buttons: Esc there does nothing.
    for (Control* control : std::initializer_list<Control*>{&btnGleichmachen, &btnLos, &lstLaufwerk1, &lstOrdner1,
                                                            &lstDateien1, &lstLaufwerk2, &lstOrdner2, &lstDateien2,
                                                            &txtDatei2})
        control->onKeyDown = [this](unsigned key) { return KeyDown(key); };
    onSurfaceDblClick = [this] { SurfaceDblClicked(); };
}

bool Haupt::RetryStep(const std::function<DWORD()>& step) {
    while (DWORD error = step())
        if (!AskRetry(error)) return false;
    return true;
}

}  // namespace falvori::ui
