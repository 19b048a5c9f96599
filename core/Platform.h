// The few operating-system services the conversion core needs. The core never
// includes a system header; each program supplies one implementation (Win32,
// POSIX) and the unit tests supply a fake that can fail any step on demand.
//
// Texts are UTF-8 throughout; an adapter converts at its edge (the Win32
// adapter to UTF-16 for the wide-character API).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace falvori {

// A failed platform step: the system's error number and its own description.
// code 0 with an empty text means success.
struct Failure {
    int code = 0;
    std::string text;

    explicit operator bool() const { return code != 0 || !text.empty(); }
};

// A value, or the failure that kept the system from giving it.
template <typename T>
struct Result {
    T value{};
    Failure failure;
};

// Moves the value of `result` into `value` and gives its failure, for a
// step that keeps what it made.
template <typename T>
Failure Take(Result<T>&& result, T& value) {
    value = std::move(result.value);
    return result.failure;
}

// Outcome of one read or write call. count is the number of bytes moved,
// which may be fewer than asked for even without a failure. A read that
// returns 0 bytes and no failure has reached the end of the file.
struct IoResult {
    std::size_t count = 0;
    Failure failure;
};

enum class MsgIcon { Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, YesNo, RetryCancel };

// Button codes as the platform's message box returns them.
enum Answer : int { kOk = 1, kCancel = 2, kRetry = 4, kYes = 6, kNo = 7 };

// What a failed step was doing, for a program that names it (a terminal
// program's message line). The window shows the system's text alone.
struct Doing {
    const char* action = "";  // German, for the user: "Quelldatei kann nicht geöffnet werden"
    std::string path;         // the file concerned
};

class File {
public:
    virtual ~File() = default;
    virtual IoResult Read(void* buffer, std::size_t size) = 0;
    // Writes at least one byte or reports a failure.
    virtual IoResult Write(const void* data, std::size_t size) = 0;
    // Releases the handle. Called at most once; the destructor closes a file
    // that was never closed explicitly and ignores errors.
    virtual Failure Close() = 0;
};

// The intermediate file. Written and closed as any File, it stays held by
// this program, and is reached through that hold only, never again by its
// name, which another user might have swapped meanwhile.
class Intermediate : public File {
public:
    // Gives `to` the bytes written. Where it can, `to` is replaced in one step
    // by a new file that keeps what the old one was (this file itself when it
    // lies on the same file system), so `to` is the old file or the complete
    // new one. A destination that cannot be replaced so (several links, an
    // owner or permissions the new file cannot carry) is written in place.
    // Anything but an ordinary file at `to` is refused.
    virtual Failure PlaceAt(const std::string& to) = 0;
    // After PlaceAt: flushes what still stands between the complete new
    // destination and the disk (the folder that took its name). A failure
    // here leaves the destination written.
    virtual Failure Settle() = 0;
    // Removes the file while it is still ours; once it has become the
    // destination, only lets go of it.
    virtual Failure Discard() = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // --- process ---
    // The command line after the program's name, as the user typed it.
    virtual std::string CommandLine() = 0;
    // The table file, where the program looks for it in places of its own;
    // nothing where it lies beside the program.
    virtual std::optional<Result<std::string>> TableFile() { return std::nullopt; }
    // The folder that holds the program, as the system reports it (with a
    // trailing separator only for a root folder).
    virtual Result<std::string> ProgramFolder() = 0;
    virtual std::string EnvironmentVariable(const std::string& name) = 0;
    // Where the intermediate file goes when "temp" is empty.
    virtual std::string FallbackTempFolder() = 0;
    virtual char Separator() = 0;
    // Ends the process with the given status; files still open are closed.
    [[noreturn]] virtual void EndProgram(int status) = 0;

    // --- user ---
    // Shows a modal box and returns the Answer of the button pressed. Lines
    // in text are separated by single CRs.
    virtual int ShowBox(const std::string& text, const std::string& title, MsgIcon icon,
                           MsgButtons buttons) = 0;
    // The failure box of a file step: the system's description, "Achtung!",
    // Retry and Cancel. Returns kRetry to run the step again.
    virtual int FailureBox(const Failure& failure, const Doing& doing) {
        (void)doing;
        return ShowBox(failure.text, "Achtung!", MsgIcon::Exclamation, MsgButtons::RetryCancel);
    }
    // A failure that nothing can retry (standard output is gone or full).
    virtual void ShowFailure(const Failure& failure, const Doing& doing) {
        (void)doing;
        ShowBox(failure.text, "Achtung!", MsgIcon::Exclamation, MsgButtons::Ok);
    }

    // A failure after the destination was written (its flush to disk): the
    // conversion stands. Returns kRetry to run the step again.
    virtual int WarningBox(const Failure& failure, const Doing& doing) { return FailureBox(failure, doing); }
    // The table file `path` cannot be used, for `reason` (the system's
    // description, or "Tabelle defekt."); the program ends after it. The
    // window's box says where the file must lie.
    virtual void TableFailureBox(const std::string& reason, const std::string& path);
    // A run-time fault that ends the program, met while reading `path` (empty:
    // elsewhere).
    virtual void FaultBox(int number, const std::string& text, const std::string& path);

    // --- files ---
    // Where HasStandardStreams(), "-" is standard input.
    virtual Result<std::unique_ptr<File>> OpenForReading(const std::string& path) = 0;
    // Creates the intermediate file at `path`, or empties the one a cancelled
    // conversion left there. It is held until it has become the destination
    // or is discarded, also after it is closed.
    virtual Result<std::unique_ptr<Intermediate>> CreateIntermediate(const std::string& path) = 0;
    // Whether `path` names an ordinary file (read-only counts; folders, hidden
    // and system files do not). Acts on that one path only: a name with
    // wildcards is refused with a failure.
    virtual Result<bool> FileExists(const std::string& path) = 0;
    // The system's own description for reading past the end of a file.
    virtual Failure EndOfFileFailure() = 0;

    // --- standard streams ---
    // Whether "-" names standard input as a source. Where it does not, "-" is
    // a file name like any other.
    virtual bool HasStandardStreams() { return false; }
    // Whether the destination `path` names an output stream the program was
    // started with ("-" for standard output) rather than a file to replace.
    virtual bool NamesOutputStream(const std::string& path) {
        (void)path;
        return false;
    }
    // That stream, written as the converted bytes are made. Refused when it
    // is the very file that `source` reads: that conversion would never end.
    virtual Result<std::unique_ptr<File>> OpenOutputStream(const std::string& path, const File& source) {
        (void)path;
        (void)source;
        return {nullptr, {-1, "no output stream"}};
    }
};

}  // namespace falvori
