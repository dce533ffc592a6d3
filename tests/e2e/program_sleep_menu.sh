#!/usr/bin/env bash
# The Sleep menu, used with its keys, with minutes shortened to seconds: "15 minutes" shows the
# minutes left in the caption; Cancel takes them away again and the noise plays on past the
# time. Set again with Suspend at the End checked, and added to while it fades, the level comes
# back and the count goes from 1 to 16; the mix fades over its new last "minute", and after that
# end, with the user's mix in settings.ini, the program asks a stand-in for logind on a private
# system bus to suspend, once, then ends with status 0. Started again, the check is remembered:
# a refused suspend is told on stderr, and the program stores the mix and ends as it would.
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

# Waits at most $2 seconds, polling often, for the caption $1; fails once the program is gone.
caption_soon() {
    local deadline=$(($(qf_now_ms) + $2 * 1000))
    until caption_is "$1"; do
        qf_alive "$pid" && (($(qf_now_ms) < deadline)) || return 1
        sleep 0.01
    done
}

# Waits until the program has ended, at most $1 seconds; its status in `status`, the moment in
# `ended`.
wait_for_end() {
    local since
    since=$(qf_now_ms)
    while qf_alive "$pid" && (($(qf_now_ms) - since < $1 * 1000)); do
        sleep 0.02
    done
    ended=$(qf_now_ms)
    status=0
    wait "$pid" || status=$?
}

# Starts the program and waits for its main window and its stored mix.
start_program() {
    qf_spawn "$folder/$(basename "$app")"
    pid=$QF_LAST_PID
    QF_APP_WID=$(qf_wait_for_window "$pid" 554 "337-420" 30) ||
        fail "the main window did not appear"
    QF_MENU_H=$(($(xdotool getwindowgeometry --shell "$QF_APP_WID" | sed -n 's/^HEIGHT=//p') - 336))
    qf_wait_until 5 qf_noise_playing || fail "the stored mix did not play"
}

# A stand-in for logind on a bus of its own, which the program takes for the system bus; its
# calls are logged to $1, with what settings.ini held at each, and the rest of its arguments
# passed on.
start_logind() {
    qf_spawn "$QF_PYTHON" "$here/logind_standin.py" "$DBUS_SYSTEM_BUS_ADDRESS" "$1" \
        --snapshot "$folder/settings.ini" "${@:2}"
    logind=$QF_LAST_PID
    qf_wait_until 10 logind_owned || fail "the stand-in for logind did not take its name"
}

logind_owned() {
    [[ $(gdbus call --address "$DBUS_SYSTEM_BUS_ADDRESS" --dest org.freedesktop.DBus \
        --object-path /org/freedesktop/DBus --method org.freedesktop.DBus.NameHasOwner \
        org.freedesktop.login1) == "(true,)" ]]
}

# The content of settings.ini as a suspend log's snapshot shows it.
as_snapshot() {
    "$QF_PYTHON" -c 'import sys; print(repr(sys.argv[1]))' "$1"
}

qf_session_start
# A minute lasts 0.4 s: "15 minutes" are 6 s, the last 0.4 s of them the fade.
export QF_SLEEP_SECONDS_PER_MINUTE=0.4
folder="$QF_SESSION_DIR/app"
cp -a "$(dirname "$app")" "$folder"
# Never the machine's own: a suspend asked for goes to the stand-in or nowhere.
system_bus="$QF_SESSION_DIR/system-bus"
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$system_bus"
qf_spawn dbus-daemon --session --nofork --nopidfile --address="$DBUS_SYSTEM_BUS_ADDRESS"
qf_wait_until 10 test -S "$system_bus" || fail "the private system bus did not start"
start_logind "$QF_SESSION_DIR/suspend.log"
choice="$XDG_CONFIG_HOME/quietfield/suspend-at-end"
# Pink on at -6 dB.
mix=$'0,1,0,0,0,0,-600,0,0,0,1000,22050,1000,1000,1000\r\n'
printf '%s' "$mix" >"$folder/settings.ini"
start_program

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

# 2. Brown ticked on (a mix that only a store after it can keep), Suspend at the End checked,
# the timer set again, and 15 minutes added once it fades.
qf_tick_row 1
mix=$'1,1,0,0,0,0,-600,0,0,0,1000,22050,1000,1000,1000\r\n'
sleep_menu u
qf_wait_until 5 grep -qx on "$choice" || fail "Suspend at the End was not kept in $choice"
qf_record_start "$QF_SESSION_DIR/sleep.raw"
recording=$(qf_now_ms)
sleep 1
sleep_menu 1
chosen=$(qf_now_ms)
# Open beforehand, the menu takes its letter as soon as the last minute shows: within the fade.
sleep 4.5
xdotool key alt+s
caption_soon "Quietfield - sleeping in 1 min" 3 || fail "the last minute never showed"
xdotool key a
added=$(qf_now_ms)
caption_soon "Quietfield - sleeping in 16 min" 2 ||
    fail "Add 15 Minutes left the caption '$(xdotool getwindowname "$QF_APP_WID")'"
