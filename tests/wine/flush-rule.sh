#!/bin/bash
# Falvori.exe flushes a file that replaces a destination before the rename
# and after it, then the folder that took the new name; a new destination
# is not flushed (the source stays). Seen from Linux: Wine turns a flush
# into fsync.
#
#   flush-rule.sh FALVORI.exe BUILD_DIR
# Exit code 77: strace is missing.
set -u
[ $# -eq 2 ] || { echo "usage: flush-rule.sh FALVORI.exe BUILD_DIR" >&2; exit 2; }
exe="$1"
build="$(cd "$2" && pwd)" || exit 2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
command -v strace >/dev/null || { echo "SKIP: no strace" >&2; exit 77; }

windows() { local p="Z:$1"; echo "${p//\//\\}"; }

# The flushes in their order: B of a file still under another name (before
# the rename, which Wine's server does), A of the destination (after it),
# F of the destination's folder.
flushes() {  # FOLDER (Linux) FOLDER (Windows)
    FALVORI_BUILD_DIR="$build" strace -f -qq -y -o "$build/flush-rule.trace" -e trace=fsync,fdatasync \
        "$here/wine-run" "$exe" m "$2\\quelle.txt" "$2\\ziel.txt" || return 1
    [ "$(od -An -tx1 "$1/ziel.txt" | tr -d ' \n')" = "4772e4df650d" ] || { echo "wrong bytes" >&2; return 1; }
    grep -E '(fsync|fdatasync)\(.*= 0' "$build/flush-rule.trace" | while read -r line; do
        case "$line" in
            *"<$1/ziel.txt>"*) printf A ;;
            *"<$1>"*) printf F ;;
            *) printf B ;;
        esac
    done
}

# The temp folder is on C:. A destination on Z: gets a copy made beside it,
# one on C: the intermediate file itself.
status=0
check() {  # FOLDER (Linux) FOLDER (Windows)
    rm -rf "$1" && mkdir -p "$1" || exit 1
    printf 'Gr\x8a\xa7e\r' >"$1/quelle.txt"
    local new replaced
    new="$(flushes "$1" "$2")" || exit 1
    [ -z "$new" ] || { echo "$2, new destination flushed: $new" >&2; status=1; }
    printf 'alt\r\n' >"$1/ziel.txt"
    replaced="$(flushes "$1" "$2")" || exit 1
    [ "$replaced" = "BAF" ] || { echo "$2, replaced destination: $replaced, not BAF" >&2; status=1; }
    echo "$2: new: ${new:-nothing}; replaced: $replaced"
    rm -rf "$1"
}
check "$build/flush-rule" "$(windows "$build/flush-rule")"
check "$build/wineprefix/drive_c/flush-rule" 'C:\flush-rule'
rm -f "$build/flush-rule.trace"
exit $status
