#!/usr/bin/env bash
# The Output menu, used as a person would (its keys): with two outputs, B is chosen and the
# noise plays there, as does the recorder's playback; B goes away (headphones switched off) and the noise is on A within 2 s; B
# comes back and the noise returns to it within 2 s. The choice is kept in the user's
# configuration folder and holds after a restart.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

app=${1:?usage: program_output_choice.sh path/to/quietfield}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "program_output_choice: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

noise_on() {
    [[ $(qf_stream_sinks Noise) == *" $1" ]]
}

# Waits for the noise to be on sink $1; prints how long that took in ms.
arrives_on() {
    local start
    start=$(qf_now_ms)
    qf_wait_until 2 noise_on "$1" || return 1
    echo $(($(qf_now_ms) - start))
}

# The noise can be heard on sink $1.
heard_on() {
    qf_record_start "$QF_SESSION_DIR/on-$1.raw" "$1.monitor"
    sleep 1
    qf_record_stop
    "$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/on-$1.raw" --min-active 0.8 \
        --min-db -30 >/dev/null
}

qf_session_start
qf_add_sink qf_b

qf_start_program "$app" || fail "the main window did not appear"
pid=$QF_APP_PID
qf_tick_row 2 # "Pink Noise"
qf_wait_until 5 noise_on "$QF_SINK" || fail "the noise did not start on the default output"

# Output: System default, then the outputs in the server's order (the test sink, then qf_b).
xdotool windowfocus --sync "$QF_APP_WID"
xdotool key --delay 150 alt+o Down Down Return
chosen=$(arrives_on qf_b) || fail "the noise did not move to the chosen output"
heard_on qf_b || fail "the noise is not heard on the chosen output"
grep -qx qf_b "$XDG_CONFIG_HOME/quietfield/output" ||
    fail "the choice was not kept: $(cat "$XDG_CONFIG_HOME/quietfield/output" 2>&1)"

# The recorder plays its take there too. The take is made from B's monitor, where the noise
# plays: a null sink with nothing playing into it hands its monitor data in blocks of up to 2 s,
# so a short take from the idle default would often come out empty.
pactl set-default-source qf_b.monitor
qf_click_twips "$QF_APP_WID" 5580 3840 "$QF_MENU_H" # "Record"
recorder=$(qf_wait_for_window "$pid" 391 "168-220" 10) || fail "the recorder did not open"
menu=$(($(xdotool getwindowgeometry --shell "$recorder" | sed -n 's/^HEIGHT=//p') - 168))
qf_click_twips "$recorder" 3480 1440 "$menu" # Record
sleep 1
qf_click_twips "$recorder" 4380 1440 "$menu" # Stop
sleep 0.3
take_bytes=$(stat -c %s "$XDG_CACHE_HOME"/quietfield/recording-*.pcm)
((take_bytes >= 88200)) || fail "the take holds only $take_bytes bytes after 1 s of recording"
qf_click_twips "$recorder" 5280 1440 "$menu" # Play
take_on_b() {
    [[ $(qf_stream_sinks Recording) == *" qf_b" ]]
}
qf_wait_until 2 take_on_b || fail "the recorder's playback is not on the chosen output"

qf_remove_sink qf_b
gone=$(arrives_on "$QF_SINK") || fail "the noise did not fall back to the default output"
heard_on "$QF_SINK" || fail "the noise is not heard on the default output"

qf_add_sink qf_b
back=$(arrives_on qf_b) || fail "the noise did not return to the chosen output"
heard_on qf_b || fail "the noise is not heard on the chosen output once it is back"

qf_terminate "$pid" || fail "the program exited with status $? on SIGTERM"
qf_spawn "$QF_SESSION_DIR/app/$(basename "$app")"
pid=$QF_LAST_PID
qf_wait_until 10 noise_on qf_b || fail "after a restart the noise did not start on the choice"
qf_terminate "$pid" || fail "the restarted program exited with status $? on SIGTERM"
echo "program_output_choice: on the chosen output after ${chosen} ms, on the default" \
    "${gone} ms after it went, back on it ${back} ms after it returned; kept across a restart"
