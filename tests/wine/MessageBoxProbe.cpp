#include "tests/wine/MessageBoxProbe.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace falvori::test {

namespace {

// The id the system gives the text of a message box.
constexpr int kTextId = 0xFFFF;

struct Search {
    DWORD pid;
    const wchar_t* windowClass;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    if (pid == search->pid && IsWindowVisible(window) && wcscmp(cls, search->windowClass) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int n = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return text;
}

struct Children {
    std::vector<HWND> all;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<Children*>(param)->all.push_back(child);
    return TRUE;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

// Pixels as 32-bit colours, of whatever draw puts into a memory DC.
template <typename Draw>
std::vector<DWORD> DrawPixels(HDC like, int width, int height, Draw&& draw) {
    HDC memory = CreateCompatibleDC(like);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<DWORD> pixels;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        auto* p = static_cast<DWORD*>(bits);
        draw(memory, p);
        GdiFlush();
        pixels.assign(p, p + width * height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    return pixels;
}

// The control's pixels, read from the screen.
std::vector<DWORD> Capture(HDC source, int x, int y, int width, int height) {
    return DrawPixels(source, width, height, [&](HDC memory, DWORD*) {
        BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    });
}

// The icon drawn as the control draws it, on the given background.
std::vector<DWORD> Render(HICON icon, int width, int height, DWORD background) {
    HDC screen = GetDC(nullptr);
    std::vector<DWORD> pixels = DrawPixels(screen, width, height, [&](HDC memory, DWORD* p) {
        std::fill(p, p + width * height, background);
        DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    });
    ReleaseDC(nullptr, screen);
    return pixels;
}

long long Distance(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
    if (a.size() != b.size() || a.empty()) return LLONG_MAX;
    long long sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            sum += std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF));
    return sum;
}

BoxIcon IdentifyIconOnce(HWND iconControl) {
    RECT r;
    if (!GetWindowRect(iconControl, &r)) return BoxIcon::None;
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return BoxIcon::None;
    RedrawWindow(iconControl, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    HDC screen = GetDC(nullptr);
    const std::vector<DWORD> shown = Capture(screen, r.left, r.top, width, height);
    ReleaseDC(nullptr, screen);
    if (shown.empty()) return BoxIcon::None;

    const std::pair<BoxIcon, LPCWSTR> candidates[] = {
        {BoxIcon::Stop, IDI_HAND},
        {BoxIcon::Question, IDI_QUESTION},
        {BoxIcon::Exclamation, IDI_EXCLAMATION},
        {BoxIcon::Information, IDI_ASTERISK},
    };
    BoxIcon best = BoxIcon::None;
    // An empty control (plain background) must beat every icon to count.
    long long bestDistance = Distance(shown, std::vector<DWORD>(shown.size(), shown[0]));
    for (const auto& [icon, id] : candidates) {
        const long long d = Distance(shown, Render(LoadIconW(nullptr, id), width, height, shown[0]));
        if (d < bestDistance) {
            bestDistance = d;
            best = icon;
        }
    }
    return best;
}

}  // namespace

const char* Name(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::None: return "none";
        case BoxIcon::Stop: return "stop";
        case BoxIcon::Question: return "question";
        case BoxIcon::Exclamation: return "exclamation";
        case BoxIcon::Information: return "information";
    }
    return "?";
}

HWND FindVisibleWindow(DWORD pid, const wchar_t* windowClass) {
    Search search{pid, windowClass, nullptr};
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::optional<BoxInfo> WaitForMessageBox(DWORD pid, DWORD timeoutMs, HANDLE stop) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = FindVisibleWindow(pid, L"#32770")) {
            // Let it finish painting before its pixels are read.
            Sleep(150);
            if (IsWindow(found)) return ReadMessageBox(found);
        }
        if (stop && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) return std::nullopt;
        if (GetTickCount() - start > timeoutMs) return std::nullopt;
        Sleep(30);
    }
}

BoxInfo ReadMessageBox(HWND box) {
    BoxInfo info;
    info.window = box;
    info.owner = GetWindow(box, GW_OWNER);
    info.title = WindowText(box);

    Children children;
    EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&children));
    std::vector<std::pair<LONG, int>> buttons;
    for (HWND child : children.all) {
        if (!IsWindowVisible(child)) continue;
        wchar_t cls[16] = {};
        GetClassNameW(child, cls, 16);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        const int id = GetDlgCtrlID(child);
        if (_wcsicmp(cls, L"Button") == 0) {
            RECT r;
            GetWindowRect(child, &r);
            buttons.emplace_back(r.left, id);
            // The one the user sees framed, and Enter presses.
            if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) info.defaultButton = id;
        } else if (_wcsicmp(cls, L"Static") == 0) {
            if ((style & SS_TYPEMASK) == SS_ICON)
                info.icon = IdentifyIcon(child);
            else if (id == kTextId)
                info.text = WindowText(child);
        }
    }
    std::sort(buttons.begin(), buttons.end());
    for (const auto& button : buttons) info.buttons.push_back(button.second);
    return info;
}

bool PressButton(const BoxInfo& box, int buttonId, DWORD timeoutMs) {
    HWND button = GetDlgItem(box.window, buttonId);
    if (!button) return false;
    PostMessageW(button, BM_CLICK, 0, 0);
    return WaitGone(box.window, timeoutMs);
}

bool CloseBox(const BoxInfo& box, DWORD timeoutMs) {
    PostMessageW(box.window, WM_CLOSE, 0, 0);
    return WaitGone(box.window, timeoutMs);
}

BoxIcon IdentifyIcon(HWND iconControl) {
    // Read from the screen: boxes of other programs may cover this one or
    // vanish over it meanwhile, so raise it first and look again on nothing.
    BoxIcon icon = BoxIcon::None;
    for (int attempt = 0; attempt < 5 && icon == BoxIcon::None && IsWindowVisible(iconControl); ++attempt) {
        if (attempt > 0) Sleep(50);
        SetWindowPos(GetAncestor(iconControl, GA_ROOT), HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        icon = IdentifyIconOnce(iconControl);
    }
    return icon;
}

}  // namespace falvori::test
