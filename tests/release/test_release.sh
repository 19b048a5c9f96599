#!/usr/bin/env bash
# Builds the release archive, unpacks it as a Windows user would into a
# folder whose path holds a blank and an umlaut, on a drive of its own, and
# converts a file from there. A release that lacks the table file or needs a
# DLL the system does not have cannot pass.
#   test_release.sh BUILD_DIR ZIP_NAME
set -euo pipefail
build="$1"
zip="$build/$2"
here="$(cd "$(dirname "$0")" && pwd)"
export LC_ALL=C.UTF-8   # Wine converts non-ASCII arguments by the locale

fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G ZIP >/dev/null)
[ -f "$zip" ] || fail "no archive $zip"

# Exactly the three files, at the top of the archive.
listing="$(unzip -Z1 "$zip" | sort | tr '\n' '|')"
[ "$listing" = "Falvori.exe|LIESMICH.txt|ZeichenCodes Mac-Win.txt|" ] || fail "archive holds: $listing"

drive_root="$build/release-test"
folder="$drive_root/Grüße Ordner"
rm -rf "$drive_root"
mkdir -p "$folder"
unzip -q "$zip" -d "$folder"

# The guide as a Windows editor reads it: Windows-1252, CR LF only.
python3 - "$folder/LIESMICH.txt" <<'PY' || fail "LIESMICH.txt is not Windows-1252 text with CR LF"
import sys
data = open(sys.argv[1], "rb").read()
text = data.decode("cp1252")
assert "\n" not in text.replace("\r\n", ""), "bare line feed"
assert "Übersetzungstabelle" in text and "Falvori.exe m" in text
PY

# Only DLLs that every Windows has, and at start only its KnownDLLs.
"$here/../wine/check-imports" "$folder/Falvori.exe" || fail "Falvori.exe's imports, above"

export WINEPREFIX="$build/wineprefix"
ln -sfn "$drive_root" "$WINEPREFIX/dosdevices/r:"
trap 'rm -f "$WINEPREFIX/dosdevices/r:"' EXIT

printf 'Gr\x9a\xa7e, \xd2Stra\xa7e\xd3 \xd0 5 \xdb\r' >"$folder/brief mac.txt"
status=0
FALVORI_BUILD_DIR="$build" "$here/../wine/wine-run" 'R:\Grüße Ordner\Falvori.exe' m \
  'R:\Grüße Ordner\brief mac.txt' 'R:\Grüße Ordner\brief win.txt' || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
expected="$(printf 'Gr\xf6\xdfe, \x93Stra\xdfe\x94 \x96 5 \x80\r' | od -An -tx1)"
got="$(od -An -tx1 <"$folder/brief win.txt")"
[ "$got" = "$expected" ] || fail "converted bytes: $got, expected: $expected"
echo "release: unpacked to R:\\Grüße Ordner and converted a file: ok"
