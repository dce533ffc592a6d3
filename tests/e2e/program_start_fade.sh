#!/usr/bin/env bash
# The stored mix played at start-up rises from silence to its level over 3 s, evenly, with no
# step; a row ticked by hand during the rise is heard at its level at once, the rise cut short.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"
app=${1:?usage: program_start_fade.sh path/to/quietfield}

fail() {
    echo "program_start_fade: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

qf_session_start
folder="$QF_SESSION_DIR/app"
cp -a "$(dirname "$app")" "$folder"
# White alone at -6 dB: the flattest level over a few ms.
printf '%s' $'0,0,0,0,1,0,0,0,0,-600,22050,22050,1000,1000,1000\r\n' >"$folder/settings.ini"
qf_record_start "$QF_SESSION_DIR/start.raw"
qf_spawn "$folder/$(basename "$app")"
pid=$QF_LAST_PID
qf_wait_for_window "$pid" 554 "337-420" 30 >/dev/null || fail "the main window did not appear"
qf_wait_until 10 qf_noise_playing || fail "the stored mix did not play"
sleep 5
qf_record_stop
rise=$("$QF_PYTHON" "$QF_E2E_DIR/start_rise.py" "$QF_SESSION_DIR/start.raw" --rate "$QF_RATE") ||
    fail "the stored mix was not heard"
echo "program_start_fade: $rise"
value() {
    sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$rise"
}
awk -v s="$(value rise_s)" 'BEGIN { exit !(s >= 2.7 && s <= 3.3) }' ||
    fail "the mix rose over $(value rise_s) s, not 3 s"
awk -v d="$(value first_db)" 'BEGIN { exit !(d <= -20) }' ||
    fail "the rise began at $(value first_db) dB, not from silence"
awk -v w="$(value worst_step)" 'BEGIN { exit !(w <= 0.2) }' ||
    fail "the rise strays $(value worst_step) of the level from an even one: a step"
qf_alive "$pid" || fail "the program died"
kill -TERM "$pid"
qf_end_pid "$pid" 10

# Started again, Pink (at 0 dB, ten times White's power) ticked as soon as the window shows.
QF_RECORD_STAMPED=1 qf_record_start "$QF_SESSION_DIR/ticked.raw"
qf_spawn "$folder/$(basename "$app")"
pid=$QF_LAST_PID
QF_APP_WID=$(qf_wait_for_window "$pid" 554 "337-420" 30) || fail "the main window did not appear"
QF_MENU_H=$(($(xdotool getwindowgeometry --shell "$QF_APP_WID" | sed -n 's/^HEIGHT=//p') - 336))
qf_wait_until 10 qf_noise_playing || fail "the stored mix did not play again"
qf_tick_row 2
ticked=$EPOCHREALTIME
sleep 3.6
qf_record_stop
# The level from 0.4 s after the tick against that from 3 s, when a rise left going would only
# just have ended: within 1 dB, where an untouched rise is 5 dB or more below it.
gap=$("$QF_PYTHON" - "$QF_SESSION_DIR/ticked.raw" "$ticked" "$QF_RATE" <<'PY'
import os
import sys

import numpy as np

sys.path.insert(0, os.environ["QF_E2E_DIR"])
from stamped_record import frame_at, read_times

path, ticked, rate = sys.argv[1], float(sys.argv[2]), int(sys.argv[3])
ends, arrivals = read_times(path + ".times")
samples = np.fromfile(path, dtype="<f4", count=int(ends[-1]) * 2).reshape(-1, 2)


def level(start, end):
    part = samples[frame_at(ticked + start, ends, arrivals, rate):
                   frame_at(ticked + end, ends, arrivals, rate)].astype(np.float64)
    return 10 * np.log10(np.mean(part**2) + 1e-20)


print(f"{level(3.0, 3.5) - level(0.4, 1.0):.1f}")
PY
) || fail "the ticked start was not recorded"
echo "program_start_fade: Pink ticked during the rise, 0.4 s later ${gap} dB below its level at 3 s"
awk -v g="$gap" 'BEGIN { exit !(g <= 1 && g >= -1) }' ||
    fail "ticked during the rise, the mix was still ${gap} dB below its level 0.4 s later"
qf_alive "$pid" || fail "the program died"
