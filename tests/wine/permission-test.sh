#!/bin/bash
# Runs the permission tests as a user meets refused files who is not root:
# the test program, Falvori.exe and their own Wine server all run without
# the capabilities that let root read and write any file (capsh drops
# them). The server must be started that way too, since it opens the files,
# so the run gets its own copy of the build's prefix and the shared server
# keeps running. Uses the display of the running test environment.
#
#   permission-test.sh TESTS.exe BUILD_DIR [ARGUMENTS for TESTS.exe]
# Exit code 77: cannot run here (not root, or no capsh).
set -u
[ $# -ge 2 ] || { echo "usage: permission-test.sh TESTS.exe BUILD_DIR [ARGUMENTS]" >&2; exit 2; }
tests="$1"
build="$(cd "$2" && pwd)" || exit 2
shift 2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
prefix="$build/wineprefix-capsh"
files="$build/permission-files"

[ "$(id -u)" = 0 ] || { echo "SKIP: needs root, whose override capsh takes away" >&2; exit 77; }
command -v capsh >/dev/null || { echo "SKIP: no capsh (package libcap2-bin)" >&2; exit 77; }
DISPLAY="$(cat "$build/wine-env/display" 2>/dev/null)" || { echo "no test display: wine-env start first" >&2; exit 1; }
export DISPLAY
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
. "$here/wine-arch"
wine_arch_setup "$build"

# A server of this prefix left from an interrupted run still has every right.
if [ -d "$prefix" ]; then
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
fi

"$here/wine-env" prefix "$build" || exit 1
if [ ! -f "$prefix/.falvori-ready" ] || [ "$build/wineprefix/.falvori-ready" -nt "$prefix/.falvori-ready" ]; then
    echo "permission-test: copying the prefix to $prefix"
    rm -rf "$prefix" "$prefix.new"
    cp -a "$build/wineprefix" "$prefix.new" && mv "$prefix.new" "$prefix" || exit 1
    touch "$prefix/.falvori-ready"
fi

# The files, with permissions that Win32 cannot set.
[ -d "$files" ] && chmod -R u+rwX "$files"
rm -rf "$files"
mkdir -p "$files/temp" "$files/ordner-ohne-schreibrecht" "$files/temp-ohne-schreibrecht"
printf 'Gr\x8a\xa7e\r\n' >"$files/quelle.txt"
printf 'Gr\x8a\xa7e\r\n' >"$files/nicht-lesbar.txt"
printf 'Gr\x8a\xa7e\r\n' >"$files/ordner-ohne-schreibrecht/brief.txt"
printf 'alt' >"$files/schreibgeschuetzt.txt"
printf 'alt' >"$files/ordner-ohne-schreibrecht/ziel.txt"
chmod 000 "$files/nicht-lesbar.txt"
chmod 444 "$files/schreibgeschuetzt.txt"
chmod 555 "$files/ordner-ohne-schreibrecht" "$files/temp-ohne-schreibrecht"
export FALVORI_PERMISSION_FILES="$files"

capsh --drop=cap_dac_override,cap_dac_read_search -- -c '
    grep "^CapEff" /proc/self/status
    wineserver -p5 || exit 1
    wine "$@"
    status=$?
    wineserver -k
    wineserver -w
    exit $status' permission-test "$tests" "$@"
status=$?

chmod -R u+rwX "$files"
[ "$status" = 0 ] && rm -rf "$files"
exit "$status"
