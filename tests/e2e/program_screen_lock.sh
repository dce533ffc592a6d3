#!/usr/bin/env bash
# The screen locked is nobody at the program: the noise queues deeply at once, without the 30 s
# of quiet. Unlocked soon after the last input, a person is taken to be back.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"
qf_private_bus "$0" "$@"
app=${1:?usage: program_screen_lock.sh path/to/quietfield}

fail() {
    echo "program_screen_lock: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

depth() {
    "$QF_PYTHON" "$QF_E2E_DIR/noise_queue.py" | awk '{ print $3 }'
}

is() {
    [[ $(depth) == "$1" ]]
}

# As a desktop's screensaver tells it: GNOME's name on one desktop, freedesktop's on another.
lock() {
    gdbus emit --session --object-path "$1" --signal "$2.ActiveChanged" "$3" >/dev/null
}

qf_session_start
qf_start_program "$app" || fail "the main window did not appear"
pid=$QF_APP_PID
qf_tick_row 2 # "Pink Noise"
qf_wait_until 5 qf_noise_playing || fail "the noise did not start"
sleep 1
is shallow || fail "with a person just there the noise queues deeply"

for saver in /org/gnome/ScreenSaver:org.gnome.ScreenSaver \
    /org/freedesktop/ScreenSaver:org.freedesktop.ScreenSaver; do
    lock "${saver%%:*}" "${saver#*:}" true
    qf_wait_until 5 is deep || fail "locked (${saver#*:}), the noise does not queue deeply"
    # The last input was moments before the lock: whoever unlocks is taken to be back.
    lock "${saver%%:*}" "${saver#*:}" false
    qf_wait_until 5 is shallow || fail "unlocked soon after the last input, the noise stays deep"
done
qf_alive "$pid" || fail "the program died"
echo "program_screen_lock: locked, deep at once; unlocked, shallow again (GNOME's and freedesktop's)"
