#!/bin/bash
# What a batch run loads, as Wine's loader reports it (WINEDEBUG=+loaddll),
# with a DLL that ends the program (exit code 42) planted beside it under
# each window DLL's name, preferred by Wine as Windows prefers the program's
# folder for a DLL that is no KnownDLL:
#   - a conversion that shows no box loads none of the window's DLLs;
#   - a box loads user32 from System32 (no display here: it answers 0, so
#     the run ends with 1 as after Cancel);
#   - a window DLL that cannot be loaded ends the run with 3, not a crash.
#
#   batch-loads.sh FALVORI.exe PLANTED.dll BUILD_DIR
set -u
[ $# -eq 3 ] || { echo "usage: batch-loads.sh FALVORI.exe PLANTED.dll BUILD_DIR" >&2; exit 2; }
build="$(cd "$3" && pwd)" || exit 2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
window_dlls="user32 gdi32 comctl32 shell32 mpr"

dir="$build/batch-loads"
rm -rf "$dir" && mkdir -p "$dir" || exit 1
cp "$1" "$dir/Falvori.exe" && cp "$build/ZeichenCodes Mac-Win.txt" "$dir/" || exit 1
for dll in $window_dlls; do cp "$2" "$dir/$dll.dll" || exit 1; done
printf '\x8a' >"$dir/quelle.txt"
windows() { local p="Z:$1"; echo "${p//\//\\}"; }

export WINEPREFIX="$build/wineprefix"
. "$here/wine-arch"
wine_arch_setup "$build"
unset DISPLAY

run() {  # NAME MORE_OVERRIDES ARGS...: the exit code; the trace in NAME.log
    local name="$1" more="$2"
    shift 2
    WINEDEBUG=+pid,+loaddll WINEDLLOVERRIDES="mscoree,mshtml=;${window_dlls// /,}=n,b${more:+;$more}" \
        timeout 60 wine "$dir/Falvori.exe" "$@" 2>"$dir/$name.log"
}

loaded() {  # NAME: the files the program's own process loaded
    local pid
    pid="$(grep -m1 -i 'Loaded L".*Falvori\.exe"' "$dir/$1.log" | cut -d: -f1)"
    [ -n "$pid" ] && grep "^$pid:.*:loaddll:.* Loaded L\"" "$dir/$1.log" |
        sed -E 's/.* Loaded L"([^"]*)".*/\1/; s/\\\\/\\/g' | tr 'A-Z' 'a-z'
}

status=0
fail() { echo "FAIL: $*" >&2; status=1; }

run convert "" m "$(windows "$dir/quelle.txt")" "$(windows "$dir/ziel.txt")"
code=$?
[ $code -eq 0 ] || fail "conversion: exit code $code"
[ "$(od -An -tx1 "$dir/ziel.txt" 2>/dev/null | tr -d ' \n')" = "e4" ] || fail "conversion: wrong bytes"
loaded convert | grep -q 'kernel32\.dll$' || fail "conversion: no trace of the program's own loads"
for dll in $window_dlls; do
    loaded convert | grep -q "\\\\$dll\\.dll\$" && fail "conversion loaded $dll.dll"
done

run box "" m "$(windows "$dir/fehlt.txt")" "$(windows "$dir/ziel2.txt")"
code=$?
[ $code -eq 42 ] && fail "box: the DLL planted beside the program was loaded"
[ $code -eq 1 ] || fail "box: exit code $code, not 1"
loaded box | grep -q 'system32\\user32\.dll$' || fail "box: user32 not loaded from System32"

run no-user32 "user32=d" m "$(windows "$dir/fehlt.txt")" "$(windows "$dir/ziel2.txt")"
code=$?
[ $code -eq 3 ] || fail "user32 missing: exit code $code, not 3"

[ $status -eq 0 ] && echo "conversion: none of $window_dlls; box: user32 from System32; user32 missing: exit code 3"
[ $status -eq 0 ] && rm -rf "$dir"
exit $status
