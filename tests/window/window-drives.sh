#!/bin/bash
# Maps the two drives the window's command tests use in the build's Wine
# prefix: w: and v:, each a folder of the build that every test fills anew.
# Wine's running services learn of new drive letters only when they start,
# so the server is restarted when a link is new, and a Windows program
# (any, given as STARTER) brings Wine's desktop up again here, with its
# output away from the test's: a desktop started by the next test would
# hold that test's output open and keep CTest waiting.
#
#   window-drives.sh map BUILD_DIR STARTER.exe
#   window-drives.sh unmap BUILD_DIR
set -u
[ $# -ge 2 ] || { echo "usage: window-drives.sh map|unmap BUILD_DIR [STARTER.exe]" >&2; exit 2; }
build="$(cd "$2" && pwd)" || exit 2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
dosdevices="$build/wineprefix/dosdevices"

case "$1" in
    map)
        [ -d "$dosdevices" ] || { echo "window-drives: no Wine prefix in $build" >&2; exit 1; }
        new=0
        for drive in w v; do
            mkdir -p "$build/window-drive-$drive"
            [ "$(readlink "$dosdevices/$drive:")" = "$build/window-drive-$drive" ] || new=1
            ln -sfn "$build/window-drive-$drive" "$dosdevices/$drive:"
        done
        if [ "$new" = 1 ]; then
            export WINEPREFIX="$build/wineprefix"
            wineserver -k </dev/null >/dev/null 2>&1
            wineserver -w </dev/null >/dev/null 2>&1
            wineserver -p60 </dev/null >/dev/null 2>&1
            if [ $# -ge 3 ]; then
                FALVORI_BUILD_DIR="$build" "$here/../wine/wine-run" "$3" </dev/null >/dev/null 2>&1
            fi
        fi
        echo "window-drives: w: and v: mapped"
        ;;
    unmap)
        for drive in w v; do
            rm -f "$dosdevices/$drive:"
            rm -rf "$build/window-drive-$drive"
        done
        echo "window-drives: unmapped"
        ;;
    *)
        echo "usage: window-drives.sh map|unmap BUILD_DIR [STARTER.exe]" >&2
        exit 2
        ;;
esac
