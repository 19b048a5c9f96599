# Sourced by the scripts that drive the real program under the test
# display: program_window PID waits for the window "Falvori" of the program
# started as PID and puts its X window id into $window (empty when it did
# not appear within ten seconds or the program ended first).
program_window() {
    window=""
    local _
    for _ in $(seq 1 100); do
        window="$(xdotool search --name '^Falvori$' 2>/dev/null | head -1)"
        [ -n "$window" ] && return 0
        kill -0 "$1" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
