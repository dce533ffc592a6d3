#!/usr/bin/env bash
# The mix remembered, as a user meets it: a program folder whose settings.ini turns on "Pink Noise"
# plays pink noise as soon as the program is up, and "Close" writes the file exactly once, holding
# the mix on screen.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

app=${1:?usage: program_settings.sh path/to/quietfield}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "program_settings: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

qf_session_start
folder="$QF_SESSION_DIR/app"
cp -a "$(dirname "$app")" "$folder"
mix=$'0,1,0,0,0,0,-600,0,0,0,1000,22050,1000,1000,1000\r\n'
printf '%s' "$mix" >"$folder/settings.ini"

qf_record_start "$QF_SESSION_DIR/start.raw"
qf_spawn "$folder/$(basename "$app")"
pid=$QF_LAST_PID
main=$(qf_wait_for_window "$pid" 554 "337-420" 30) || fail "the main window did not appear"
# The stored mix rises over its first 3 s; its level is that of the last 1.5 s.
sleep 4.5
qf_record_stop
"$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/start.raw" --min-active 1 \
    --from "$(qf_before_end "$QF_SESSION_DIR/start.raw" 1.5)" --min-db -32 --max-db -20 ||
    fail "the stored mix did not start playing by itself"
"$QF_PYTHON" "$QF_E2E_DIR/noise_slope.py" "$QF_SESSION_DIR/start.raw" --skip 0 --expect -3.01 \
    --tolerance 0.5 || fail "what played at start is not pink noise"

# Every event on the settings file from here on; a rename into place or a direct write both count.
events="$QF_SESSION_DIR/events"
inotifywait -m -q -e close_write -e moved_to --format '%e %f' "$folder" >"$events" 2>/dev/null &
watcher=$!
echo "$watcher" >>"$QF_SESSION_DIR/spawned.pids"
sleep 0.5

height=$(xdotool getwindowgeometry --shell "$main" | sed -n 's/^HEIGHT=//p')
xdotool mousemove --window "$main" 516 $((height - 336 + 320)) sleep 0.05 click 1
status=0
wait "$pid" || status=$?
((status == 0)) || fail "the program exited with status $status after Close"
sleep 0.3
kill "$watcher" 2>/dev/null || true

writes=$(grep -c ' settings\.ini$' "$events" || true)
((writes == 1)) || fail "settings.ini was written $writes times on Close: $(tr '\n' ';' <"$events")"
printf '%s' "$mix" >"$QF_SESSION_DIR/expected.ini"
cmp -s "$QF_SESSION_DIR/expected.ini" "$folder/settings.ini" ||
    fail "settings.ini does not hold the mix on screen: $(od -c "$folder/settings.ini" | head -5)"
echo "program_settings: the stored mix played at start; Close wrote settings.ini once"
