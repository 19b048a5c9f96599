// The main window: the source side (drive, folder and file list), the
// direction choice and make-equal button, the destination side with the
// name box, and the button that converts. It owns the conversion core.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include <functional>
#include <string>

#include "Core.h"
#include "InstrVonRechts.h"
#include "controls/CommandButton.h"
#include "controls/DefaultButton.h"
#include "controls/DriveList.h"
#include "controls/FileList.h"
#include "controls/FolderList.h"
#include "controls/Frame.h"
#include "controls/Handles.h"
#include "controls/OptionButton.h"
#include "controls/TextBox.h"
#include "controls/Timer.h"

namespace falvori::ui {

class Haupt {
public:
    explicit Haupt(Platform& platform);
    Haupt(const Haupt&) = delete;
    Haupt& operator=(const Haupt&) = delete;
    ~Haupt();

    // Creates the window and its controls in their starting states, hidden.
    bool Create(HINSTANCE instance);
    // The load step: reads the table file and the command line. Returns
    // only when the window is to be shown.
    void Laden();
    // Shows the window; the first time, the pickers move to drive c:.
    void Show(int showCommand);
    // The message loop; returns when the window has been closed.
    int Run();
    // For a message loop: key-down events first, then dialog keys (Tab,
    // Enter, Alt+letter, arrows). True when the message was handled.
    bool TranslateDialogMessage(MSG& msg);

    HWND Handle() const { return hwnd_; }
    UINT Dpi() const { return dpi_; }

    // The controls, in tab order.
    DriveList lstLaufwerk1;
    FolderList lstOrdner1;
    FileList lstDateien1;
    CommandButton btnGleichmachen;
    OptionButton optMacWin;
    OptionButton optWinMac;
    DriveList lstLaufwerk2;
    FolderList lstOrdner2;
    FileList lstDateien2;
    Frame fraMW;
    TextBox txtDatei2;
    CommandButton btnLos;
    Timer timFertig;

    Core core;
    // The drive a drive list had when it last received the focus.
    std::wstring GemerktesLaufwerk;

    // A double-click on the window's surface, outside the controls.
    std::function<void()> onSurfaceDblClick;

    // The done indication: txtDatei2 turns green until timFertig ticks.
    void Fertig();
    // The 1-based position of the last occurrence of gesuchteZeichen in
    // durchsuchterString, 0 when there is none.
    short InstrVonRechts(const std::wstring& durchsuchterString, const std::wstring& gesuchteZeichen) const {
        return falvori::InstrVonRechts(durchsuchterString, gesuchteZeichen);
    }
    // The file last dropped onto lstDateien1, and where its last "\" is.
    std::wstring AbgelegteDatei;
    short PosBackslash = 0;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // Messages.
    LRESULT OnCreate();
    LRESULT OnActivate(WORD state);
    LRESULT OnCommand(HWND control, UINT code);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT OnMeasureItem(MEASUREITEMSTRUCT& item);
    LRESULT OnCtlColor(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(UINT_PTR id);
    LRESULT OnSurfaceDblClick();
    LRESULT OnDpiChanged(UINT dpi, const RECT& suggested);
    LRESULT OnDestroy();

    // Building and laying out.
    bool CreateControls();
    void ConnectPickers();
    void ApplyLayout();
    int FolderLineHeight();

    // The pickers' handlers.
    void Activated();
    void DriveChanged(DriveList& laufwerk, FolderList& ordner);
    void SourceFolderChanged();
    void SourceFolderClicked();
    void DestinationFolderChanged();
    void DestinationFolderClicked();
    void NameChanged();
    void SourceFileClicked();
    void DestinationFileClicked();
    void ApplyEnablingRule();
    // Lists a folder in a file list; a failure is offered for Retry.
    void ListFiles(FileList& dateien, const std::wstring& path);
    // The failure box: the system's description, Retry and Cancel.
    bool AskRetry(DWORD error);

    // Converting, make-equal, the file drop, Esc and the about box.
    void ConnectCommands();
    void LosClicked();
    void FertigTick();
    void Gleichmachen();
    void SourceFilesDropped(const std::vector<std::wstring>& paths);
    bool KeyDown(unsigned key);
    void SurfaceDblClicked();
    // Runs a step that returns a Win32 error until it succeeds or the user
    // cancels the failure box. True when it succeeded.
    bool RetryStep(const std::function<DWORD()>& step);

    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    FontHandle font_;
    IconHandle bigIcon_;
    IconHandle smallIcon_;
    IconHandle gleichmachenPicture_;
    DefaultButton defaultButton_;
    HWND focusBeforeDeactivation_ = nullptr;
    bool activated_ = false;
    bool running_ = false;
};

}  // namespace falvori::ui
