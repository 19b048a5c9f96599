// Starts a program with a command line and follows it to its end: its
// message boxes (see MessageBoxProbe.h) and its exit code.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "tests/wine/MessageBoxProbe.h"

namespace falvori::test {

class ProgramRun {
public:
    // The program sees "<program>" arguments as its command line (only the
    // quoted program when arguments is empty).
    ProgramRun(const std::wstring& program, const std::wstring& arguments);
    ~ProgramRun();  // a program still running is ended
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return process_ != nullptr; }
    DWORD StartError() const { return startError_; }
    DWORD Pid() const { return pid_; }

    // The next box the program shows; none when it ends first or timeoutMs pass.
    std::optional<BoxInfo> WaitForBox(DWORD timeoutMs = 15000);
    // The exit code; none while it still runs after timeoutMs.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = 15000);

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    DWORD startError_ = 0;
};

}  // namespace falvori::test
