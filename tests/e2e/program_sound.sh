#!/usr/bin/env bash
# The real program on a private screen and sound server, worked by real pointer clicks: ticking
# "Pink Noise" makes pink noise audible, unticking it silences it, the sound comes back by itself
# after the sound server restarts, no stream is kept open while no row plays, and SIGTERM ends
# the program cleanly. The server runs at 44.1 kHz, as Debian's PulseAudio does by default: the
# stream must open at that rate, so that the server has nothing to resample, and name the program
# for the desktop's sound settings.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

app=${1:?usage: program_sound.sh path/to/quietfield}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export QF_RATE=44100
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "program_sound: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

level() {
    "$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" --rate "$QF_RATE" "$@"
}

# Records the sink for $2 seconds into $1.
listen() {
    qf_record_start "$1"
    sleep "$2"
    qf_record_stop
}

qf_session_start

qf_start_program "$app" || fail "the main window did not appear"
pid=$QF_APP_PID

click_pink() {
    qf_tick_row 2
}

no_stream() {
    ! qf_noise_playing
}

listen "$QF_SESSION_DIR/before.raw" 1
level "$QF_SESSION_DIR/before.raw" --max-active 0 || fail "sound before any row was ticked"
# With nothing to play, the program keeps no stream open on the server.
qf_wait_until 6 no_stream || fail "with no row on, the output stream stayed open"

click_pink
sleep 0.5
listen "$QF_SESSION_DIR/pink.raw" 3
level "$QF_SESSION_DIR/pink.raw" --min-active 2.5 --min-db -30 --max-db -10 ||
    fail "ticking Pink Noise did not make it audible"
"$QF_PYTHON" "$QF_E2E_DIR/noise_slope.py" "$QF_SESSION_DIR/pink.raw" --rate "$QF_RATE" \
    --expect -3.01 --tolerance 0.5 || fail "what played is not pink noise"
stream=$(qf_stream_sinks Noise | awk 'NR == 1 { print $1 }')
[[ -n $stream ]] || fail "no Noise stream on the server while pink noise plays"
# pactl's "Sample S...:" line ends with the stream's rate.
rate=$(pactl list sink-inputs | awk -v want="Sink Input #$stream" '
    /^Sink Input #/ { mine = ($0 == want) }
    mine && /^[[:space:]]*Sample S[a-z]+: / { print $NF; exit }')
[[ $rate == "${QF_RATE}Hz" ]] || fail "the stream plays at $rate, not at the output's ${QF_RATE} Hz"
for key in application.id application.icon_name; do
    value=$(qf_pulse_property sink-inputs "Sink Input #$stream" "$key")
    [[ $value == io.github.quietfield.Quietfield ]] || fail "the stream's $key is '$value'"
done

# Away for a second, so the program's first attempts to reopen the device fail and it has to
# keep trying.
qf_restart_pulse 1 || fail "could not restart the sound server"
sleep 4
qf_alive "$pid" || fail "the program died when the sound server went away"
listen "$QF_SESSION_DIR/after-restart.raw" 2
level "$QF_SESSION_DIR/after-restart.raw" --min-active 1.5 --min-db -30 ||
    fail "the sound did not come back after the sound server restarted"

click_pink
sleep 0.5
listen "$QF_SESSION_DIR/unticked.raw" 1
level "$QF_SESSION_DIR/unticked.raw" --max-active 0 || fail "unticking Pink Noise left sound"
qf_wait_until 6 no_stream || fail "with the last row off, the output stream stayed open"

qf_terminate "$pid" || fail "the program exited with status $? on SIGTERM"
echo "program_sound: pink noise on and off by clicks, survived a sound-server restart, clean exit"
