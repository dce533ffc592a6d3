#!/usr/bin/env bash
# The recorder as a user meets it, through real X events only: with "Pink Noise" playing and the
# sink's monitor as the desktop's input, "Record" opens the Sound Recorder; Record, about 3 s,
# Stop, Play (the sink carries the playback beside the noise), then "Save " and a typed name with
# a blank in it. The file lands in the home folder as 44100 Hz 2-channel 16-bit PCM, lasts about
# 3 s and is pink.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

app=${1:?usage: program_recorder.sh path/to/quietfield}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "program_recorder: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

# Clicks as qf_click_twips does, then gives the window the time a person takes to look.
click_twips() {
    qf_click_twips "$@"
    sleep 0.3
}

qf_session_start
qf_start_program "$app" || fail "the main window did not appear"
main=$QF_APP_WID
qf_tick_row 2 # "Pink Noise"
sleep 1

click_twips "$main" 5580 3840 "$QF_MENU_H" # "Record"
recorder=$(qf_wait_for_window "$QF_APP_PID" 391 "168-220" 10) || fail "the recorder did not open"
recorder_h=$(xdotool getwindowgeometry --shell "$recorder" | sed -n 's/^HEIGHT=//p')
menu=$((recorder_h - 168))

click_twips "$recorder" 3480 1440 "$menu" # Record
sleep 2.7 # and the 0.3 s after each click
click_twips "$recorder" 4380 1440 "$menu" # Stop
sleep 0.5

qf_record_start "$QF_SESSION_DIR/noise.raw"
sleep 1.2
qf_record_stop
click_twips "$recorder" 5280 1440 "$menu" # Play
sleep 0.3
qf_record_start "$QF_SESSION_DIR/playback.raw"
sleep 1.2
qf_record_stop
noise_db=$("$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/noise.raw" |
    sed -n 's/.*rms_dbfs=\([^ ]*\).*/\1/p')
both_db=$("$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/playback.raw" |
    sed -n 's/.*rms_dbfs=\([^ ]*\).*/\1/p')
# The recording is the noise itself, so playing it beside the noise adds about 3 dB.
awk -v a="$noise_db" -v b="$both_db" 'BEGIN { exit !(b - a > 1.5) }' ||
    fail "the sink did not carry the playback (noise alone $noise_db dBFS, with playback $both_db)"

click_twips "$recorder" 4260 1800 "$menu" # "Save "
save=$(qf_wait_for_window "$QF_APP_PID" 257 "119-130" 10) || fail "the save window did not open"
xdotool windowfocus --sync "$save" type --delay 30 "my take"
sleep 0.3
click_twips "$save" 1920 1380 # Save
file="$HOME/my take.wav"
qf_wait_until 5 test -s "$file" || fail "no file at $file after Save"
"$QF_PYTHON" "$QF_E2E_DIR/wav_check.py" "$file" --seconds 3 --tolerance 0.5 --slope -3.01 ||
    fail "the saved recording is not 3 s of pink noise at 44100 Hz 2-channel 16-bit"

# The message names the file; OK dismisses it and the save window goes with it.
box=
for _ in {1..50}; do
    box=$(xdotool search --onlyvisible --pid "$QF_APP_PID" |
        grep -vxF -e "$main" -e "$recorder" -e "$save" | head -1) || true
    [[ -n $box ]] && break
    sleep 0.1
done
[[ -n $box ]] || fail "no message followed the save"
xdotool windowfocus --sync "$box" key Return
qf_wait_until 5 bash -c "! xdotool search --all --onlyvisible --pid $QF_APP_PID --name '^Save\$'" ||
    fail "the save window stayed open after the message"

kill -TERM "$QF_APP_PID"
status=0
wait "$QF_APP_PID" || status=$?
((status == 0)) || fail "the program exited with status $status after SIGTERM"
echo "program_recorder: recorded; playback raised the sink from $noise_db to $both_db dBFS; saved $(basename "$file")"
