#!/usr/bin/env bash
# The Sleep menu, used with its keys, with minutes shortened to seconds: "15 minutes" shows the
# minutes left in the caption; Cancel takes them away again and the noise plays on past the
# time; set again, the mix fades to silence over its last "minute" and the program ends with
# status 0, the user's volumes in settings.ini.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"
app=${1:?usage: program_sleep_menu.sh path/to/quietfield}

fail() {
    echo "program_sleep_menu: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

caption_is() {
    [[ $(xdotool getwindowname "$QF_APP_WID") == "$1" ]]
}

sleep_menu() {
    xdotool windowfocus --sync "$QF_APP_WID"
    xdotool key --delay 150 alt+s "$1"
}

qf_session_start
# A minute lasts 0.4 s: "15 minutes" are 6 s, the last 0.4 s of them the fade.
export QF_SLEEP_SECONDS_PER_MINUTE=0.4
folder="$QF_SESSION_DIR/app"
cp -a "$(dirname "$app")" "$folder"
# Pink on at -6 dB.
mix=$'0,1,0,0,0,0,-600,0,0,0,1000,22050,1000,1000,1000\r\n'
printf '%s' "$mix" >"$folder/settings.ini"
qf_spawn "$folder/$(basename "$app")"
pid=$QF_LAST_PID
QF_APP_WID=$(qf_wait_for_window "$pid" 554 "337-420" 30) || fail "the main window did not appear"
qf_wait_until 5 qf_noise_playing || fail "the stored mix did not play"

# 1. Set, then cancelled: it plays on well past the time.
sleep_menu 1
qf_wait_until 2 caption_is "Quietfield - sleeping in 15 min" ||
    fail "the caption reads '$(xdotool getwindowname "$QF_APP_WID")'"
qf_wait_until 2 caption_is "Quietfield - sleeping in 14 min" ||
    fail "the minutes left did not count down: '$(xdotool getwindowname "$QF_APP_WID")'"
sleep_menu c
qf_wait_until 2 caption_is "Quietfield" ||
    fail "Cancel left the caption '$(xdotool getwindowname "$QF_APP_WID")'"
sleep 7
qf_alive "$pid" || fail "the program ended although its timer was cancelled"
qf_noise_playing || fail "the noise stopped although the timer was cancelled"

# 2. Set again and left alone: a fade to silence, then the end.
qf_record_start "$QF_SESSION_DIR/sleep.raw"
recording=$(qf_now_ms)
sleep 1
sleep_menu 1
chosen=$(qf_now_ms)
while qf_alive "$pid" && (($(qf_now_ms) - chosen < 12000)); do
    sleep 0.02
done
ran=$(($(qf_now_ms) - chosen))
status=0
wait "$pid" || status=$?
sleep 0.5
qf_record_stop
((status == 0)) || fail "the program ended with status $status after its sleep time"
((ran >= 5700 && ran <= 7500)) || fail "the program ran ${ran} ms after the choice, not 6 s"
lead=$(awk -v ms="$((chosen - recording))" 'BEGIN { printf "%.3f", ms / 1000 }')
shape=$("$QF_PYTHON" "$QF_E2E_DIR/fade_shape.py" "$QF_SESSION_DIR/sleep.raw" --block 0.02 \
    --steady-from 0.2 --steady-to "$lead" --silence -130 --fit-top 3 --fit-bottom 57) ||
    fail "the mix did not fade to silence before the end"
echo "program_sleep_menu: $shape"
awk -v s="$(sed -n 's/.*fade_seconds=\([^ ]*\).*/\1/p' <<<"$shape")" \
    'BEGIN { exit !(s > 0.25 && s < 0.8) }' || fail "the fade did not take the last 0.4 s"
printf '%s' "$mix" >"$QF_SESSION_DIR/expected.ini"
cmp -s "$QF_SESSION_DIR/expected.ini" "$folder/settings.ini" ||
    fail "settings.ini does not hold the user's mix: $(od -c "$folder/settings.ini" | head -5)"
echo "program_sleep_menu: cancelled from the menu, then set from it: faded and closed after" \
    "${ran} ms, the mix kept"
