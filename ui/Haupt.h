// The main window: the source side (drive, folder and file list), the
// direction choice and make-equal button, the destination side with the
// name box, and the button that converts. It owns the conversion core.
//
// Haupt.cpp creates it, lays it out and wires every event to its handler
// (ConnectEvents); the handlers live in Pickers.cpp, Reading.cpp,
// ConversionCommand.cpp, MakeEqual.cpp, FileDrop.cpp and Shortcuts.cpp.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/Core.h"
#include "core/InstrVonRechts.h"
#include "ui/controls/CommandButton.h"
#include "ui/controls/DefaultButton.h"
#include "ui/controls/DriveList.h"
#include "ui/controls/FileList.h"
#include "ui/controls/FolderList.h"
#include "ui/controls/Frame.h"
#include "ui/controls/GdiOwners.h"
#include "ui/controls/OptionButton.h"
#include "ui/controls/TextBox.h"
#include "ui/controls/Timer.h"

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

    // What the pickers read from the disk, handed to a list. Each returns
    // the Win32 error (0 = success) and shows nothing; the list raises its
    // events as its setter documents.
    // The drive of text's first letter; the drives are listed anew when
    // the list does not have it yet.
    Failure ChooseDrive(DriveList& laufwerk, const std::wstring& text);
    // Opens a folder, relative to the open one; "d:" is that drive's
    // current folder. Nothing happens for the folder already open; on
    // failure the list stays as it was.
    Failure OpenFolder(FolderList& ordner, const std::wstring& text);
    // Reads the open folder again; raises nothing.
    Failure RereadFolder(FolderList& ordner);
    // Lists a folder's files, always reading it anew; no file is selected
    // afterwards. When the folder cannot be read the list is left empty.
    Failure ListFiles(FileList& dateien, const std::wstring& text);
    // Reads the listed folder again; the selected file stays selected
    // while it is still there.
    Failure RereadFiles(FileList& dateien);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // Messages.
    LRESULT OnCreate();
    LRESULT OnActivate(WORD state);
    LRESULT OnCommand(HWND control, UINT code, WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT OnMeasureItem(MEASUREITEMSTRUCT& item);
    LRESULT OnCtlColor(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(UINT_PTR id);
    LRESULT OnSurfaceDblClick();
    LRESULT OnDpiChanged(UINT dpi, const RECT& suggested);
    LRESULT OnDestroy();

    // Building, wiring and laying out.
    bool CreateControls();
    void ConnectEvents();
    void ApplyLayout();
    int FolderLineHeight();

    // The pickers' handlers.
    void Activated();
    void DriveChanged(DriveList& laufwerk, FolderList& ordner);
    void DriveListOpening(DriveList& laufwerk);
    void FolderOpened(FolderList& ordner, const std::wstring& folder);
    void SourceFolderChanged();
    void SourceFolderClicked();
    void DestinationFolderChanged();
    void DestinationFolderClicked();
    void NameChanged();
    void SourceFileClicked();
    void DestinationFileClicked();
    void ApplyEnablingRule();
    // Runs a step that returns a Win32 error until it succeeds or the user
    // cancels the failure box. True when it succeeded.
    bool Retried(const std::function<Failure()>& step);

    // Converting, make-equal, the file drop, Esc and the about box.
    void LosClicked();
    void FertigTick();
    void Gleichmachen();
    void SourceFilesDropped(const std::vector<std::wstring>& paths);
    bool KeyDown(unsigned key);
    void SurfaceDblClicked();

    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    OwnedFont font_;
    OwnedIcon bigIcon_;
    OwnedIcon smallIcon_;
    OwnedIcon gleichmachenPicture_;
    DefaultButton defaultButton_;
    HWND focusBeforeDeactivation_ = nullptr;
    bool activated_ = false;
    bool running_ = false;
};

}  // namespace falvori::ui
