// Reads the state of a running Falvori window from outside, for the test
// that drives the program with real input: where the client area is on the
// screen, and each control's place, state and text. It never acts on the
// window.
//
//   falvori_window_state.exe    prints, UTF-8, one line each:
//     origin X Y
//     control ID LEFT TOP RIGHT BOTTOM ENABLED FOCUSED TEXT
//   TEXT is the selected entry of a list, or the text of any other control.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Shown(HWND control) {
    wchar_t name[32] = L"";
    GetClassNameW(control, name, 32);
    wchar_t text[1024] = L"";
    if (lstrcmpiW(name, L"ListBox") == 0) {
        LRESULT index = SendMessageW(control, LB_GETCURSEL, 0, 0);
        if (index >= 0 && SendMessageW(control, LB_GETTEXTLEN, index, 0) < 1024)
            SendMessageW(control, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    } else {
        SendMessageW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    }
    return text;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM focus) {
    RECT r;
    GetWindowRect(control, &r);
    std::printf("control %d %ld %ld %ld %ld %d %d %s\n", GetDlgCtrlID(control), r.left, r.top, r.right, r.bottom,
                IsWindowEnabled(control) ? 1 : 0, reinterpret_cast<HWND>(focus) == control ? 1 : 0,
                Utf8(Shown(control)).c_str());
    return TRUE;
}

}  // namespace

int wmain() {
    HWND window = FindWindowW(L"FalvoriHaupt", L"Falvori");
    if (!window) {
        std::printf("no window\n");
        return 1;
    }
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::printf("origin %ld %ld\n", origin.x, origin.y);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
    EnumChildWindows(window, PrintControl, reinterpret_cast<LPARAM>(gui.hwndFocus));
    std::fflush(stdout);
    return 0;
}
