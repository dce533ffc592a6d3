#!/usr/bin/env bash
# A log-off (SIGTERM) when the program folder's settings.ini cannot be written (a folder of that
# name): the program ends within 2 s and the mix is in ~/.config/quietfield/settings.ini. When
# that cannot be written either, it still ends within 2 s, says why on standard error and waits
# for nobody.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

app=${1:?usage: program_log_off.sh path/to/quietfield}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "program_log_off: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

# Sends SIGTERM and sets ended_ms to how long the program took to end; fails unless it ended
# with status 0.
log_off() {
    local asked status=0
    asked=$(qf_now_ms)
    kill -TERM "$QF_APP_PID"
    wait "$QF_APP_PID" || status=$?
    ended_ms=$(($(qf_now_ms) - asked))
    ((status == 0)) || fail "the program ended with status $status"
}

qf_session_start
mkdir -p "$QF_SESSION_DIR/app"
cp -a "$(dirname "$app")/." "$QF_SESSION_DIR/app/"
mkdir "$QF_SESSION_DIR/app/settings.ini"
user_file="$XDG_CONFIG_HOME/quietfield/settings.ini"

# The copy already exists, so qf_start_program's copy lands inside it; start the program by hand.
qf_spawn "$QF_SESSION_DIR/app/$(basename "$app")"
QF_APP_PID=$QF_LAST_PID
QF_APP_WID=$(qf_wait_for_window "$QF_APP_PID" 554 "336-420" 30) || fail "no main window"
QF_MENU_H=$(($(xdotool getwindowgeometry --shell "$QF_APP_WID" | sed -n 's/^HEIGHT=//p') - 336))
sleep 1
qf_tick_row 3
sleep 0.3
log_off
first_ms=$ended_ms
((first_ms < 2000)) || fail "the program took $first_ms ms to end"
[[ -d $QF_SESSION_DIR/app/settings.ini ]] || fail "the folder in the file's place was touched"
cmp -s "$user_file" <(printf '0,0,1,0,0,0,0,0,0,0,22050,22050,22050,22050,22050\r\n') ||
    fail "the mix is not in $user_file: $(od -c "$user_file" 2>&1 | head -3)"

# Neither place can be written: the configuration folder lies under a plain file.
: >"$QF_SESSION_DIR/not-a-folder"
export XDG_CONFIG_HOME="$QF_SESSION_DIR/not-a-folder"
qf_spawn "$QF_SESSION_DIR/app/$(basename "$app")"
QF_APP_PID=$QF_LAST_PID
log="$QF_SESSION_DIR/logs/$(basename "$app").1.log"
QF_APP_WID=$(qf_wait_for_window "$QF_APP_PID" 554 "336-420" 30) || fail "no main window"
sleep 1
log_off
second_ms=$ended_ms
((second_ms < 2000)) || fail "with nowhere to write, the program took $second_ms ms to end"
grep -q 'could not be saved' "$log" || fail "the failed write was not reported: $(cat "$log")"
echo "program_log_off: ended $first_ms ms after SIGTERM with the mix in ~/.config;" \
    "$second_ms ms with nowhere to write, the reason on standard error"
