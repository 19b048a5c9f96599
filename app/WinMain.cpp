// The Windows program's start: the tables, then the command line, which
// either converts one file and ends the program or returns for the window.
#include <windows.h>

#include <delayimp.h>

#include <new>

#include "core/Core.h"
#include "core/Fault.h"
#include "platform/win32/Win32Platform.h"
#include "ui/Haupt.h"

namespace {

// The window's DLLs are delay-loaded (app/win32.cmake). One that cannot be
// loaded, or lacks a function, would raise an exception nothing catches and
// leave a script waiting on the system's crash dialog: end as a fault does.
FARPROC WINAPI DelayLoadFailed(unsigned, PDelayLoadInfo) { ExitProcess(falvori::kExitFatal); }

}  // namespace

extern "C" {
PfnDliHook __pfnDliFailureHook2 = DelayLoadFailed;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Delay-loaded DLLs come from System32 only, never from the program's
    // folder: mpr.dll is no KnownDLL, and a download folder may hold one.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // A drive without a medium answers with an error for our own box instead
    // of the system's "insert a disk" dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    falvori::Win32Platform platform;
    try {
        // The window owns the core. Its load step reads the tables and the
        // command line and returns only when the window is to be shown, so a
        // batch run never creates the window at all.
        falvori::ui::Haupt haupt(platform);
        haupt.Laden();
        if (!haupt.Create(instance)) return falvori::kExitFatal;
        platform.SetOwnerWindow(haupt.Handle());
        haupt.Show(showCommand);
        return haupt.Run();
    } catch (const std::bad_alloc&) {
        falvori::ReportFault(platform, {7, "Nicht genügend Speicher"});
    }
}
