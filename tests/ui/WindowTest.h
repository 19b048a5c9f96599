// Shared by the window tests: the test drives and a fixture that creates
// the main window on them.
//
// The drives are mapped in the build's Wine prefix by test-drives.sh:
//   t:  a folder that every test fills anew (MakeTestTree)
//   u:  a drive without a medium: listed, but it cannot be read. It shows
//       MediumFolder(), a plain file until a test puts a folder there.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Haupt.h"
#include "ScriptedPlatform.h"

namespace falvori::test {

inline constexpr const wchar_t* kTestDrive = L"t:";
inline constexpr const wchar_t* kUnreadableDrive = L"u:";

// t:\ holds: alpha.txt, beta.txt, bett.txt, Ärger.txt, .punkt (a dotfile),
// versteckt.txt (hidden), system.txt (system), and the folders
// Briefe (brief.txt, Antwort.txt, Unterordner\, Zweiter\) and Leer.
void MakeTestTree();
void MakeFile(const std::wstring& path, const std::string& content = "x");
void RemoveTree(const std::wstring& path);
// What u: shows, as a Windows path.
std::wstring MediumFolder();

// What a list shows, entry by entry.
std::vector<std::wstring> Entries(HWND list);
// The control's rectangle in its parent's client coordinates.
RECT ClientRect(HWND control);

class WindowTest : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;

    // Handles every waiting message, as the program's loop would.
    void Pump();
    // Pumps for a while (for timers).
    void PumpFor(DWORD milliseconds);
    void PostKey(HWND target, UINT key);
    void PostChars(HWND target, const std::wstring& text);
    // The mouse messages of a click or a double-click on a list's entry.
    void ClickItem(HWND list, int index);
    void DoubleClickItem(HWND list, int index);
    // Gives a control the focus from another control, so that it counts as
    // receiving the focus.
    void FocusFromElsewhere(ui::Control& control);

    // Both sides on the test drive: source in t:\Briefe, destination t:\.
    void OpenTestFolders();

    ui::Haupt& h() { return *haupt_; }

    ScriptedPlatform platform;

private:
    std::unique_ptr<ui::Haupt> haupt_;
};

}  // namespace falvori::test
