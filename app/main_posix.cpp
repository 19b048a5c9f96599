// The Linux command-line program: the same conversion core, no window.
#include "Core.h"
#include "PosixPlatform.h"

int main(int argc, char** argv) {
    falvori::PosixPlatform platform(argc, argv);
    falvori::Core core(platform);
    core.TabelleLaden();
    core.BefehlszeileAuswerten();
    // An empty command line would open the window, which this program has not.
    platform.showUsage();
    return falvori::kExitUsage;
}
