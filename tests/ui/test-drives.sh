#!/bin/bash
# Maps the drives the window tests use in the build's Wine prefix:
#   t:  a folder of the build, which every test fills anew
#   u:  a drive without a medium: listed, but it cannot be read. It points
#       at a plain file (ui-medium); a test that replaces the file by a
#       folder has "inserted" a medium.
# Wine's services learn of drive letters only when they start, so the
# drives are mapped before the wineserver of a test run starts (the map
# test runs before wine_env_start, building the prefix if need be).
# The links stay in the build's prefix; unmap is for tidying up by hand.
#
#   test-drives.sh map|unmap BUILD_DIR
set -u
[ $# -eq 2 ] || { echo "usage: test-drives.sh map|unmap BUILD_DIR" >&2; exit 2; }
action="$1"
build="$(cd "$2" && pwd)" || exit 2
dosdevices="$build/wineprefix/dosdevices"

case "$action" in
    map)
        "$(dirname "$0")/../wine/wine-env" prefix "$build" || exit 1
        [ -d "$dosdevices" ] || { echo "test-drives: no Wine prefix in $build" >&2; exit 1; }
        # Another test run of this build folder may be using the drives:
        # set them up without taking anything away from under it.
        mkdir -p "$build/ui-drive"
        [ -e "$build/ui-medium" ] || echo "no medium" >"$build/ui-medium"
        ln -sfn "$build/ui-drive" "$dosdevices/t:"
        ln -sfn "$build/ui-medium" "$dosdevices/u:"
        echo "test-drives: t: -> $build/ui-drive, u: -> a drive without a medium"
        ;;
    unmap)
        rm -f "$dosdevices/t:" "$dosdevices/u:"
        rm -rf "$build/ui-drive" "$build/ui-medium"
        echo "test-drives: unmapped"
        ;;
    *)
        echo "usage: test-drives.sh map|unmap BUILD_DIR" >&2
        exit 2
        ;;
esac
