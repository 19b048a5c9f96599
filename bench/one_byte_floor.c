/* The floor for Falvori.exe's 1-byte conversion under Wine: a program that
   imports only KERNEL32 and writes one byte into the new file its command
   line names after the program's own name (in quotes or not). No C
   runtime: this is the program's entry point. */
#include <windows.h>

void WinMainCRTStartup(void) {
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        for (++p; *p && *p != L'"'; ++p) {
        }
        if (*p) ++p;
    } else {
        while (*p && *p != L' ') ++p;
    }
    while (*p == L' ') ++p;
    static wchar_t path[32768];
    const BOOL quoted = *p == L'"';
    if (quoted) ++p;
    DWORD n = 0;
    while (*p && !(quoted && *p == L'"') && n + 1 < sizeof path / sizeof path[0]) path[n++] = *p++;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    BOOL ok = file != INVALID_HANDLE_VALUE && WriteFile(file, "\xe4", 1, &written, NULL) && written == 1;
    if (file != INVALID_HANDLE_VALUE && !CloseHandle(file)) ok = FALSE;
    ExitProcess(ok ? 0 : 1);
}
