// An in-memory platform for the core's tests: files with attributes, boxes
// answered from a script, and failures injected into any file step.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Core.h"
#include "core/Platform.h"
#include "tests/Boxes.h"

namespace falvori::test {

struct ProgramEnded {
    int status;
};

struct FakeEntry {
    std::string data;
    bool hidden = false;
    bool readOnly = false;
    bool folder = false;
};

// The file steps a test can make fail.
enum class Step { Open, Create, Read, Write, Close, Exists, Copy, Settle, Delete };

class FakePlatform : public Platform, public Boxes {
public:
    std::string commandLineText;
    bool standardStreams = false;                   // "-" is standard input and output
    std::string folder = "C:\\Prog";
    Failure folderFailure;  // the system cannot tell where the program lies
    std::optional<Result<std::string>> tableFile;  // set: the program chooses its table file
    std::map<std::string, std::string> environment{{"temp", "C:\\Temp"}};
    std::map<std::string, FakeEntry> files;
    std::map<Step, int> succeedFirst;  // how many times each step works before failing
    std::map<Step, int> failuresLeft;  // how many times each step then fails before it works
    std::size_t readChunk = 0;         // when set, reads deliver at most this many bytes
    int openFiles = 0;
    int fileOperations = 0;

    std::string CommandLine() override { return commandLineText; }
    Result<std::string> ProgramFolder() override { return {folder, folderFailure}; }
    std::optional<Result<std::string>> TableFile() override { return tableFile; }
    std::string EnvironmentVariable(const std::string& name) override;
    std::string FallbackTempFolder() override { return "c:"; }
    char Separator() override { return '\\'; }
    [[noreturn]] void EndProgram(int status) override { throw ProgramEnded{status}; }

    // Once the script has run out: Cancel, No or OK.
    int ShowBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override {
        const int unscripted = buttons == MsgButtons::RetryCancel ? kCancel
                               : buttons == MsgButtons::YesNo     ? kNo
                                                                  : kOk;
        return Answer(text, title, icon, buttons).value_or(unscripted);
    }

    Result<std::unique_ptr<File>> OpenForReading(const std::string& path) override;
    Result<std::unique_ptr<Intermediate>> CreateIntermediate(const std::string& path) override;
    Result<bool> FileExists(const std::string& path) override;
    Failure EndOfFileFailure() override { return {38, "Reached the end of the file."}; }

    // Standard input is the file "-"; standard output collects in kStandardOutput
    // and fails on a failing Write step like any file.
    bool HasStandardStreams() override { return standardStreams; }
    bool NamesOutputStream(const std::string& path) override { return standardStreams && path == "-"; }
    Result<std::unique_ptr<File>> OpenOutputStream(const std::string& path, const File& source) override;

    // True once, when step is due to fail.
    bool FailNow(Step step);
    std::string TableFilePath() const { return folder + "\\ZeichenCodes Mac-Win.txt"; }
};

// Runs f: the status the program ended with, or nothing if it went on.
template <typename F>
std::optional<int> EndStatus(F&& f) {
    try {
        f();
    } catch (const ProgramEnded& e) {
        return e.status;
    }
    return std::nullopt;
}

inline void FillIdentity(Tabelle& table) {
    for (int i = 0; i < 256; ++i) table[i] = static_cast<std::int16_t>(i);
}

inline const std::string kStandardOutput = "<standard output>";
inline const Failure kInjected{5, "Zugriff verweigert."};
inline const Failure kNotFound{2, "Das System kann die angegebene Datei nicht finden."};

}  // namespace falvori::test
