// Finds, reads and answers the message boxes of a process, from outside it
// (or from another thread of the same process), the way a user sees them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace falvori::test {

enum class BoxIcon { None, Stop, Question, Exclamation, Information };
const char* Name(BoxIcon icon);

struct BoxInfo {
    HWND window = nullptr;
    HWND owner = nullptr;
    std::wstring title;
    std::wstring text;
    BoxIcon icon = BoxIcon::None;
    std::vector<int> buttons;  // control ids (IDOK, IDRETRY, ...) from left to right
    int defaultButton = 0;
};

// A visible top-level window of process pid with this window class, or null.
HWND FindVisibleWindow(DWORD pid, const wchar_t* windowClass);

// Waits until a visible message box of process pid shows, or until timeoutMs
// have passed, or until stop (a process handle, optional) is signalled.
std::optional<BoxInfo> WaitForMessageBox(DWORD pid, DWORD timeoutMs, HANDLE stop = nullptr);

BoxInfo ReadMessageBox(HWND box);

// Clicks the button with this id and waits until the box has gone.
bool PressButton(const BoxInfo& box, int buttonId, DWORD timeoutMs = 5000);

// Closes the box as its close box or Esc would, and waits until it has gone.
bool CloseBox(const BoxInfo& box, DWORD timeoutMs = 5000);

// Which of the four system icons the static control shows, told apart by
// its pixels on the screen: the icon handle of another process cannot be
// read from here.
BoxIcon IdentifyIcon(HWND iconControl);

}  // namespace falvori::test
