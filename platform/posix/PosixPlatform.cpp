#include "platform/posix/PosixPlatform.h"

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

#include "core/Core.h"
#include "platform/posix/IntermediateFile.h"
#include "platform/posix/Messages.h"
#include "platform/posix/PathParts.h"
#include "platform/posix/PosixFile.h"
#include "platform/posix/StandardStreams.h"
#include "platform/posix/SystemError.h"

namespace falvori {

PosixPlatform::PosixPlatform(int argc, char** argv) : closedAtStart_(OpenMissingStandardDescriptors()) {
    // Asked now, before the program opens a file of its own: a name like
    // /dev/fd/3 must never lead to one of those.
    for (int i = 1; i < argc; ++i) {
        const int fd = DescriptorNamed(argv[i]);
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

std::vector<std::string> PosixPlatform::TablePlaces() {
    std::vector<std::string> places;
    const std::string name = std::string("/falvori/") + kTableFileName;
    // A relative XDG_CONFIG_HOME is to be ignored, as an empty one.
    const std::string config = EnvironmentVariable("XDG_CONFIG_HOME");
    const std::string home = EnvironmentVariable("HOME");
    if (config.starts_with('/'))
        places.push_back(config + name);
    else if (!home.empty())
        places.push_back(home + "/.config" + name);
    const Result<std::string> folder = ProgramFolder();
    if (folder.failure) return places;
    places.push_back(folder.value + '/' + kTableFileName);
    // The prefix /usr has its configuration in /etc, as GNU's sysconfdir.
    const std::string prefix = FolderOf(folder.value);
    places.push_back((prefix == "/usr" || prefix == "/" ? std::string() : prefix) + "/etc" + name);
    places.push_back((prefix == "/" ? std::string() : prefix) + "/share" + name);
    return places;
}

std::optional<Result<std::string>> PosixPlatform::TableFile() {
    if (tableOption_) return Result<std::string>{*tableOption_, {}};
    // The first one there is the one: a broken one is named, not passed over.
    // One in a folder we may not search (another user's home) is not there.
    const std::vector<std::string> places = TablePlaces();
    for (const std::string& place : places) {
        struct stat st {};
        if (::stat(place.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR && errno != EACCES))
            return Result<std::string>{place, {}};
    }
    const Result<std::string> folder = ProgramFolder();
    if (folder.failure) return Result<std::string>{{}, folder.failure};
    return Result<std::string>{places.back(), {}};
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

// "falvori: PATH: ACTION: TEXT", each part only when there is one.
void PrintLine(const std::string& path, const std::string& action, const std::string& text) {
    std::cerr << "falvori: ";
    if (!path.empty()) std::cerr << PrintablePath(path) << ": ";
    if (!action.empty()) std::cerr << action << ": ";
    std::cerr << WithLineBreaks(text) << '\n';
}

void PrintFailure(const Failure& failure, const Doing& doing) {
    PrintLine(doing.path, Translated(doing.action), Translated(failure.text));
}

}  // namespace

int PosixPlatform::ShowBox(const std::string& text, const std::string& title, MsgIcon,
                              MsgButtons buttons) {
    std::cerr << Translated(title) << ": " << WithLineBreaks(Translated(text)) << '\n';
    if (buttons == MsgButtons::Ok) return kOk;
    return AskOnTerminal(buttons == MsgButtons::RetryCancel);
}

int PosixPlatform::FailureBox(const Failure& failure, const Doing& doing) {
    PrintFailure(failure, doing);
    return AskOnTerminal(true);
}

void PosixPlatform::ShowFailure(const Failure& failure, const Doing& doing) {
    // A reader that went away (head, a pager closed early) wants no more, and
    // no message either; the exit status still says it.
    if (failure.code == EPIPE) return;
    PrintFailure(failure, doing);
}

int PosixPlatform::WarningBox(const Failure& failure, const Doing& doing) {
    PrintFailure(failure, doing);
    return kCancel;
}

void PosixPlatform::TableFailureBox(const std::string& reason, const std::string& path) {
    PrintLine(path, _("cannot use the table file"), Translated(reason));
}

void PosixPlatform::FaultBox(int number, const std::string& text, const std::string& path) {
    PrintLine(path, _("run-time error") + (' ' + std::to_string(number)), Translated(text));
}

int PosixPlatform::AskOnTerminal(bool retry) {
    if (inputIsSource_ || !::isatty(STDIN_FILENO)) return retry ? kCancel : kNo;
    // The letter in the first brackets is the answer that goes on, in the
    // user's language.
    const std::string question = retry ? _("[R]etry / [C]ancel? ") : _("[Y]es / [N]o? ");
    std::cerr << question << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer) || answer.empty()) return retry ? kCancel : kNo;
    const auto open = question.find('[');
    const bool yes = open + 1 < question.size() && (answer[0] | 0x20) == (question[open + 1] | 0x20);
    if (retry) return yes ? kRetry : kCancel;
    return yes ? kYes : kNo;
}

Result<std::unique_ptr<File>> PosixPlatform::OpenStandardInput() {
    if (closedAtStart_ & (1u << STDIN_FILENO)) return {nullptr, SystemFailure(EBADF)};
    inputIsSource_ = true;
    return {PosixFile::Stream(STDIN_FILENO), {}};
}

bool PosixPlatform::NamesOutputStream(const std::string& path) { return DescriptorNamed(path) >= 0; }

Result<std::unique_ptr<File>> PosixPlatform::OpenOutputStream(const std::string& path, const File& source) {
    const int fd = DescriptorNamed(path);
    if (std::find(startedWith_.begin(), startedWith_.end(), fd) == startedWith_.end())
        return {nullptr, SystemFailure(EBADF)};
    if (Failure f = NotTheSameFile(static_cast<const PosixFile&>(source).Fd(), fd)) return {nullptr, f};
    return {PosixFile::Stream(fd), {}};
}

Result<std::unique_ptr<File>> PosixPlatform::OpenForReading(const std::string& path) {
    if (path == "-") return OpenStandardInput();
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.Get(), &st) != 0) return {nullptr, LastFailure()};
    if (S_ISDIR(st.st_mode)) return {nullptr, SystemFailure(EISDIR)};
    // A shared lock while we read, so that CreateIntermediate refuses this very
    // file (a source that is the intermediate file) instead of emptying it,
    // as Windows refuses to write a file open for reading. When another
    // program holds a lock on it, we read without one.
    (void)::flock(fd.Get(), LOCK_SH | LOCK_NB);
    return {PosixFile::Owning(std::move(fd)), {}};
}

Result<std::unique_ptr<Intermediate>> PosixPlatform::CreateIntermediate(const std::string& path) {
    const bool privateFolder = !privateTempFolder_.empty() && FolderOf(path) == privateTempFolder_;
    return PosixIntermediate::Create(path, privateFolder);
}

Result<bool> PosixPlatform::FileExists(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return {S_ISREG(st.st_mode), {}};
    const int err = errno;
    if (err == ENOENT || err == ENOTDIR) return {false, {}};
    return {false, SystemFailure(err)};
}

Failure PosixPlatform::EndOfFileFailure() { return {ENODATA, N_("Input past end of file")}; }

}  // namespace falvori
