#include "PosixPlatform.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Core.h"
#include "IntermediateFile.h"
#include "PathParts.h"
#include "PosixFile.h"
#include "StandardStreams.h"
#include "SystemError.h"

namespace falvori {

PosixPlatform::PosixPlatform(int argc, char** argv)
    : words_(argv + (argc > 0 ? 1 : 0), argv + argc),
      closedAtStart_(OpenMissingStandardDescriptors()) {
    // Asked now, before the program opens a file of its own: a name like
    // /dev/fd/3 must never lead to one of those.
    for (const std::string& word : words_) {
        const int fd = DescriptorNamed(word);
        if (fd >= 0 && (fd > 2 || !(closedAtStart_ & (1u << fd))) && ::fcntl(fd, F_GETFD) != -1)
            startedWith_.push_back(fd);
    }
}

Result<std::string> PosixPlatform::ProgramFolder() {
    std::string path(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0) return {{}, SystemFailure(n < 0 ? errno : ENOENT)};
    path.resize(static_cast<std::size_t>(n));
    return {FolderOf(path), {}};
}

std::string PosixPlatform::SharedDataFolder() {
    const Result<std::string> folder = ProgramFolder();
    return folder.failure ? std::string() : folder.value + "/../share/falvori";
}

std::string PosixPlatform::EnvironmentVariable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

std::string PosixPlatform::FallbackTempFolder() {
    const std::string tmpdir = EnvironmentVariable("TMPDIR");
    if (!tmpdir.empty()) return tmpdir;
    // Not /tmp itself: anyone may put a file or a link there under our name.
    privateTempFolder_ = "/tmp/falvori-" + std::to_string(::geteuid());
    return privateTempFolder_;
}

void PosixPlatform::EndProgram(int status) {
    std::cerr.flush();
    std::exit(status);
}

void PosixPlatform::ShowUsage(const std::string& problem) {
    if (!problem.empty()) std::cerr << "falvori: " << PrintablePath(problem) << '\n';
    std::cerr << kUsageLine << "\nMehr dazu: falvori --help\n";
}

std::string PrintablePath(const std::string& path) {
    std::string shown = path;
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return shown;
}

namespace {

std::string WithLineBreaks(std::string text) {
    for (char& c : text)
        if (c == '\r') c = '\n';
    return text;
}

void PrintFailure(const Failure& failure, const Doing& doing) {
    std::cerr << "falvori: " << PrintablePath(doing.path) << ": ";
    if (*doing.action) std::cerr << doing.action << ": ";
    std::cerr << WithLineBreaks(failure.text) << '\n';
}

}  // namespace

int PosixPlatform::ShowBox(const std::string& text, const std::string& title, MsgIcon,
                              MsgButtons buttons) {
    std::cerr << title << ": " << WithLineBreaks(text) << '\n';
    if (buttons == MsgButtons::Ok) return kOk;
    return AskOnTerminal(buttons == MsgButtons::RetryCancel);
}

int PosixPlatform::FailureBox(const Failure& failure, const Doing& doing) {
    PrintFailure(failure, doing);
    return AskOnTerminal(true);
}

void PosixPlatform::ShowFailure(const Failure& failure, const Doing& doing) {
    PrintFailure(failure, doing);
}

int PosixPlatform::WarningBox(const Failure& failure, const Doing& doing) {
    PrintFailure(failure, doing);
    return kCancel;
}

int PosixPlatform::AskOnTerminal(bool retry) {
    if (inputIsSource_ || !::isatty(STDIN_FILENO)) return retry ? kCancel : kNo;
    std::cerr << (retry ? "[W]iederholen / [A]bbrechen? " : "[J]a / [N]ein? ") << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer) || answer.empty()) return retry ? kCancel : kNo;
    const char c = static_cast<char>(answer[0] | 0x20);
    if (retry) return c == 'w' || c == 'r' ? kRetry : kCancel;
    return c == 'j' || c == 'y' ? kYes : kNo;
}

std::unique_ptr<File> PosixPlatform::OpenStandardInput(Failure& failure) {
    if (closedAtStart_ & (1u << STDIN_FILENO)) {
        failure = SystemFailure(EBADF);
        return nullptr;
    }
    inputIsSource_ = true;
    return PosixFile::Stream(STDIN_FILENO);
}

bool PosixPlatform::NamesOutputStream(const std::string& path) { return DescriptorNamed(path) >= 0; }

std::unique_ptr<File> PosixPlatform::OpenOutputStream(const std::string& path, const File& source,
                                                      Failure& failure) {
    const int fd = DescriptorNamed(path);
    if (std::find(startedWith_.begin(), startedWith_.end(), fd) == startedWith_.end()) {
        failure = SystemFailure(EBADF);
        return nullptr;
    }
    failure = NotTheSameFile(static_cast<const PosixFile&>(source).Fd(), fd);
    if (failure) return nullptr;
    return PosixFile::Stream(fd);
}

std::unique_ptr<File> PosixPlatform::OpenForReading(const std::string& path, Failure& failure) {
    if (path == "-") return OpenStandardInput(failure);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.Get(), &st) != 0) {
        failure = LastFailure();
        return nullptr;
    }
    if (S_ISDIR(st.st_mode)) {
        failure = SystemFailure(EISDIR);
        return nullptr;
    }
    // A shared lock while we read, so that CreateForWriting refuses this very
    // file (a source that is the intermediate file) instead of emptying it,
    // as Windows refuses to write a file open for reading. When another
    // program holds a lock on it, we read without one.
    (void)::flock(fd.Get(), LOCK_SH | LOCK_NB);
    return PosixFile::Owning(std::move(fd));
}

std::unique_ptr<Intermediate> PosixPlatform::CreateIntermediate(const std::string& path, Failure& failure) {
    const bool privateFolder = !privateTempFolder_.empty() && FolderOf(path) == privateTempFolder_;
    return PosixIntermediate::Create(path, privateFolder, failure);
}

Failure PosixPlatform::FileExists(const std::string& path, bool& present) {
    struct stat st {};
    present = false;
    if (::stat(path.c_str(), &st) != 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR) return {};
        return SystemFailure(err);
    }
    present = S_ISREG(st.st_mode);
    return {};
}

Failure PosixPlatform::EndOfFileFailure() { return {ENODATA, "Input past end of file"}; }

}  // namespace falvori
