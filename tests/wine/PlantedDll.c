/* Planted beside the program under the name of a window DLL: loading it
   ends the program with exit code 42. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) ExitProcess(42);
    return TRUE;
}
