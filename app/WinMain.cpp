// The Windows program's start: the tables, then the command line, which
// either converts one file and ends the program or returns for the window.
#include <windows.h>

#include <new>

#include "Core.h"
#include "Fault.h"
#include "Win32Platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // A drive without a medium answers with an error for our own box instead
    // of the system's "insert a disk" dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    falvori::Win32Platform platform;
    try {
        falvori::Core core(platform);
        core.TabelleLaden();
        core.BefehlszeileAuswerten();

        return 0;  // WINDOW: the main window starts here.
    } catch (const std::bad_alloc&) {
        falvori::ReportFault(platform, {7, "Nicht genügend Speicher"});
    }
}
