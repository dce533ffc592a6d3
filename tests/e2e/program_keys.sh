#!/usr/bin/env bash
# The program worked from the keyboard alone, keys sent through the X server at a person's pace:
# from start, Tab reaches "Brown Noise" and Space makes it heard; Tab goes on to its volume,
# where Page Down lowers the sink's level by 16 dB and Ctrl+Right raises it again by 1 dB a press;
# Shift+Tab goes round to "Record", Space opens the Sound Recorder and Escape closes it, with the
# program still running.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

app=${1:?usage: program_keys.sh path/to/quietfield}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "program_keys: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

# Keys to whatever window has the keyboard, about as fast as a person presses them.
press() {
    xdotool key --delay 150 "$@"
    sleep 0.2
}

# The sink's level over a second and a half, in dBFS.
level_now() {
    local file=$QF_SESSION_DIR/$1.raw
    qf_record_start "$file"
    sleep 1.5
    qf_record_stop
    "$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$file" --min-active 1.2 --min-db -60 |
        sed -n 's/.*rms_dbfs=\([^ ]*\).*/\1/p'
}

# Fails unless level $2 is level $1 plus $3 dB, give or take 1.5 dB: brown noise's level over a
# second and a half wanders by about half a decibel, and no step is smaller than 4 dB.
expect_change() {
    awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { x = b - a - d; exit !(x < 1.5 && x > -1.5) }' ||
        fail "$4: the level went from $1 to $2 dBFS, not by $3 dB"
}

qf_session_start
qf_start_program "$app" || fail "the main window did not appear"
main=$QF_APP_WID
# There is no window manager to give the new window the keyboard; a desktop would.
xdotool windowfocus --sync "$main"

# The pan slider holds the focus at start; the check boxes come next.
press Tab space # "Brown Noise"
full=$(level_now full) || fail "ticking Brown Noise by Space did not make it heard"

# Past the other four boxes to Brown Noise's volume, which starts at full level.
press Tab Tab Tab Tab Tab
press Next Next # Page Down twice: 8 dB each
lowered=$(level_now lowered) || fail "nothing heard after Page Down"
expect_change "$full" "$lowered" -16 "Page Down twice on the volume"

press ctrl+Right ctrl+Right ctrl+Right ctrl+Right
raised=$(level_now raised) || fail "nothing heard after Ctrl+Right"
expect_change "$lowered" "$raised" 4 "Ctrl+Right four times"

# Backwards is the shorter way round: the five boxes, the pan slider, then from the end of the
# order Reset All, Mute and Record.
press shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab
press space
recorder=$(qf_wait_for_window "$QF_APP_PID" 391 "168-220" 10) ||
    fail "Space on Record did not open the recorder"
press Escape
qf_wait_until 5 bash -c "! xdotool search --all --onlyvisible --pid $QF_APP_PID --name '^Sound Recorder\$'" ||
    fail "Escape did not close the recorder"
qf_alive "$QF_APP_PID" || fail "the program ended with the recorder"
xdotool getwindowname "$main" >/dev/null 2>&1 || fail "the main window went with the recorder"

qf_terminate "$QF_APP_PID" || fail "the program exited with status $? on SIGTERM"
echo "program_keys: Space played Brown Noise at $full dBFS; Page Down took it to $lowered," \
    "Ctrl+Right back to $raised; Escape closed the recorder (window $recorder)"