caption_soon "Quietfield - sleeping in 1 min" 8 || fail "the new last minute never showed"
last=$(qf_now_ms)
wait_for_end 4
sleep 0.5
qf_record_stop
((status == 0)) || fail "the program ended with status $status after its sleep time"
ran=$((ended - added))
((ran >= 5800 && ran <= 7500)) || fail "the program ran ${ran} ms after the Add, not about 6.3 s"
lead=$(awk -v ms="$((chosen - recording))" 'BEGIN { printf "%.3f", ms / 1000 }')
# Measured against the level before the timer was set, the fade starts only in the new last
# minute: the one cut short by the Add gave the level back.
shape=$("$QF_PYTHON" "$QF_E2E_DIR/fade_shape.py" "$QF_SESSION_DIR/sleep.raw" --block 0.02 \
    --steady-from 0.2 --steady-to "$lead" --silence -130 --fit-top 3 --fit-bottom 57) ||
    fail "the mix did not fade to silence before the end"
echo "program_sleep_menu: $shape"
awk -v s="$(sed -n 's/.*fade_seconds=\([^ ]*\).*/\1/p' <<<"$shape")" \
    'BEGIN { exit !(s > 0.25 && s < 0.8) }' || fail "the fade did not take the new last 0.4 s"
printf '%s' "$mix" >"$QF_SESSION_DIR/expected.ini"
cmp -s "$QF_SESSION_DIR/expected.ini" "$folder/settings.ini" ||
    fail "settings.ini does not hold the user's mix: $(od -c "$folder/settings.ini" | head -5)"
calls=$(grep -c '^Suspend ' "$QF_SESSION_DIR/suspend.log" 2>/dev/null || true)
((calls == 1)) || fail "Suspend was called ${calls:-0} times, not once"
call=$(<"$QF_SESSION_DIR/suspend.log")
[[ $call == "Suspend interactive=false "* ]] || fail "the call was not Suspend(false): $call"
[[ $call == *" snapshot=$(as_snapshot "$mix")" ]] ||
    fail "the mix was not on disk when Suspend was called: $call"
called=$(sed -n 's/.* at_ms=\([0-9]*\).*/\1/p' <<<"$call")
# The last minute shows as its fade starts, 0.4 s before the end.
after=$((called - last))
((after >= 300 && after <= 1500)) ||
    fail "Suspend came ${after} ms after the last minute showed, not after its end"
((called <= ended)) || fail "Suspend came after the program had ended"
echo "program_sleep_menu: Add 15 Minutes during the fade: 1 -> 16 min, closed ${ran} ms later;" \
    "Suspend once, ${after} ms after the new last minute began, $((ended - called)) ms before" \
    "the end of the program; the mix kept"

# 3. Started again, the check holds; the stand-in now refuses, and the program ends all the
# same, the mix (Brown off again) stored.
qf_end_pid "$logind" 5
start_logind "$QF_SESSION_DIR/refused.log" --refuse
log="$QF_SESSION_DIR/logs/$(basename "$app").${#QF_SPAWNED_PIDS[@]}.log"
start_program
qf_tick_row 1
mix=$'0,1,0,0,0,0,-600,0,0,0,1000,22050,1000,1000,1000\r\n'
sleep 0.5
sleep_menu 1
wait_for_end 12
((status == 0)) || fail "refused a suspend, the program ended with status $status"
calls=$(grep -c '^Suspend ' "$QF_SESSION_DIR/refused.log" 2>/dev/null || true)
((calls == 1)) || fail "after a restart Suspend was called ${calls:-0} times, not once"
told=$(grep '^quietfield: could not suspend: ' "$log" || true)
[[ $told == *"Suspending is not allowed for this test's user"* ]] ||
    fail "the refusal was not told on stderr: $(cat "$log")"
printf '%s' "$mix" >"$QF_SESSION_DIR/expected.ini"
cmp -s "$QF_SESSION_DIR/expected.ini" "$folder/settings.ini" ||
    fail "refused, settings.ini does not hold the mix: $(od -c "$folder/settings.ini" | head -5)"
echo "program_sleep_menu: remembered across a start; refused, it said: $told"
