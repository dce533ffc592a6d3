#!/usr/bin/env bash
# The program while the sound server's only output comes and goes, as a laptop's Bluetooth
# headset does when it is switched off and on: the sink removed while the noise plays, again
# while the recorder records, and a server that has no sink at all when the program starts.
# The program must stay alive throughout and play again within 2 s of an output appearing.
# Nothing pins the program's sound driver.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

app=${1:?usage: program_outputs.sh path/to/quietfield}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "program_outputs: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

# Brings the sink back and prints how many ms passed until the program's noise played on it.
sink_back_ms() {
    local up
    qf_add_sink "$QF_SINK"
    up=$(qf_now_ms)
    qf_wait_until 4 qf_noise_playing || return 1
    echo $(($(qf_now_ms) - up))
}

# Removes the only sink for 1.5 s, then brings it back; prints how many ms passed until the noise
# played on it again, which must be under 2 s.
lose_sink() {
    local back
    qf_remove_sink "$QF_SINK" || fail "$1: could not remove the sink"
    sleep 1.5
    qf_alive "$pid" || fail "$1: the program died when its only output went away"
    back=$(sink_back_ms) || fail "$1: no noise within 4 s of the sink coming back"
    ((back < 2000)) || fail "$1: the noise came back only $back ms after the sink"
    echo "$back"
}

# The noise is on the sink and audible there.
check_audible() {
    qf_record_start "$QF_SESSION_DIR/$1.raw"
    sleep 0.8
    qf_record_stop
    "$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/$1.raw" --min-active 0.6 \
        --min-db -32 >/dev/null || fail "$1: the noise is not audible"
}

qf_session_start
qf_start_program "$app" || fail "the main window did not appear"
pid=$QF_APP_PID
qf_tick_row 2 # "Pink Noise"
qf_wait_until 5 qf_noise_playing || fail "ticking Pink Noise opened no stream"

# The only sink goes while the noise plays.
playing_ms=$(lose_sink playing) || exit 1
check_audible playing

# And again while the recorder records from the sink's monitor.
qf_click_twips "$QF_APP_WID" 5580 3840 "$QF_MENU_H" # "Record"
recorder=$(qf_wait_for_window "$pid" 391 "168-220" 10) || fail "the recorder did not open"
menu=$(($(xdotool getwindowgeometry --shell "$recorder" | sed -n 's/^HEIGHT=//p') - 168))
qf_click_twips "$recorder" 3480 1440 "$menu" # Record
sleep 1
recording_ms=$(lose_sink recording) || exit 1
check_audible recording
qf_click_twips "$recorder" 4380 1440 "$menu" # Stop
sleep 0.5
qf_alive "$pid" || fail "the program died when the recording was stopped"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
((status == 0)) || fail "the program exited with status $status"

# A server without any sink when the program starts, with the stored mix playing pink noise.
qf_stop_pulse
qf_start_pulse no-sink || fail "the sound server did not start without a sink"
echo "$QF_PULSE_PID" >>"$QF_SESSION_DIR/spawned.pids"
folder="$QF_SESSION_DIR/app"
printf '0,1,0,0,0,0,-600,0,0,0,1000,22050,1000,1000,1000\r\n' >"$folder/settings.ini"
qf_spawn "$folder/$(basename "$app")"
pid=$QF_LAST_PID
qf_wait_for_window "$pid" 554 "336-420" 30 >/dev/null || fail "no main window without a sink"
sleep 2
qf_alive "$pid" || fail "the program died on a server without a sink"
start_ms=$(sink_back_ms) || fail "no noise within 4 s of a sink appearing after the start"
((start_ms < 2000)) || fail "the stored mix played only $start_ms ms after the sink appeared"
check_audible late

echo "program_outputs: noise back ${playing_ms} ms after the sink returned while playing," \
    "${recording_ms} ms while recording; the stored mix played ${start_ms} ms after a sink" \
    "appeared on a server that had none at start"
