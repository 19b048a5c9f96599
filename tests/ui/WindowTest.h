// The fixture of the window tests: the main window created in this process
// with the shipped table, the real file system on the test drives, and its
// message boxes answered from a script.
//
// The drives are mapped in the build's Wine prefix by test-drives.sh:
//   t:  alpha.txt, beta.txt, bett.txt, Ärger.txt, .punkt (a dotfile),
//       versteckt.txt (hidden), system.txt (system), and the folders
//       Briefe (brief.txt, Antwort.txt, Unterordner\, Zweiter\) and Leer
//   u:  a drive without a medium: listed, but it cannot be read. It shows
//       MediumFolder(), a plain file until a test puts a folder there.
//   w:  Quelle (mac.txt, win.txt, brief.txt, brief.txt.bak, Ärger.txt),
//       Ziel (empty, with the subfolder Unter), temp (the intermediate
//       file's folder), wurzel.txt
//   v:  Ablage\fern.txt
//   n:  a drive the system reports as a network drive
// Every test starts with these drives filled anew.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ui/ScriptedPlatform.h"
#include "tests/wine/TestFiles.h"
#include "ui/Haupt.h"

namespace falvori::test {

inline const std::string kMacText = "Gr\x8a\xa7" "e \xdb\r";    // Grüße € in Mac OS Roman
inline const std::string kWinText = "Gr\xe4\xdf" "e \x80\r";    // the same in Windows-1252

// What u: shows, as a Windows path.
std::wstring MediumFolder();
// A file's bytes, "<missing>" when there is none.
std::string Bytes(const std::wstring& path);
// What a list shows, entry by entry.
std::vector<std::wstring> Entries(HWND list);
// The control's rectangle in its parent's client coordinates.
RECT ClientRect(HWND control);

class WindowTest : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;

    ui::Haupt& Haupt() { return *haupt_; }

    // Every waiting message, through the window's own dialog keys.
    void Pump();
    void PumpFor(DWORD milliseconds);
    // Pumps until done() or timeoutMs; true when done.
    template <typename Done>
    bool PumpUntil(Done done, DWORD timeoutMs = 5000) {
        DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > timeoutMs) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            Pump();
        }
        return true;
    }

    void PostKey(HWND target, UINT key);
    void PostChars(HWND target, const std::wstring& text);
    void Click(ui::CommandButton& button);
    // The mouse messages of a click or a double-click on a list's entry.
    void ClickItem(HWND list, int index);
    void DoubleClickItem(HWND list, int index);
    // A file drop as the shell sends it: WM_DROPFILES with DROPFILES data.
    void Drop(HWND target, const std::vector<std::wstring>& paths);
    // Gives a control the focus from another control, so that it counts as
    // receiving the focus.
    void FocusFromElsewhere(ui::Control& control);

    // Source side at a folder, a file selected there (empty: none).
    void OpenSource(const std::wstring& folder, const std::wstring& file = L"");
    void OpenDestination(const std::wstring& folder);
    // Both sides on t:, source in t:\Briefe, destination t:\.
    void OpenTestFolders();

    ScriptedPlatform platform;

private:
    std::unique_ptr<ui::Haupt> haupt_;
};

}  // namespace falvori::test
