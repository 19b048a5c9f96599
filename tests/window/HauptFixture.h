// The main window created in this process on two mapped test drives (see
// window-drives.sh), with the real file system and the shipped table, and
// message boxes answered from a script.
//
//   w:\Quelle  mac.txt, win.txt, brief.txt, brief.txt.bak, Ärger.txt
//   w:\Ziel    (empty) with the subfolder Unter
//   w:\temp    the intermediate file's folder
//   w:\wurzel.txt
//   v:\Ablage\fern.txt
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "Haupt.h"
#include "Win32Platform.h"

namespace falvori::window_test {

inline const std::string kMacText = "Gr\x8a\xa7" "e \xdb\r";    // Grüße € in Mac OS Roman
inline const std::string kWinText = "Gr\xe4\xdf" "e \x80\r";    // the same in Windows-1252

struct ShownBox {
    std::string text;
    std::string title;
    MsgIcon icon;
    MsgButtons buttons;
};

// The real platform, but its boxes are answered by the test.
class AnsweringPlatform : public Win32Platform {
public:
    std::deque<int> answers;
    std::vector<ShownBox> shown;

    int messageBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override;
    [[noreturn]] void endProgram(int status) override;
};

class HauptFixture : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;

    ui::Haupt& h() { return *haupt_; }

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

    // Source side at a folder, a file selected there (empty: none).
    void OpenSource(const std::wstring& folder, const std::wstring& file = L"");
    void OpenDestination(const std::wstring& folder);
    void Click(ui::CommandButton& button);
    void PostKey(HWND target, UINT key);
    // A file drop as the shell sends it: WM_DROPFILES with DROPFILES data.
    void Drop(HWND target, const std::vector<std::wstring>& paths);
    void DoubleClickItem(HWND list, int index);

    AnsweringPlatform platform;

private:
    std::unique_ptr<ui::Haupt> haupt_;
};

// A file's bytes, "<missing>" when there is none.
std::string Bytes(const std::wstring& path);

}  // namespace falvori::window_test
