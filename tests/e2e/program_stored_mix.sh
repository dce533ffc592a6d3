#!/usr/bin/env bash
# What is kept is what was heard. A first run with no settings file: "Pink Noise" ticked and the
# program closed; the next start plays pink noise at the recording's own rate (its spectrum, not
# a rumble 22 times slower). Then a settings file with one value out of range: the user is told,
# the file is kept as settings.ini.bad, and the program works on from the defaults.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

app=${1:?usage: program_stored_mix.sh path/to/quietfield}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

# True when file $1 holds exactly the text $2.
holds() {
    [[ -f $1 ]] && cmp -s "$1" <(printf '%s' "$2")
}

fail() {
    echo "program_stored_mix: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

close_program() {
    qf_click_close
    local status=0
    wait "$QF_APP_PID" || status=$?
    ((status == 0)) || fail "the program exited with status $status after Close"
}

# A visible window of the program that is neither the main window nor the splash (304 wide):
# the message box.
message_box() {
    local wid w
    for wid in $(xdotool search --onlyvisible --pid "$QF_APP_PID" 2>/dev/null); do
        [[ $wid == "$QF_APP_WID" ]] && continue
        w=$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null | sed -n 's/^WIDTH=//p')
        [[ -n $w && $w != 304 ]] || continue
        echo "$wid"
        return 0
    done
    return 1
}

qf_session_start
app_dir="$QF_SESSION_DIR/app"
program="$app_dir/$(basename "$app")"

# First run: nothing stored.
qf_start_program "$app" || fail "the main window did not appear"
qf_tick_row 2
sleep 0.3
close_program
first=$'0,1,0,0,0,0,0,0,0,0,22050,22050,22050,22050,22050\r\n'
holds "$app_dir/settings.ini" "$first" ||
    fail "the first run kept $(od -c "$app_dir/settings.ini" | head -3)"

# The next start plays what was heard.
qf_record_start "$QF_SESSION_DIR/second.raw"
qf_spawn "$program"
QF_APP_PID=$QF_LAST_PID
QF_APP_WID=$(qf_wait_for_window "$QF_APP_PID" 554 "336-420" 30) || fail "no main window on the second start"
# Once the start's 3 s rise is over.
sleep 4.5
qf_record_stop
"$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/second.raw" --min-active 1 \
    --from "$(qf_before_end "$QF_SESSION_DIR/second.raw" 1.5)" --min-db -24 --max-db -16 ||
    fail "the kept row did not play on the second start"
"$QF_PYTHON" "$QF_E2E_DIR/noise_slope.py" "$QF_SESSION_DIR/second.raw" --skip 0 --expect -3.01 \
    --tolerance 0.5 || fail "the kept row does not play at its recording's rate"
kill -TERM "$QF_APP_PID"
wait "$QF_APP_PID" || fail "the second run did not end cleanly"

# One value out of range (row 2's volume).
bad=$'0,1,0,0,0,0,-9999,0,0,0,1000,22050,1000,1000,1000\r\n'
printf '%s' "$bad" >"$app_dir/settings.ini"
qf_spawn "$program"
QF_APP_PID=$QF_LAST_PID
QF_APP_WID=$(qf_wait_for_window "$QF_APP_PID" 554 "336-420" 30) || fail "no main window with a bad file"
geometry=$(xdotool getwindowgeometry --shell "$QF_APP_WID")
QF_MENU_H=$(($(sed -n 's/^HEIGHT=//p' <<<"$geometry") - 336))
qf_wait_until 10 message_box || fail "the bad settings file was not reported"
box=$(message_box)
holds "$app_dir/settings.ini.bad" "$bad" ||
    fail "settings.ini.bad does not hold the file as it was"
[[ ! -e $app_dir/settings.ini ]] || fail "the bad file is still in use"
sleep 1
message_box >/dev/null || fail "the report went away by itself"
# There is no window manager to activate it: the keyboard focus is given to it directly.
xdotool windowfocus --sync "$box"
sleep 0.2
xdotool key Return
qf_wait_until 5 bash -c "! xdotool search --onlyvisible --pid $QF_APP_PID | grep -qvx $QF_APP_WID" ||
    fail "the report did not close on Return"
qf_tick_row 1
sleep 0.5
qf_record_start "$QF_SESSION_DIR/after.raw"
sleep 1.2
qf_record_stop
"$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/after.raw" --min-active 1 \
    --min-db -32 || fail "the program does not play after the report"
"$QF_PYTHON" "$QF_E2E_DIR/noise_slope.py" "$QF_SESSION_DIR/after.raw" --skip 0 --expect -6.02 \
    --tolerance 0.5 || fail "the ticked row does not play brown noise"
close_program
after=$'1,0,0,0,0,0,0,0,0,0,22050,22050,22050,22050,22050\r\n'
holds "$app_dir/settings.ini" "$after" ||
    fail "the mix after the report was kept as $(od -c "$app_dir/settings.ini" | head -3)"
echo "program_stored_mix: the first run kept 22050 Hz and the next start played pink noise;" \
    "a bad field was reported, kept as settings.ini.bad, and the program played on"
