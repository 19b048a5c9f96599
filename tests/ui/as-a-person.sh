#!/bin/bash
# Converts a Mac file into a Windows file the way a person does it, with
# real input only: the file is dragged from "a file manager" onto the source
# list (xdnd-drop.c speaks the X drag-and-drop protocol), make-equal is
# clicked, the name is edited on the keyboard, Enter converts, Esc ends the
# program. A helper only reads the window's state. The pictures, the green
# flash among them, go to BUILD_DIR/window-person/shots.
#
#   as-a-person.sh PROGRAM.exe STATE.exe BUILD_DIR
set -u
[ $# -eq 3 ] || { echo "usage: as-a-person.sh PROGRAM.exe STATE.exe BUILD_DIR" >&2; exit 2; }
program="$1"
state_exe="$2"
build="$(cd "$3" && pwd)" || exit 2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$build/window-person"
shots="$work/shots"
rm -rf "$work"
mkdir -p "$shots"

DISPLAY="$(cat "$build/wine-env/display" 2>/dev/null)" || { echo "no test display" >&2; exit 1; }
export DISPLAY
export FALVORI_BUILD_DIR="$build"
run="$here/../wine/wine-run"

fail() { echo "FAIL: $*" >&2; exit 1; }

cc -O1 -o "$work/xdnd-drop" "$here/xdnd-drop.c" -lX11 || fail "cannot build xdnd-drop (libx11-dev)"

# Grüße € in Mac OS Roman, and what Windows-1252 makes of it.
printf 'Gr\x8a\xa7e \xdb\r' >"$work/mac.txt"
printf 'Gr\xe4\xdfe \x80\r' >"$work/expected.txt"
cp "$work/mac.txt" "$work/mac-before.txt"

# Control ids of the window.
LST_DATEIEN1=103 BTN_GLEICHMACHEN=104 LST_DATEIEN2=109 TXT_DATEI2=111

state() { "$run" "$state_exe" 2>/dev/null | tr -d '\r'; }
control() { state | awk -v id="$1" '$1 == "control" && $2 == id'; }
text_of() { control "$1" | cut -d' ' -f9-; }
focused() { [ "$(control "$1" | cut -d' ' -f8)" = 1 ]; }
# The middle of a control, in screen coordinates (= X root coordinates).
middle_of() { control "$1" | awk '{ print int(($3 + $5) / 2), int(($4 + $6) / 2) }'; }
wait_until() {  # TRIES COMMAND...: each try is about 0.2 s apart
    local tries="$1"; shift
    for _ in $(seq 1 "$tries"); do "$@" && return 0; sleep 0.2; done
    return 1
}
text_is() { [ "$(text_of "$1")" = "$2" ]; }
# The colour at X Y on the screen, as #RRGGBB.
colour_at() { import -window root -depth 8 -crop "1x1+$1+$2" txt:- | grep -o '#[0-9A-F]\{6\}' | head -1; }
shot() { import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/$1.png"; }
uri_of() { python3 -c 'import pathlib, sys; print(pathlib.Path(sys.argv[1]).as_uri())' "$1"; }

"$run" "$program" </dev/null >"$work/program.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null' EXIT

. "$here/program-window.sh"
program_window "$pid"
[ -n "$window" ] || fail "the window \"Falvori\" did not appear"
wait_until 50 eval 'state | grep -q "^origin"' || fail "the window's state cannot be read"
eval "$(xdotool getwindowgeometry --shell "$window")"
shot 1-start

# A drop anywhere but the source file list is refused.
read -r x y < <(middle_of $LST_DATEIEN2)
"$work/xdnd-drop" "$window" "$x" "$y" "$(uri_of "$work/mac.txt")"$'\r\n' 2>"$work/drop-refused.log"
status=$?
[ "$status" -eq 6 ] || fail "a drop onto lstDateien2 was not refused (xdnd-drop status $status)"

# Dragged from the file manager onto the source file list.
read -r x y < <(middle_of $LST_DATEIEN1)
"$work/xdnd-drop" "$window" "$x" "$y" "$(uri_of "$work/mac.txt")"$'\r\n' 2>"$work/drop.log" ||
    fail "the drop onto lstDateien1 failed (xdnd-drop status $?)"
wait_until 25 text_is $LST_DATEIEN1 mac.txt || fail "the dropped file is not selected: [$(text_of $LST_DATEIEN1)]"
shot 2-dropped

# Make-equal: the destination takes the source file; the caret waits at the
# end of its name. Synthetic input is sometimes lost: try again.
read -r x y < <(middle_of $BTN_GLEICHMACHEN)
for _ in 1 2 3; do
    xdotool mousemove "$x" "$y" click 1
    wait_until 10 text_is $TXT_DATEI2 mac.txt && break
done
text_is $TXT_DATEI2 mac.txt || fail "make-equal did not fill the name: [$(text_of $TXT_DATEI2)]"
wait_until 10 focused $TXT_DATEI2 || fail "make-equal did not put the focus into the name"
# The caret is at the end: typed characters go after the name.
for _ in 1 2 3; do
    xdotool type --delay 60 'X'
    wait_until 10 text_is $TXT_DATEI2 mac.txtX && break
done
text_is $TXT_DATEI2 mac.txtX || fail "the caret was not at the end: [$(text_of $TXT_DATEI2)]"
for _ in 1 2 3; do
    xdotool key shift+Home
    sleep 0.2
    xdotool type --delay 60 'win.txt'
    wait_until 10 text_is $TXT_DATEI2 win.txt && break
done
text_is $TXT_DATEI2 win.txt || fail "the name could not be typed: [$(text_of $TXT_DATEI2)]"

# Enter presses "&los". The name box flashes green, then turns white.
read -r tleft ttop tright tbottom < <(control $TXT_DATEI2 | awk '{ print $3, $4, $5, $6 }')
px=$((tright - 8)) py=$(((ttop + tbottom) / 2))
[ "$(colour_at $px $py)" != "#00FF00" ] || fail "the name box is green before the conversion"
xdotool key Return
green=""
for i in $(seq 1 100); do
    import -window root "$shots/flash-$i.png"
    if [ "$(convert "$shots/flash-$i.png" -depth 8 -crop "1x1+$px+$py" txt:- | grep -o '#[0-9A-F]\{6\}' | head -1)" = "#00FF00" ]; then
        green="$i"
        break
    fi
    [ -f "$work/win.txt" ] && [ "$i" -gt 30 ] && break
    sleep 0.02
done
[ -n "$green" ] || fail "the name box never turned green (Enter lost, or no conversion)"
green_at=$(date +%s%N)
convert "$shots/flash-$green.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/3-green.png"
rm -f "$shots"/flash-*.png
wait_until 25 eval '[ "$(colour_at $px $py)" = "#FFFFFF" ]' || fail "the name box did not turn white again"
white_after=$((($(date +%s%N) - green_at) / 1000000))
echo "green, then white about $white_after ms after the green was first seen"
shot 4-done

cmp "$work/win.txt" "$work/expected.txt" || fail "win.txt does not hold the Windows-1252 text"
cmp "$work/mac.txt" "$work/mac-before.txt" || fail "the source file changed"

# Esc in the name box ends the program at once.
for _ in 1 2 3; do
    xdotool key Escape
    wait_until 10 eval '! kill -0 "$pid" 2>/dev/null' && break
done
kill -0 "$pid" 2>/dev/null && fail "Esc did not end the program"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
trap - EXIT
echo "converted from the window: $work/win.txt; pictures in $shots"
