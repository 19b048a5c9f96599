// The platform for the Linux command-line program: boxes become lines on
// stderr, questions are asked on the terminal when there is one.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "Platform.h"

namespace falvori {

class PosixPlatform : public Platform {
public:
    PosixPlatform(int argc, char** argv);

    std::string commandLine() override { return commandLine_; }
    std::string programFolder() override;
    std::string environmentVariable(const std::string& name) override;
    std::string fallbackTempFolder() override;
    char separator() override { return '/'; }
    [[noreturn]] void endProgram(int status) override;
    void showUsage() override;

    int messageBox(const std::string& text, const std::string& title, MsgIcon icon,
                   MsgButtons buttons) override;

    std::unique_ptr<File> openForReading(const std::string& path, Failure& failure) override;
    std::unique_ptr<File> createForWriting(const std::string& path, Failure& failure) override;
    Failure fileExists(const std::string& path, bool& present) override;
    Failure deleteFile(const std::string& path) override;
    Failure copyFile(const std::string& from, const std::string& to) override;
    Failure endOfFileFailure() override;

private:
    void releaseLock(const std::string& path);

    std::string commandLine_;
    // The intermediate file stays locked after it is closed, until it is
    // deleted, so that another conversion cannot write into it meanwhile.
    std::map<std::string, int> heldLocks_;
};

// The system's description of errno value err.
Failure ErrnoFailure(int err);

// Words joined by single blanks, a word with a blank (or none at all) in
// double quotes: the one command-line text the core takes apart.
std::string JoinArguments(const std::vector<std::string>& words);

}  // namespace falvori
