#!/bin/bash
# Maps s:, a drive of 512 KiB (a tmpfs), in the build's Wine prefix for the
# disk-full tests. Wine's services learn of drive letters only when they
# start, so the drive is mapped before the run's wineserver starts (the map
# test runs before wine_env_start). Mounting needs root; where it is not
# allowed, s: is a plain folder and the tests skip, giving the reason from
# BUILD_DIR/fault-drive.log. unmap unmounts it; the link stays.
#
#   fault-drive.sh map|unmap BUILD_DIR
set -u
[ $# -eq 2 ] || { echo "usage: fault-drive.sh map|unmap BUILD_DIR" >&2; exit 2; }
build="$(cd "$2" && pwd)" || exit 2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
folder="$build/fault-drive-s"
log="$build/fault-drive.log"

unmount() {
    mountpoint -q "$folder" || return 0
    umount "$folder" 2>/dev/null || umount -l "$folder"
}

case "$1" in
    map)
        "$here/wine-env" prefix "$build" || exit 1
        mkdir -p "$folder"
        # Left mounted by an interrupted run: start empty again.
        unmount
        if out="$(mount -t tmpfs -o size=512k,mode=0755 falvori-full "$folder" 2>&1)"; then
            echo "mounted: tmpfs of 512 KiB on $folder" >"$log"
        else
            echo "cannot mount a tmpfs on $folder: ${out:-mount failed} (needs root)" >"$log"
        fi
        ln -sfn "$folder" "$build/wineprefix/dosdevices/s:"
        echo "fault-drive: s: -> $folder; $(cat "$log")"
        ;;
    unmap)
        unmount
        echo "not mounted: unmapped after the last run; fault-drive.sh map mounts it" >"$log"
        echo "fault-drive: unmounted"
        ;;
    *)
        echo "usage: fault-drive.sh map|unmap BUILD_DIR" >&2
        exit 2
        ;;
esac
