// The platform for the Linux command-line program: boxes become lines on
// stderr, questions are asked on the terminal when there is one.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform.h"

namespace falvori {

class PosixPlatform : public Platform {
public:
    PosixPlatform(int argc, char** argv);

    // The words are used as they are; there is no one line to scan.
    std::string CommandLine() override { return {}; }
    std::optional<std::vector<std::string>> CommandWords() override { return words_; }
    Result<std::string> ProgramFolder() override;
    std::string SharedDataFolder() override;
    std::string EnvironmentVariable(const std::string& name) override;
    std::string FallbackTempFolder() override;
    char Separator() override { return '/'; }
    [[noreturn]] void EndProgram(int status) override;
    void ShowUsage(const std::string& problem) override;

    int ShowBox(const std::string& text, const std::string& title, MsgIcon icon,
                   MsgButtons buttons) override;
    // "falvori: PATH: ACTION: SYSTEM TEXT" on stderr, then the question.
    int FailureBox(const Failure& failure, const Doing& doing) override;
    void ShowFailure(const Failure& failure, const Doing& doing) override;
    // A warning line; nothing to answer.
    int WarningBox(const Failure& failure, const Doing& doing) override;

    std::unique_ptr<File> OpenForReading(const std::string& path, Failure& failure) override;
    std::unique_ptr<Intermediate> CreateIntermediate(const std::string& path, Failure& failure) override;
    Failure FileExists(const std::string& path, bool& present) override;
    Failure EndOfFileFailure() override;

    bool HasStandardStreams() override { return true; }
    // "-", and /dev/stdout, /dev/fd/N and the like for a descriptor the
    // program was started with: written there, in its own mode (append too).
    bool NamesOutputStream(const std::string& path) override;
    std::unique_ptr<File> OpenOutputStream(const std::string& path, const File& source, Failure& failure) override;

private:
    std::unique_ptr<File> OpenStandardInput(Failure& failure);
    // Retry/Cancel or Yes/No on the terminal; without one, Cancel or No.
    int AskOnTerminal(bool retry);

    std::vector<std::string> words_;
    unsigned closedAtStart_ = 0;   // standard descriptors closed when we started, as bits
    bool inputIsSource_ = false;   // standard input is data, not answers
    std::vector<int> startedWith_;  // descriptors named by a word that were open at start
    std::string privateTempFolder_;  // our own, when neither temp nor TMPDIR names one
};

// How the program is called, for a command line it does not understand.
inline constexpr const char* kUsageLine =
    "Aufruf: falvori m|w QUELLDATEI [ZIELDATEI]   (m: Mac -> Win, w: Win -> Mac)";

// path as one line on a terminal: control characters become '?'.
std::string PrintablePath(const std::string& path);

}  // namespace falvori
