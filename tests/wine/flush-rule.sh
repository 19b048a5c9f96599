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

dir="$build/flush-rule"
rm -rf "$dir" && mkdir -p "$dir" || exit 1
printf 'Gr\x8a\xa7e\r' >"$dir/quelle.txt"
windows() { local p="Z:$1"; echo "${p//\//\\}"; }

# The flushes in their order: B of a file still under another name (before
# the rename, which Wine's server does), A of the destination (after it),
# F of the destination's folder.
flushes() {
    FALVORI_BUILD_DIR="$build" strace -f -qq -y -o "$dir/trace" -e trace=fsync,fdatasync \
        "$here/wine-run" "$exe" m "$(windows "$dir/quelle.txt")" "$(windows "$dir/ziel.txt")" || return 1
    [ "$(od -An -tx1 "$dir/ziel.txt" | tr -d ' \n')" = "4772e4df650d" ] || { echo "wrong bytes" >&2; return 1; }
    grep -E '(fsync|fdatasync)\(.*= 0' "$dir/trace" | while read -r line; do
        case "$line" in
            *"<$dir/ziel.txt>"*) printf A ;;
            *"<$dir>"*) printf F ;;
            *) printf B ;;
        esac
    done
}

status=0
new="$(flushes)" || exit 1
[ -z "$new" ] || { echo "new destination flushed: $new" >&2; status=1; }
printf 'alt\r\n' >"$dir/ziel.txt"
replaced="$(flushes)" || exit 1
[ "$replaced" = "BAF" ] || { echo "replaced destination: $replaced, not BAF" >&2; status=1; }
echo "new: ${new:-nothing}; replaced: $replaced"
rm -rf "$dir"
exit $status
