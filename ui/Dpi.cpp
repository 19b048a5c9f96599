#include "ui/Dpi.h"

#include "ui/controls/GdiOwners.h"

namespace falvori::ui {

namespace {

// user32 is delay-loaded: GetModuleHandleW finds it only after a first call
// into it, and the statics below would keep that miss for good.
template <typename F>
F UserFunction(const char* name) {
    const HMODULE user32 = LoadLibraryExW(L"user32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

UINT SystemDpi() {
    const WindowDC screen(nullptr);
    const UINT dpi = screen.Get() ? static_cast<UINT>(GetDeviceCaps(screen.Get(), LOGPIXELSY)) : 96;
    return dpi ? dpi : 96;
}

}  // namespace

UINT WindowDpi(HWND hwnd) {
    using Fn = UINT(WINAPI*)(HWND);
    static const Fn getDpiForWindow = UserFunction<Fn>("GetDpiForWindow");
    UINT dpi = getDpiForWindow ? getDpiForWindow(hwnd) : 0;
    return dpi ? dpi : SystemDpi();
}

SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi) {
    using Fn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const Fn adjustForDpi = UserFunction<Fn>("AdjustWindowRectExForDpi");
    RECT r{0, 0, clientWidth, clientHeight};
    if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, dpi)) AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

HFONT CreateMessageFont(UINT dpi) {
    using Fn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const Fn parametersForDpi = UserFunction<Fn>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (parametersForDpi && parametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return CreateFontIndirectW(&metrics.lfMessageFont);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi),
                                            static_cast<int>(SystemDpi()));
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

}  // namespace falvori::ui
