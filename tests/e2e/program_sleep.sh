#!/usr/bin/env bash
# The sleep timer, with minutes shortened to seconds (QF_SLEEP_SECONDS_PER_MINUTE): a change in
# the window during the fade cancels it and brings the level back; a second start hands over a
# new time and the running program ends on it; and an uncut `--sleep` fades the mix evenly in
# decibels over its last "minute" to -60 dB, then ends the program with status 0, the user's own
# volumes in settings.ini.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"
qf_private_bus "$0" "$@"
app=${1:?usage: program_sleep.sh path/to/quietfield}

fail() {
    echo "program_sleep: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

value_of() {
    sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"
}

# Waits until $1 ms after $2 (a qf_now_ms time).
sleep_until() {
    local left=$(($2 + $1 - $(qf_now_ms)))
    ((left > 0)) && sleep "$(awk -v ms="$left" 'BEGIN { printf "%.3f", ms / 1000 }')"
    return 0
}

# The level of $1 between $2 and $3 seconds into it.
level_between() {
    "$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$1" --from "$2" --to "$3" --floor -120
}

qf_session_start
folder="$QF_SESSION_DIR/app"
program="$folder/$(basename "$app")"
cp -a "$(dirname "$app")" "$folder"
# Pink on at -6 dB.
mix=$'0,1,0,0,0,0,-600,0,0,0,1000,22050,1000,1000,1000\r\n'
printf '%s' "$mix" >"$folder/settings.ini"

# 1. Cancelled by the window, then handed a new time by a second start. Four seconds a minute:
# the fade runs from 8 s to 12 s, after the stored mix's rise at the start. The click pans to
# the right, so the level that comes back is the right side's.
export QF_SLEEP_SECONDS_PER_MINUTE=4
started=$(qf_now_ms)
qf_spawn "$program" --sleep 3
pid=$QF_LAST_PID
main=$(qf_wait_for_window "$pid" 554 "337-420" 30) || fail "the main window did not appear"
menu_h=$(($(xdotool getwindowgeometry --shell "$main" | sed -n 's/^HEIGHT=//p') - 336))
sleep_until 6300 "$started"
qf_record_start "$QF_SESSION_DIR/cancelled.raw"
offset=$(awk -v ms="$(($(qf_now_ms) - started))" 'BEGIN { printf "%.3f", ms / 1000 }')
sleep_until 10000 "$started"
# The pan slider's right arrow.
xdotool mousemove --window "$main" 519 $((menu_h + 208)) sleep 0.05 click 1
sleep_until 13000 "$started"
qf_record_stop
qf_alive "$pid" || fail "the program ended although the window cancelled its timer"
at() { awk -v t="$1" -v o="$offset" 'BEGIN { printf "%.3f", t - o }'; }
steady=$(level_between "$QF_SESSION_DIR/cancelled.raw" "$(at 6.6)" "$(at 7.8)")
faded=$(level_between "$QF_SESSION_DIR/cancelled.raw" "$(at 9.4)" "$(at 9.9)")
back=$(level_between "$QF_SESSION_DIR/cancelled.raw" "$(at 10.8)" "$(at 12.8)")
echo "program_sleep: before the fade: $(value_of rms_dbfs "$steady") dBFS, in it:" \
    "$(value_of rms_dbfs "$faded") dBFS, after the click: $(value_of rms_dbfs "$back") dBFS"
awk -v s="$(value_of rms_dbfs "$steady")" -v f="$(value_of rms_dbfs "$faded")" \
    'BEGIN { exit !(s - f > 15) }' || fail "the mix had not faded 1.5 s into the fade"
awk -v s="$(value_of right_dbfs "$steady")" -v b="$(value_of right_dbfs "$back")" \
    'BEGIN { d = s - b; exit !(d < 1 && d > -1) }' || fail "the level did not come back"

handed=$(qf_now_ms)
second=0
timeout 10 "$program" --sleep 1 >"$QF_SESSION_DIR/logs/second.log" 2>&1 || second=$?
((second == 0)) || fail "the second start ended with status $second"
while qf_alive "$pid" && (($(qf_now_ms) - handed < 8000)); do
    sleep 0.1
done
qf_alive "$pid" && fail "the program did not end on the time handed over"
ended=$(($(qf_now_ms) - handed))
status=0
wait "$pid" || status=$?
((status == 0)) || fail "the program ended with status $status on the time handed over"
echo "program_sleep: a second start's --sleep 1 ended the program after ${ended} ms"
((ended >= 3500 && ended <= 6000)) || fail "the handed-over minute lasted ${ended} ms, not 4 s"

# 2. The whole fade, from full level to -60 dB in the last of three five-second "minutes" (the
# first holds the stored mix's rise at the start).
export QF_SLEEP_SECONDS_PER_MINUTE=5
qf_record_start "$QF_SESSION_DIR/sleep.raw"
recording=$(qf_now_ms)
qf_spawn "$program" --sleep 3
pid=$QF_LAST_PID
started=$(qf_now_ms)
status=0
while qf_alive "$pid" && (($(qf_now_ms) - started < 20000)); do
    sleep 0.02
done
ran=$(($(qf_now_ms) - started))
wait "$pid" || status=$?
sleep 1
qf_record_stop
((status == 0)) || fail "the program ended with status $status after its sleep time"
echo "program_sleep: --sleep 3 ended the program after ${ran} ms"
((ran >= 14800 && ran <= 16000)) || fail "the program ran ${ran} ms, not 15 s"
lead=$(awk -v ms="$((started - recording))" 'BEGIN { printf "%.3f", ms / 1000 }')
shape=$("$QF_PYTHON" "$QF_E2E_DIR/fade_shape.py" "$QF_SESSION_DIR/sleep.raw" --block 0.1 \
    --steady-from "$(awk -v l="$lead" 'BEGIN { print l + 6 }')" \
    --steady-to "$(awk -v l="$lead" 'BEGIN { print l + 9.8 }')" \
    --silence -130 --fit-top 3 --fit-bottom 57) || fail "the sleep fade did not end in silence"
echo "program_sleep: $shape (started $lead s into the recording)"
awk -v s="$(value_of slope_db_s "$shape")" 'BEGIN { exit !(s < -10.8 && s > -13.2) }' ||
    fail "the fade fell $(value_of slope_db_s "$shape") dB/s, not 12"
awk -v w="$(value_of worst_db "$shape")" -v o="$(value_of outliers "$shape")" \
    -v f="$(value_of fit_span "$shape")" 'BEGIN { exit !(w < 2.5 && o <= 5 && f > 4.0) }' ||
    fail "the fade was not even in decibels"
awk -v s="$(value_of fade_start "$shape")" -v e="$(value_of fade_end "$shape")" -v l="$lead" \
    'BEGIN { exit !(s - l > 9.6 && s - l < 10.6 && e - l > 14.6 && e - l < 16) }' ||
    fail "the fade did not run over the last five seconds"
printf '%s' "$mix" >"$QF_SESSION_DIR/expected.ini"
cmp -s "$QF_SESSION_DIR/expected.ini" "$folder/settings.ini" ||
    fail "settings.ini does not hold the user's mix: $(od -c "$folder/settings.ini" | head -5)"
echo "program_sleep: cancelled by the window, handed over, faded evenly to silence and closed"
