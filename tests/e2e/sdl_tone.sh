#!/usr/bin/env bash
# Plays the bare SDL2 tone (bench/tone) inside the harness session: proves that an SDL program
# reaches the private sound server through its pulseaudio driver, at the level, pitch and on
# both sides it wrote, and that it stops cleanly on SIGTERM as a desktop session would ask.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

tone_program=${1:?usage: sdl_tone.sh path/to/qf_sdl_tone}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "sdl_tone: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

qf_session_start
recording="$QF_SESSION_DIR/tone.raw"
qf_record_start "$recording"
qf_spawn "$tone_program"
pid=$QF_LAST_PID
sleep 3
qf_alive "$pid" || fail "qf_sdl_tone exited early"
kill -TERM "$pid"
deadline=$((SECONDS + 5))
while qf_alive "$pid" && ((SECONDS < deadline)); do
    sleep 0.1
done
qf_alive "$pid" && fail "qf_sdl_tone ignored SIGTERM for 5 s"
status=0
wait "$pid" || status=$?
((status == 0)) || fail "qf_sdl_tone exited with status $status after SIGTERM"
sleep 0.3
qf_record_stop

grep -q 'driver pulseaudio' "$QF_SESSION_DIR"/logs/qf_sdl_tone.*.log ||
    fail "SDL did not use its pulseaudio driver"
# A 0.2 peak sine is -16.99 dBFS RMS.
"$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$recording" --min-active 2 \
    --left-db -16.99 --right-db -16.99 --db-tolerance 0.5 --expect-hz 440 --hz-tolerance 1 ||
    fail "the tone did not reach the sink as written"
echo "sdl_tone: SDL2 played 440 Hz into the private sink and stopped on SIGTERM"
