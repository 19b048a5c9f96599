// The platform for the Linux command-line program: boxes become lines on
// stderr, questions are asked on the terminal when there is one.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform.h"
#include "PosixReplace.h"

namespace falvori {

class PosixPlatform : public Platform {
public:
    PosixPlatform(int argc, char** argv);

    // The words are used as they are; there is no one line to scan.
    std::string CommandLine() override { return {}; }
    std::optional<std::vector<std::string>> CommandWords() override { return words_; }
    std::string ProgramFolder() override;
    std::string SharedDataFolder() override;
    std::string EnvironmentVariable(const std::string& name) override;
    std::string FallbackTempFolder() override;
    char Separator() override { return '/'; }
    [[noreturn]] void EndProgram(int status) override;
    void ShowUsage() override;

    int ShowBox(const std::string& text, const std::string& title, MsgIcon icon,
                   MsgButtons buttons) override;
    // "falvori: PATH: ACTION: SYSTEM TEXT" on stderr, then the question.
    int FailureBox(const Failure& failure, const Doing& doing) override;
    void ShowFailure(const Failure& failure, const Doing& doing) override;

    std::unique_ptr<File> OpenForReading(const std::string& path, Failure& failure) override;
    std::unique_ptr<File> CreateForWriting(const std::string& path, Failure& failure) override;
    Failure FileExists(const std::string& path, bool& present) override;
    Failure RemoveFile(const std::string& path) override;
    Failure PlaceFile(const std::string& from, const std::string& to) override;
    Failure EndOfFileFailure() override;

    bool HasStandardStreams() override { return true; }
    std::unique_ptr<File> OpenStandardOutput(const File& source, Failure& failure) override;

private:
    void ReleaseLock(const std::string& path);
    std::unique_ptr<File> OpenStandardInput(Failure& failure);
    // Retry/Cancel or Yes/No on the terminal; without one, Cancel or No.
    int AskOnTerminal(bool retry);

    std::vector<std::string> words_;
    unsigned closedAtStart_ = 0;   // standard descriptors closed when we started, as bits
    bool inputIsSource_ = false;   // standard input is data, not answers
    // The intermediate file stays locked after it is closed, until it is
    // deleted, so that another conversion cannot write into it meanwhile.
    std::map<std::string, HeldIntermediate> held_;
    std::string privateTempFolder_;  // checked before the intermediate file is made in it
};

// The system's description of errno value err.
Failure ErrnoFailure(int err);

// How the program is called, for a command line it does not understand.
inline constexpr const char* kUsageLine =
    "Aufruf: falvori m|w QUELLDATEI [ZIELDATEI]   (m: Mac -> Win, w: Win -> Mac)";

// path as one line on a terminal: control characters become '?'.
std::string PrintablePath(const std::string& path);

}  // namespace falvori
