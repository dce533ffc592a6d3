#!/usr/bin/env bash
# The program's life as a user sees it, on a private screen and sound server: the splash comes
# first and the main window replaces it; the main window's client area is 554 x 336; moving the
# pan slider to one end makes the far side quieter; "Close" ends the program with status 0 at once.
# Prints the time from start to the main window being mapped.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

app=${1:?usage: program_shell.sh path/to/quietfield}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "program_shell: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

# Prints the id of a visible window of $1 with width $2 and a height in $3 (min-max), polling
# every 20 ms for at most $4 seconds; fails when there is none.
poll_window() {
    local pid=$1 width=$2 heights=$3 timeout=$4
    local deadline=$((SECONDS + timeout)) wid w h geo
    while ((SECONDS < deadline)); do
        for wid in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            geo=$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null) || continue
            w=$(sed -n 's/^WIDTH=//p' <<<"$geo")
            h=$(sed -n 's/^HEIGHT=//p' <<<"$geo")
            if [[ $w == "$width" ]] && ((h >= ${heights%-*} && h <= ${heights#*-})); then
                echo "$wid"
                return 0
            fi
        done
        sleep 0.02
    done
    return 1
}

ms_since() {
    awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%d", (b - a) * 1000 }'
}

qf_session_start
cp -a "$(dirname "$app")" "$QF_SESSION_DIR/app"

started=$EPOCHREALTIME
qf_spawn "$QF_SESSION_DIR/app/$(basename "$app")"
pid=$QF_LAST_PID

splash=$(poll_window "$pid" 304 211-211 10) || fail "no splash window (304 x 211) appeared"
splash_ms=$(ms_since "$started")
[[ $(xdotool getwindowname "$splash") == Quietfield ]] || fail "the splash is not captioned Quietfield"
main=$(poll_window "$pid" 554 337-420 10) || fail "the main window did not appear"
main_ms=$(ms_since "$started")
echo "program_shell: splash mapped after ${splash_ms} ms, main window after ${main_ms} ms"
((main_ms >= 2000)) || fail "the main window came before the splash's 2000 ms were up"
deadline=$((SECONDS + 5))
while xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -qx "$splash"; do
    ((SECONDS < deadline)) || fail "the splash stayed up after the main window came"
    sleep 0.05
done

geometry=$(xdotool getwindowgeometry --shell "$main")
height=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
menu_h=$((height - 336))
# The client area is 554 x 336 below the menu bar: a click on the bottom-right "Close" button,
# placed from the client area's bottom, has to land on it (checked last).
client_click() {
    xdotool mousemove --window "$main" "$1" $((menu_h + $2)) sleep 0.05 click 1
}

recording="$QF_SESSION_DIR/panned.raw"
client_click 34 64 # "Pink Noise"
# The pan slider's right arrow; three steps of 1000 take it to its end, 3000.
for _ in 1 2 3; do
    client_click 519 208
done
sleep 0.5
qf_record_start "$recording"
sleep 2
qf_record_stop
levels=$("$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$recording" --min-active 1.5) ||
    fail "nothing audible with Pink Noise ticked"
left=$(sed -n 's/.*left_dbfs=\([^ ]*\).*/\1/p' <<<"$levels")
right=$(sed -n 's/.*right_dbfs=\([^ ]*\).*/\1/p' <<<"$levels")
echo "program_shell: panned right: left $left dBFS, right $right dBFS"
awk -v l="$left" -v r="$right" 'BEGIN { exit !(r - l > 25 && r - l < 35) }' ||
    fail "panning to the right end did not leave the left side about 30 dB quieter"

closed=$EPOCHREALTIME
client_click 516 320 # "Close"
deadline=$((SECONDS + 3))
while qf_alive "$pid" && ((SECONDS < deadline)); do
    sleep 0.02
done
qf_alive "$pid" && fail "the program still runs 3 s after Close"
close_ms=$(ms_since "$closed")
status=0
wait "$pid" || status=$?
((status == 0)) || fail "the program exited with status $status after Close"
((close_ms < 1000)) || fail "the program took ${close_ms} ms to end after Close"
echo "program_shell: Close ended the program in ${close_ms} ms with status 0"
