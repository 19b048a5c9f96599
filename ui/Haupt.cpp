// The main window's mechanics: creation, layout at the window's DPI, the
// message table beside the table of events and their handlers, and the
// message loop. The handlers live in the files Haupt.h names.
#include "ui/Haupt.h"

#include <commctrl.h>

#include "ui/Dpi.h"
#include "ui/Folders.h"
#include "ui/Layout.h"
#include "ui/Resources.h"

namespace falvori::ui {

namespace {

constexpr const wchar_t* kWindowClass = L"FalvoriHaupt";
constexpr const wchar_t* kCaption = L"Falvori";
// A fixed border without minimise and maximise: the layout never changes.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = 0;
constexpr UINT kFertigInterval = 400;

HICON LoadIconSized(HINSTANCE instance, int id, int size) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

Haupt::Haupt(Platform& platform) : core(platform) {}

Haupt::~Haupt() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool Haupt::Create(HINSTANCE instance) {
    // comctl32 is delay-loaded: its version 6 classes (the manifest asks for
    // them) are registered here, before the first control is made. Without
    // them the controls are user32's own, which still work.
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    bigIcon_.Reset(LoadIconSized(instance, IDI_FALVORI, GetSystemMetrics(SM_CXICON)));
    smallIcon_.Reset(LoadIconSized(instance, IDI_FALVORI, GetSystemMetrics(SM_CXSMICON)));
    gleichmachenPicture_.Reset(LoadIconSized(instance, IDI_GLEICHMACHEN, 32));

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = bigIcon_.Get();
    windowClass.hIconSm = smallIcon_.Get();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    CreateWindowExW(kExStyle, kWindowClass, kCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (!hwnd_) return false;
    // The class may have been registered by an earlier window with other icons.
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.Get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
    return true;
}

void Haupt::Laden() {
    core.TabelleLaden();
    core.BefehlszeileAuswerten();
}

void Haupt::Show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    if (activated_) return;
    activated_ = true;
    Activated();
    if (!IsChild(hwnd_, GetFocus())) lstLaufwerk1.SetFocus();
}

int Haupt::Run() {
    running_ = true;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateDialogMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    running_ = false;
    return static_cast<int>(msg.wParam);
}

bool Haupt::TranslateDialogMessage(MSG& msg) {
    if (!hwnd_) return false;
    if (Control::RaiseKeyDown(msg)) return true;
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

LRESULT CALLBACK Haupt::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Haupt* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<Haupt*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Haupt*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = self->HandleMessage(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

LRESULT Haupt::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:         return OnCreate();
    case WM_ACTIVATE:       return OnActivate(LOWORD(wParam));
    case WM_COMMAND:        return OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam), wParam, lParam);
    case WM_DRAWITEM:       return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_MEASUREITEM:    return OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_CTLCOLOREDIT:   return OnCtlColor(msg, wParam, lParam);
    case WM_TIMER:          return OnTimer(wParam);
    case WM_LBUTTONDBLCLK:  return OnSurfaceDblClick();
    case WM_DPICHANGED:     return OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    case DM_GETDEFID:       return defaultButton_.GetDefId();
    case DM_SETDEFID:       return defaultButton_.SetDefId(hwnd_, static_cast<int>(wParam));
    case WM_DESTROY:        return OnDestroy();
    default:                return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

// Which handler answers which event; the handlers come after the controls
// have their starting states, so setting those raises nothing.
void Haupt::ConnectEvents() {
    lstLaufwerk1.onGotFocus = [this] { GemerktesLaufwerk = lstLaufwerk1.Drive(); };
    lstLaufwerk2.onGotFocus = [this] { GemerktesLaufwerk = lstLaufwerk2.Drive(); };
    lstLaufwerk1.onDropDown = [this] { DriveListOpening(lstLaufwerk1); };
    lstLaufwerk2.onDropDown = [this] { DriveListOpening(lstLaufwerk2); };
    lstLaufwerk1.onChange = [this] { DriveChanged(lstLaufwerk1, lstOrdner1); };
    lstLaufwerk2.onChange = [this] { DriveChanged(lstLaufwerk2, lstOrdner2); };
    lstOrdner1.onChange = [this] { SourceFolderChanged(); };
    lstOrdner1.onClick = [this] { SourceFolderClicked(); };
    lstOrdner1.onOpen = [this](const std::wstring& folder) { FolderOpened(lstOrdner1, folder); };
    lstOrdner2.onChange = [this] { DestinationFolderChanged(); };
    lstOrdner2.onClick = [this] { DestinationFolderClicked(); };
    lstOrdner2.onOpen = [this](const std::wstring& folder) { FolderOpened(lstOrdner2, folder); };
    lstDateien1.onClick = [this] { SourceFileClicked(); };
    lstDateien1.onDblClick = [this] { Gleichmachen(); };
    lstDateien1.onDrop = [this](const std::vector<std::wstring>& paths) { SourceFilesDropped(paths); };
    lstDateien2.onClick = [this] { DestinationFileClicked(); };
    txtDatei2.onChange = [this] { NameChanged(); };
    btnGleichmachen.onClick = [this] { Gleichmachen(); };
    btnLos.onClick = [this] { LosClicked(); };
    timFertig.onTick = [this] { FertigTick(); };
    onSurfaceDblClick = [this] { SurfaceDblClicked(); };
    // Not the option buttons: Esc there does nothing.
    for (Control* control : std::initializer_list<Control*>{&btnGleichmachen, &btnLos, &lstLaufwerk1, &lstOrdner1,
                                                            &lstDateien1, &lstLaufwerk2, &lstOrdner2, &lstDateien2,
                                                            &txtDatei2})
        control->onKeyDown = [this](unsigned key) { return KeyDown(key); };
}

LRESULT Haupt::OnCreate() {
    dpi_ = WindowDpi(hwnd_);
    font_.Reset(CreateMessageFont(dpi_));
    if (!CreateControls()) return -1;
    ConnectEvents();
    ApplyLayout();
    return 0;
}

bool Haupt::CreateControls() {
    bool created = lstLaufwerk1.Create(hwnd_, kIdLstLaufwerk1) && lstOrdner1.Create(hwnd_, kIdLstOrdner1) &&
                   lstDateien1.Create(hwnd_, kIdLstDateien1, FileList::Drops::Accepted) &&
                   btnGleichmachen.Create(hwnd_, kIdBtnGleichmachen, L"", gleichmachenPicture_.Get()) &&
                   optMacWin.Create(hwnd_, kIdOptMacWin, L"&Mac -> Win", OptionButton::Group::Starts) &&
                   optWinMac.Create(hwnd_, kIdOptWinMac, L"&Win -> Mac", OptionButton::Group::Continues) &&
                   lstLaufwerk2.Create(hwnd_, kIdLstLaufwerk2) && lstOrdner2.Create(hwnd_, kIdLstOrdner2) &&
                   lstDateien2.Create(hwnd_, kIdLstDateien2, FileList::Drops::Refused) &&
                   fraMW.Create(hwnd_, kIdFraMW) &&
                   txtDatei2.Create(hwnd_, kIdTxtDatei2) && btnLos.Create(hwnd_, kIdBtnLos, L"&los");
    if (!created) return false;
    std::vector<std::wstring> drives = DriveTexts();
    lstLaufwerk1.SetDrives(drives);
    lstLaufwerk2.SetDrives(drives);
    btnGleichmachen.SetDefault(true);
    btnLos.SetEnabled(false);
    optMacWin.SetValue(true);
    timFertig.Create(hwnd_, kIdTimFertig, kFertigInterval);
    return true;
}

void Haupt::ApplyLayout() {
    for (const Placement& placement : kLayout) {
        HWND control = GetDlgItem(hwnd_, placement.id);
        RECT r = PixelRect(placement, dpi_);
        // A drop-down list's height is that of its open list; closed, the
        // platform sizes it to the font.
        if (placement.openLines) r.bottom = r.top + placement.openLines * FolderLineHeight();
        SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    }
    lstOrdner1.SetItemHeight(FolderLineHeight());
    lstOrdner2.SetItemHeight(FolderLineHeight());
    SIZE size = WindowSizeForClient(TwipsToPixels(kClientWidth, dpi_), TwipsToPixels(kClientHeight, dpi_), kStyle,
                                    kExStyle, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Haupt::FolderLineHeight() {
    WindowDC dc(hwnd_);
    SelectedObject useFont(dc.Get(), font_ ? static_cast<HGDIOBJ>(font_.Get()) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.Get(), &metrics);
    int picture = MulDiv(16, static_cast<int>(dpi_), 96);
    return (metrics.tmHeight > picture ? metrics.tmHeight : picture) + MulDiv(2, static_cast<int>(dpi_), 96);
}

LRESULT Haupt::OnActivate(WORD state) {
    if (state == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) focusBeforeDeactivation_ = focus;
        return 0;
    }
    // Show() sets the first focus once the pickers have their drives.
    if (!activated_) return 0;
    HWND target = focusBeforeDeactivation_ && IsChild(hwnd_, focusBeforeDeactivation_) ? focusBeforeDeactivation_
                                                                                         : lstLaufwerk1.Handle();
    SetFocus(target);
    return 0;
}

LRESULT Haupt::OnCommand(HWND control, UINT code, WPARAM wParam, LPARAM lParam) {
    Control* target = Control::FromHandle(control);
    if (target && target->OnCommand(code)) return 0;
    return DefWindowProcW(hwnd_, WM_COMMAND, wParam, lParam);
}

LRESULT Haupt::OnDrawItem(const DRAWITEMSTRUCT& item) {
    Control* target = Control::FromHandle(item.hwndItem);
    return target && target->OnDrawItem(item) ? TRUE : FALSE;
}

LRESULT Haupt::OnMeasureItem(MEASUREITEMSTRUCT& item) {
    item.itemHeight = static_cast<UINT>(FolderLineHeight());
    return TRUE;
}

LRESULT Haupt::OnCtlColor(UINT msg, WPARAM wParam, LPARAM lParam) {
    Control* target = Control::FromHandle(reinterpret_cast<HWND>(lParam));
    if (HBRUSH brush = target ? target->OnCtlColor(reinterpret_cast<HDC>(wParam)) : nullptr)
        return reinterpret_cast<LRESULT>(brush);
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT Haupt::OnTimer(UINT_PTR id) {
    timFertig.OnTimer(id);
    return 0;
}

LRESULT Haupt::OnSurfaceDblClick() {
    if (onSurfaceDblClick) onSurfaceDblClick();
    return 0;
}

LRESULT Haupt::OnDpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    OwnedFont previous = std::move(font_);  // the controls use it until they have the new one
    font_.Reset(CreateMessageFont(dpi_));
    ApplyLayout();
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT Haupt::OnDestroy() {
    if (running_) PostQuitMessage(0);
    return 0;
}

}  // namespace falvori::ui
