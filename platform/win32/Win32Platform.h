// The platform for the Windows program: the wide-character Win32 API, with
// UTF-8 converted at this edge.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/Platform.h"
#include "platform/win32/Owned.h"

namespace falvori {

class Win32Platform : public Platform {
public:
    // Boxes get this window as their owner (none: boxes of their own).
    void SetOwnerWindow(HWND owner) { owner_ = owner; }

    std::string CommandLine() override;
    Result<std::string> ProgramFolder() override;
    std::string EnvironmentVariable(const std::string& name) override;
    std::string FallbackTempFolder() override { return "c:"; }
    char Separator() override { return '\\'; }
    [[noreturn]] void EndProgram(int status) override;

    int ShowBox(const std::string& text, const std::string& title, MsgIcon icon,
                   MsgButtons buttons) override;

    Result<std::unique_ptr<File>> OpenForReading(const std::string& path) override;
    Result<std::unique_ptr<Intermediate>> CreateIntermediate(const std::string& path) override;
    Result<bool> FileExists(const std::string& path) override;
    Failure EndOfFileFailure() override;

private:
    HWND owner_ = nullptr;
};

}  // namespace falvori
