#!/bin/bash
# Starts the real program under the test display, checks that its window
# appears at its full size, saves a picture of it for a person to look at,
# and closes it again.
#
#   screenshot.sh PROGRAM.exe BUILD_DIR
set -u
[ $# -eq 2 ] || { echo "usage: screenshot.sh PROGRAM.exe BUILD_DIR" >&2; exit 2; }
program="$1"
build="$(cd "$2" && pwd)" || exit 2
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
shots="$build/screenshots"
mkdir -p "$shots"

DISPLAY="$(cat "$build/wine-env/display" 2>/dev/null)" || { echo "no test display" >&2; exit 1; }
export DISPLAY

FALVORI_BUILD_DIR="$build" "$here/../wine/wine-run" "$program" </dev/null >"$shots/program.log" 2>&1 &
pid=$!

. "$here/program-window.sh"
program_window "$pid"
status=0
if [ -z "$window" ]; then
    echo "the window \"Falvori\" did not appear" >&2
    status=1
else
    sleep 1  # let it paint
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "window $WIDTH x $HEIGHT at $X,$Y"
    # The client area alone is 344 x 379 pixels at 96 dpi.
    if [ "$WIDTH" -lt 344 ] || [ "$HEIGHT" -lt 379 ]; then
        echo "the window is smaller than its client area should be" >&2
        status=1
    fi
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/falvori-window.png"
    echo "picture: $shots/falvori-window.png"
    # Close it as a person would, with Alt+F4. Without a window manager the
    # window takes keys only once a control in it was clicked: the name box
    # (client 20,360). Synthetic input is sometimes lost, so try again.
    border=$(((WIDTH - 344) / 2))
    caption=$((HEIGHT - 379 - border))
    for _ in 1 2 3 4 5; do
        xdotool mousemove $((X + border + 20)) $((Y + caption + 360)) click 1
        sleep 0.3
        xdotool key alt+F4
        for _ in $(seq 1 10); do
            kill -0 "$pid" 2>/dev/null || break 2
            sleep 0.1
        done
    done
fi

for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "the program did not end when its window was closed" >&2
    kill "$pid"
    status=1
fi
wait "$pid" 2>/dev/null
exit $status
