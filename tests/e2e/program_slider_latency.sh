#!/usr/bin/env bash
# The real program on a private screen and sound server: one row playing, its volume slider
# moved by real pointer presses, and the time from each press until the level step reaches the
# sink's monitor (slider_latency.py says how it is timed). Fails when the median of ten moves is
# 60 ms or more: beyond that, a level change no longer feels tied to the hand. Fails too when the
# sound breaks up: a gap in the recording, or the stream running dry. slider_latency.py's --busy
# keeps cores busy beside it, for a harsher run by hand.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

app=${1:?usage: program_slider_latency.sh path/to/quietfield [slider_latency.py options]}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "program_slider_latency: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

# The server's debug log tells each time the noise stream runs dry, which the recording may miss.
export QF_PULSE_LOG_LEVEL=debug
qf_session_start

qf_start_program "$app" || fail "the main window did not appear"
pid=$QF_APP_PID
wid=$QF_APP_WID
menu_h=$QF_MENU_H
geometry=$(xdotool getwindowgeometry --shell "$wid")
win_x=$(sed -n 's/^X=//p' <<<"$geometry")
win_y=$(sed -n 's/^Y=//p' <<<"$geometry")

# White Noise (the fifth row): the flattest spectrum gives the steadiest level over a few ms, so
# the step stands out sharply. Its check box is at (24, 128) in the client area, its volume
# slider (HScroll7) at (184, 128), 121 x 17 pixels.
# The sound must not break up: PulseAudio's log tells each time the stream ran dry.
dry_check=()
[[ $QF_SOUND_SERVER == pulseaudio ]] && dry_check=(--server-log "$QF_SESSION_DIR/logs/pulse.log")
"$QF_PYTHON" "$QF_E2E_DIR/slider_latency.py" --client "$win_x,$((win_y + menu_h))" \
    --check-box 34,136 --slider 184,128,121,17 "${dry_check[@]}" "${@:2}" ||
    fail "the volume slider is too slow, or did not move the level"
qf_alive "$pid" || fail "the program died"
