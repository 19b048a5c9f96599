// The button "&los": builds both paths from the window, converts, and on
// success shows the done indication for one timer interval.
#include "ui/Haupt.h"

#include "platform/win32/Utf.h"

namespace falvori::ui {

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A root folder ("c:\") ends in the separator that the caller adds anyway.
std::wstring WithoutClosingBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

}  // namespace

void Haupt::LosClicked() {
    // The button may be enabled by make-equal without these holding.
    std::wstring name = txtDatei2.Text();
    std::wstring source = lstDateien1.FileName();
    if (name.find_first_not_of(L' ') == std::wstring::npos || source.empty()) return;

    // The name goes in as typed: blanks stay, a "\" reaches into a subfolder.
    core.QuellDatei = Narrow(WithoutClosingBackslash(lstOrdner1.Path()) + L"\\" + source);
    core.ZielDatei = Narrow(WithoutClosingBackslash(lstOrdner2.Path()) + L"\\" + name);
    core.RichtungMacWin = optMacWin.Value();
    std::optional<bool> written = core.DateiUmwandeln(core.QuellDatei, core.ZielDatei);
    if (written.value_or(false)) Fertig();
}

// A second indication while the first still shows starts the interval
// again: the green stays a full 400 ms after the latest conversion.
void Haupt::Fertig() {
    txtDatei2.SetBackColor(kGreen);
    timFertig.SetEnabled(true);
}

void Haupt::FertigTick() {
    txtDatei2.SetBackColor(kWhite);
    timFertig.SetEnabled(false);
}

}  // namespace falvori::ui
