// The Linux command-line program: the same conversion core, no window.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "Core.h"
#include "PosixPlatform.h"
#include "Usage.h"

namespace {

// --help and --version; a text that cannot be written all is a failure.
int Print(const std::string& text) {
    const bool done = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
                      std::fflush(stdout) == 0;
    if (done) return falvori::kExitWritten;
    std::fprintf(stderr, "falvori: -: Standardausgabe kann nicht geschrieben werden: %s\n",
                 std::strerror(errno));
    return falvori::kExitFatal;
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that went away is a write failure we report, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    falvori::PosixPlatform platform(argc, argv);

    if (argc >= 2) {
        const std::string_view first = argv[1];
        if (first == "--help" || first == "-h") {
            const std::string table = std::string("/") + falvori::kTableFileName;
            return Print(falvori::HelpText(platform.ProgramFolder().value + table,
                                           platform.SharedDataFolder() + table));
        }
        if (first == "--version") return Print(falvori::VersionText());
    }

    falvori::Core core(platform);
    core.TabelleLaden();
    core.BefehlszeileAuswerten();
    // An empty command line would open the window, which this program has not.
    platform.ShowUsage({});
    return falvori::kExitUsage;
}
