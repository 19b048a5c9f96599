// The platform for the Windows program: the wide-character Win32 API, with
// UTF-8 converted at this edge.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "Platform.h"
#include "UniqueHandle.h"

namespace falvori {

class Win32Platform : public Platform {
public:
    // Boxes get this window as their owner (none: boxes of their own).
    void setOwnerWindow(HWND owner) { owner_ = owner; }

    std::string commandLine() override;
    std::string programFolder() override;
    std::string environmentVariable(const std::string& name) override;
    std::string fallbackTempFolder() override { return "c:"; }
    char separator() override { return '\\'; }
    [[noreturn]] void endProgram(int status) override;

    int messageBox(const std::string& text, const std::string& title, MsgIcon icon,
                   MsgButtons buttons) override;

    std::unique_ptr<File> openForReading(const std::string& path, Failure& failure) override;
    std::unique_ptr<File> createForWriting(const std::string& path, Failure& failure) override;
    Failure fileExists(const std::string& path, bool& present) override;
    Failure deleteFile(const std::string& path) override;
    Failure copyFile(const std::string& from, const std::string& to) override;
    Failure endOfFileFailure() override;

private:
    HWND owner_ = nullptr;
    // Files made by createForWriting stay open, and closed to everybody else,
    // until deleteFile removes them: another conversion using the same
    // intermediate name cannot write into it between our close and copy.
    struct Held {
        std::shared_ptr<UniqueHandle> handle;
        // Renamed into the destination: the name is no longer ours, and
        // deleting it would delete the destination.
        bool moved = false;
    };
    std::map<std::string, Held> held_;
};

}  // namespace falvori
