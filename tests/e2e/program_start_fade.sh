#!/usr/bin/env bash
# The stored mix played at start-up rises from silence to its level over 3 s, evenly, with no
# step.
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
