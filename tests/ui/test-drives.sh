#!/bin/bash
# Maps the drives the window tests use in the build's Wine prefix:
#   t:, w:, v:  folders of the build, which every test fills anew
#   u:  a drive without a medium: listed, but it cannot be read. It points
#       at a plain file (ui-medium); a test that replaces the file by a
#       folder has "inserted" a medium.
#   n:  a folder of the build that Wine reports as a network drive
#       (HKLM\Software\Wine\Drives)
# v: and n: have the labels LOKAL and FERN, which Wine reads from the file
# .windows-label in the drive's folder.
# Wine's services learn of drive letters and their types only when they
# start, so the drives are mapped before the wineserver of a test run
# starts (the map test runs before wine_env_start, building the prefix if
# need be). The links stay in the build's prefix; unmap is for tidying up
# by hand.
#
#   test-drives.sh map|unmap BUILD_DIR
set -u
[ $# -eq 2 ] || { echo "usage: test-drives.sh map|unmap BUILD_DIR" >&2; exit 2; }
action="$1"
build="$(cd "$2" && pwd)" || exit 2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
dosdevices="$build/wineprefix/dosdevices"
folders="t w v n"

case "$action" in
    map)
        "$here/../wine/wine-env" prefix "$build" || exit 1
        [ -d "$dosdevices" ] || { echo "test-drives: no Wine prefix in $build" >&2; exit 1; }
        # Another test run of this build folder may be using the drives:
        # set them up without taking anything away from under it.
        for drive in $folders; do
            mkdir -p "$build/ui-drive-$drive"
            ln -sfn "$build/ui-drive-$drive" "$dosdevices/$drive:"
        done
        printf LOKAL >"$build/ui-drive-v/.windows-label"
        printf FERN >"$build/ui-drive-n/.windows-label"
        [ -e "$build/ui-medium" ] || echo "no medium" >"$build/ui-medium"
        ln -sfn "$build/ui-medium" "$dosdevices/u:"
        if ! grep -qi '^"n:"="network"' "$build/wineprefix/system.reg" 2>/dev/null; then
            export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
            . "$here/../wine/wine-arch"
            wine_arch_setup "$build"
            (unset DISPLAY
             wine reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f &&
             wineserver -w) </dev/null >/dev/null 2>&1 ||
                { echo "test-drives: cannot make n: a network drive" >&2; exit 1; }
        fi
        echo "test-drives: t: w: v: n: (network) mapped, u: a drive without a medium"
        ;;
    unmap)
        for drive in $folders; do
            rm -f "$dosdevices/$drive:"
            rm -rf "$build/ui-drive-$drive"
        done
        rm -f "$dosdevices/u:" "$build/ui-medium"
        echo "test-drives: unmapped"
        ;;
    *)
        echo "usage: test-drives.sh map|unmap BUILD_DIR" >&2
        exit 2
        ;;
esac
