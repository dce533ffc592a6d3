#!/usr/bin/env bash
# Options > Start at Login, used with its keys: checked, it writes an autostart entry that the
# desktop's own validator accepts, whose Exec line starts this program (from a folder with a
# space in its name) minimised; started as that line says, the splash comes first, then the main
# window minimised with the stored mix playing, queued deeply at once as nobody is there.
# Unchecked, the entry goes.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"
app=${1:?usage: program_login_start.sh path/to/quietfield}

fail() {
    echo "program_login_start: FAIL: $*" >&2
    [[ -f ${entry:-} ]] && cat "$entry" >&2
    qf_session_dump_logs
    exit 1
}

options_login() {
    xdotool windowfocus --sync "$1"
    xdotool key --delay 150 alt+p l
}

qf_session_start
entry="$XDG_CONFIG_HOME/autostart/io.github.quietfield.Quietfield.desktop"
folder="$QF_SESSION_DIR/My Noise"
cp -a "$(dirname "$app")" "$folder"
program="$folder/$(basename "$app")"
printf '%s' $'0,1,0,0,0,0,-600,0,0,0,22050,22050,1000,1000,1000\r\n' >"$folder/settings.ini"
qf_spawn "$program"
pid=$QF_LAST_PID
wid=$(qf_wait_for_window "$pid" 554 "337-420" 30) || fail "the main window did not appear"
[[ ! -e $entry ]] || fail "an entry was there before it was asked for"

options_login "$wid"
qf_wait_until 5 test -s "$entry" || fail "Start at Login wrote no entry at $entry"
desktop-file-validate "$entry" || fail "the desktop's validator rejects the entry"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
echo "program_login_start: Exec=$exec_line"
# The desktop's quoting inside an Exec line is the shell's double quotes.
arguments=()
eval "arguments=($exec_line)"
[[ ${arguments[0]} == "$program" && ${arguments[1]} == --minimised && ${#arguments[@]} == 2 ]] ||
    fail "the entry starts '${arguments[*]}', not this program minimised"
kill -TERM "$pid"
qf_end_pid "$pid" 10

# As the desktop starts it at login.
started=$SECONDS
qf_spawn "${arguments[@]}"
pid=$QF_LAST_PID
qf_wait_for_window "$pid" 304 211-211 10 >/dev/null || fail "no splash came first"
wid=$(qf_wait_for_window "$pid" 554 "337-420" 30) || fail "the main window did not appear"
xprop -id "$wid" WM_HINTS | grep -q 'Initial state is Iconic' ||
    fail "the main window did not start minimised: $(xprop -id "$wid" WM_HINTS WM_STATE)"
qf_wait_until 5 qf_noise_playing || fail "the stored mix did not play"
deep() {
    [[ $("$QF_PYTHON" "$QF_E2E_DIR/noise_queue.py") == *" deep" ]]
}
qf_wait_until 5 deep || fail "minimised from the start, the noise does not queue deeply"
echo "program_login_start: minimised and playing deeply $((SECONDS - started)) s after the start"

options_login "$wid"
qf_wait_until 5 test ! -e "$entry" || fail "unchecked, the entry is still there"
qf_alive "$pid" || fail "the program died"
