// The Linux command-line program: the same conversion core, no window; its
// own options, several files in place, and --check.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "app/Usage.h"
#include "core/Core.h"
#include "platform/posix/Messages.h"
#include "platform/posix/Options.h"
#include "platform/posix/PosixPlatform.h"

namespace falvori {

namespace {

// --check found something that would be replaced or dropped.
constexpr int kExitLossy = 4;

// A text for standard output; one that cannot be written all is a failure,
// told unless the reader went away.
int Print(const std::string& text) {
    const bool done = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
    if (done) return kExitWritten;
    const int err = errno;
    if (err != EPIPE) std::fprintf(stderr, "falvori: -: %s: %s\n", _("cannot write standard output"), std::strerror(err));
    return kExitFatal;
}

void TellEmptyPath() { std::fprintf(stderr, "falvori: %s\n", _("empty file name")); }

int ConvertInPlace(Core& core, const std::vector<std::string>& files) {
    // The same file under a second name, or through a link, is converted
    // once. Asked before converting: a replaced file has a new inode.
    std::vector<bool> again(files.size());
    std::set<std::pair<dev_t, ino_t>> seen;
    bool standardInputSeen = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
        struct stat st {};
        if (files[i] == "-")
            again[i] = std::exchange(standardInputSeen, true);
        else if (!files[i].empty() && ::stat(files[i].c_str(), &st) == 0)
            again[i] = !seen.insert({st.st_dev, st.st_ino}).second;
    }
    int worst = kExitWritten;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (again[i]) continue;
        int status = kExitNotWritten;
        if (files[i].empty())
            TellEmptyPath();
        else
            status = core.Convert(files[i], files[i]);
        // Exit statuses rise with their severity: 3 above 1 above 0.
        worst = std::max(worst, status);
    }
    return worst;
}

const char* LineEndStyle(const SurveyReport& r) {
    const int kinds = (r.crLf > 0) + (r.cr > 0) + (r.lf > 0);
    if (kinds == 0) return "none";
    if (kinds > 1) return "mixed";
    return r.crLf ? "CRLF" : r.cr ? "CR" : "LF";
}

const char* Warning(Looks looks) {
    switch (looks) {
    case Looks::Utf8: return "utf-8";
    case Looks::Utf16: return "utf-16";
    case Looks::Binary: return "binary";
    case Looks::Text: break;
    }
    return "none";
}

// One line per file in the format of kCheckFormat.
std::string CheckLine(const SurveyReport& r, const std::string& file) {
    std::string first = "-";
    if (r.firstInexact) {
        char value[8];
        std::snprintf(value, sizeof value, "0x%02X", r.firstInexactValue);
        first = std::to_string(*r.firstInexact) + ':' + value;
    }
    return "changed=" + std::to_string(r.changed) + " inexact=" + std::to_string(r.inexact) +
           " first-inexact=" + first + " dropped=" + std::to_string(r.dropped) +
           " line-ends=" + LineEndStyle(r) + " warning=" + Warning(r.looks) + ' ' + PrintablePath(file) + '\n';
}

int CheckFiles(Core& core, const std::vector<std::string>& files) {
    bool unreadable = false, lossy = false;
    for (const std::string& file : files) {
        if (file.empty()) TellEmptyPath();
        const std::optional<SurveyReport> report = file.empty() ? std::nullopt : core.CheckFile(file);
        if (!report) {
            unreadable = true;
            continue;
        }
        lossy = lossy || report->inexact > 0 || report->dropped > 0;
        // Each line as its file is done, so that a pipe sees it at once.
        if (Print(CheckLine(*report, file)) != kExitWritten) return kExitFatal;
    }
    return unreadable ? kExitNotWritten : lossy ? kExitLossy : kExitWritten;
}

int Run(int argc, char** argv) {
    // A reader that went away is a write failure we see, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    PosixPlatform platform(argc, argv);
    if (const Result<std::string> folder = platform.ProgramFolder(); !folder.failure) UseUsersLanguage(folder.value);

    const Options options = ReadOptions(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    if (options.help) return Print(HelpText(platform.TablePlaces()));
    if (options.version) return Print(VersionText());
    if (options.problem) {
        std::fputs("falvori: ", stderr);
        if (!options.badWord->empty()) std::fprintf(stderr, "%s: ", PrintablePath(*options.badWord).c_str());
        std::fprintf(stderr, "%s\n%s", _(options.problem), UsageText().c_str());
        return kExitUsage;
    }

    platform.SetTableOption(options.table);
    Core core(platform);
    core.TabelleLaden();
    core.RichtungMacWin = options.macWin;
    core.Stapelbetrieb = true;
    core.lineEnds = options.lineEnds;
    if (options.check) return CheckFiles(core, options.files);
    if (options.inPlace) return ConvertInPlace(core, options.files);
    if (options.files[0].empty()) {
        TellEmptyPath();
        return kExitNotWritten;
    }
    return core.Convert(options.files[0], options.files.size() > 1 ? options.files[1] : std::string());
}

}  // namespace

}  // namespace falvori

int main(int argc, char** argv) { return falvori::Run(argc, argv); }
