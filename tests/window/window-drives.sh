#!/bin/bash
# Maps the two drives the window's command tests use in the build's Wine
# prefix: w: and v:, each a folder of the build that every test fills anew.
# Wine's services learn of drive letters only when they start, so the
# drives are mapped before the wineserver of a test run starts (the map
# test runs before wine_env_start, building the prefix if need be).
#
#   window-drives.sh map|unmap BUILD_DIR
set -u
[ $# -eq 2 ] || { echo "usage: window-drives.sh map|unmap BUILD_DIR" >&2; exit 2; }
build="$(cd "$2" && pwd)" || exit 2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
dosdevices="$build/wineprefix/dosdevices"

case "$1" in
    map)
        "$here/../wine/wine-env" prefix "$build" || exit 1
        [ -d "$dosdevices" ] || { echo "window-drives: no Wine prefix in $build" >&2; exit 1; }
        for drive in w v; do
            mkdir -p "$build/window-drive-$drive"
            ln -sfn "$build/window-drive-$drive" "$dosdevices/$drive:"
        done
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
        echo "usage: window-drives.sh map|unmap BUILD_DIR" >&2
        exit 2
        ;;
esac
