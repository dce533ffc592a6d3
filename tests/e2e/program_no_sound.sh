#!/usr/bin/env bash
# Starting with no sound server, as at a log-in where the sound service comes up after the
# program. A log-off (SIGTERM) while the "no sound" message waits for OK ends the program cleanly
# and leaves the stored mix exactly as it was. And when the server appears 3 s after the program,
# with the message still up, the stored mix starts playing by itself within 2 s. Nothing pins the
# program's sound driver, so it starts on whatever SDL finds without a server and must move.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

app=${1:?usage: program_no_sound.sh path/to/quietfield}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "program_no_sound: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

# Prints a visible window of process $1 that is neither the main window (554 wide) nor the
# splash (304 wide): the message box.
message_box() {
    local wid w
    for wid in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        w=$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null | sed -n 's/^WIDTH=//p')
        if [[ -n $w && $w != 554 && $w != 304 ]]; then
            echo "$wid"
            return 0
        fi
    done
    return 1
}

wait_for_box() {
    local pid=$1 deadline=$((SECONDS + 30))
    until message_box "$pid" >/dev/null; do
        qf_alive "$pid" || return 1
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

qf_session_start
folder="$QF_SESSION_DIR/app"
cp -a "$(dirname "$app")" "$folder"
program="$folder/$(basename "$app")"
mix=$'0,1,0,0,0,0,-600,0,0,0,1000,22050,1000,1000,1000\r\n'
printf '%s' "$mix" >"$folder/settings.ini"
printf '%s' "$mix" >"$QF_SESSION_DIR/expected.ini"
qf_stop_pulse

# A log-off while the message is up.
qf_spawn "$program"
pid=$QF_LAST_PID
log="$QF_SESSION_DIR/logs/$(basename "$app").0.log"
wait_for_box "$pid" || fail "no message box appeared without a sound server"
sleep 0.5
asked=$(qf_now_ms)
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
end_ms=$(($(qf_now_ms) - asked))
((status == 0)) || fail "SIGTERM during the message: exit status $status"
((end_ms < 2000)) || fail "SIGTERM during the message: the program took $end_ms ms to end"
if grep -Eq 'Sanitizer|munmap|double free|invalid pointer' "$log"; then
    fail "the program reported a memory fault: $(head -5 "$log")"
fi
cmp -s "$QF_SESSION_DIR/expected.ini" "$folder/settings.ini" ||
    fail "settings.ini changed: $(od -c "$folder/settings.ini" | head -3)"
[[ ! -e $folder/settings.ini.bad ]] || fail "a good settings.ini was set aside"

# The server appears 3 s after the program, the message still waiting for OK.
qf_spawn "$program"
pid=$QF_LAST_PID
wait_for_box "$pid" || fail "no message box appeared on the second start"
sleep 3
qf_start_pulse || fail "the sound server did not start"
echo "$QF_PULSE_PID" >>"$QF_SESSION_DIR/spawned.pids"
up=$(qf_now_ms)
qf_wait_until 5 qf_noise_playing || fail "no sound within 5 s of the server appearing"
stream_ms=$(($(qf_now_ms) - up))
((stream_ms < 2000)) || fail "the stored mix played only $stream_ms ms after the server appeared"
qf_record_start "$QF_SESSION_DIR/late.raw"
sleep 1.5
qf_record_stop
played_ms=$(($(qf_now_ms) - up))
((played_ms < 5000 + 1500)) || fail "the recording ended $played_ms ms after the server appeared"
"$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/late.raw" --min-active 1.2 \
    --min-db -32 --max-db -20 || fail "the stored mix did not start playing"
"$QF_PYTHON" "$QF_E2E_DIR/noise_slope.py" "$QF_SESSION_DIR/late.raw" --expect -3.01 \
    --tolerance 0.5 || fail "what plays is not the stored pink noise"
message_box "$pid" >/dev/null || fail "the message box went away by itself"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
((status == 0)) || fail "the second run ended with status $status"
cmp -s "$QF_SESSION_DIR/expected.ini" "$folder/settings.ini" ||
    fail "the mix read late was not written back as it was: $(od -c "$folder/settings.ini" | head -3)"
echo "program_no_sound: SIGTERM during the message ended the program in $end_ms ms, exit 0," \
    "settings.ini unchanged; with the server $stream_ms ms late the stored mix played"
