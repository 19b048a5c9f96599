// Keeps Wine's desktop process alive between the test programs. Without a
// program on the desktop Wine ends it two seconds after each test and starts
// it anew for the next one, and CTest waits for it each time, because it
// inherits the test's output pipe. Shows nothing; ends with the wineserver.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!window) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
