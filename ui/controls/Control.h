// A thin layer over the standard Win32 controls, one small class per kind.
//
// Contract of every control in this layer:
// - A property set from code raises the control's event at once, nested
//   inside the setter, exactly once, just as the user's action would.
// - SetDrive and SetFolder raise nothing when the value equals the current
//   one.
// - A native notification that a set from code causes (EN_CHANGE after
//   WM_SETTEXT and the like) never raises the event a second time.
// - A control shows what it is given; it never reads the disk and shows no
//   message box. The window reads (platform/win32/Folders) and answers
//   failures.
//
// The parent window hands its WM_COMMAND, WM_DRAWITEM and WM_CTLCOLOR*
// messages to the control they concern (FromHandle), and its message loop
// calls RaiseKeyDown before IsDialogMessageW so that keys the dialog manager
// would otherwise consume (Esc, Enter, Tab) reach onKeyDown first.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace falvori::ui {

class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    HWND Handle() const { return hwnd_; }
    int Id() const { return GetDlgCtrlID(hwnd_); }

    bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
    void SetEnabled(bool on) { EnableWindow(hwnd_, on ? TRUE : FALSE); }
    void SetFocus() { ::SetFocus(hwnd_); }

    // Raised when the control becomes the window's active control. Focus
    // that comes back after a message box or another program does not count.
    std::function<void()> onGotFocus;
    // Raised for WM_KEYDOWN before dialog navigation; return true to swallow
    // the key.
    std::function<bool(unsigned key)> onKeyDown;

    // The control object behind a child window of this layer, or nullptr.
    static Control* FromHandle(HWND hwnd);
    // For the message loop: raises onKeyDown of the control the key is for.
    // True when a handler swallowed the key.
    static bool RaiseKeyDown(const MSG& msg);

    // Reflected from the parent window. True when the control handled the
    // notification; the window passes on what it did not.
    virtual bool OnCommand(UINT /*code*/) { return false; }
    virtual bool OnDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
    // A brush for WM_CTLCOLOR*, or nullptr for the default colours.
    virtual HBRUSH OnCtlColor(HDC /*dc*/) { return nullptr; }

protected:
    // Creates the child window and hooks this object into it.
    bool CreateChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style,
                     DWORD exStyle, int id);
    // Messages of the control itself; the default hands them on unchanged.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT CallDefault(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR subclassId, DWORD_PTR refData);
    void NoteFocus();

    HWND hwnd_ = nullptr;
};

}  // namespace falvori::ui
