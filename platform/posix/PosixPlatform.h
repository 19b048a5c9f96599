// The platform for the Linux command-line program: boxes become lines on
// stderr, questions are asked on the terminal when there is one.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Platform.h"

namespace falvori {

class PosixPlatform : public Platform {
public:
    PosixPlatform(int argc, char** argv);

    // The words are read by ReadOptions; there is no one line to scan.
    std::string CommandLine() override { return {}; }
    Result<std::string> ProgramFolder() override;
    // --table, else the first of TablePlaces() that exists.
    std::optional<Result<std::string>> TableFile() override;
    void SetTableOption(std::optional<std::string> path) { tableOption_ = std::move(path); }
    // Where the table file is looked for without --table, in that order:
    // the user's, beside the program, the system's, the installed default.
    std::vector<std::string> TablePlaces();
    std::string EnvironmentVariable(const std::string& name) override;
    std::string FallbackTempFolder() override;
    char Separator() override { return '/'; }
    [[noreturn]] void EndProgram(int status) override;

    int ShowBox(const std::string& text, const std::string& title, MsgIcon icon,
                   MsgButtons buttons) override;
    // "falvori: PATH: ACTION: SYSTEM TEXT" on stderr, then the question.
    int FailureBox(const Failure& failure, const Doing& doing) override;
    void ShowFailure(const Failure& failure, const Doing& doing) override;
    // A warning line; nothing to answer.
    int WarningBox(const Failure& failure, const Doing& doing) override;
    void TableFailureBox(const std::string& reason, const std::string& path) override;
    void FaultBox(int number, const std::string& text, const std::string& path) override;

    Result<std::unique_ptr<File>> OpenForReading(const std::string& path) override;
    Result<std::unique_ptr<Intermediate>> CreateIntermediate(const std::string& path) override;
    Result<bool> FileExists(const std::string& path) override;
    Failure EndOfFileFailure() override;

    bool HasStandardStreams() override { return true; }
    // "-", and /dev/stdout, /dev/fd/N and the like for a descriptor the
    // program was started with: written there, in its own mode (append too).
    bool NamesOutputStream(const std::string& path) override;
    Result<std::unique_ptr<File>> OpenOutputStream(const std::string& path, const File& source) override;

private:
    Result<std::unique_ptr<File>> OpenStandardInput();
    // Retry/Cancel or Yes/No on the terminal; without one, Cancel or No.
    int AskOnTerminal(bool retry);

    std::optional<std::string> tableOption_;
    unsigned closedAtStart_ = 0;   // standard descriptors closed when we started, as bits
    bool inputIsSource_ = false;   // standard input is data, not answers
    std::vector<int> startedWith_;  // descriptors named by a word that were open at start
    std::string privateTempFolder_;  // our own, when neither temp nor TMPDIR names one
};

// path as one line on a terminal: control characters become '?'.
std::string PrintablePath(const std::string& path);

}  // namespace falvori
