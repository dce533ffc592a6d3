#!/usr/bin/env bash
# What a screen reader finds, over the accessibility bus of a private session: accessibility is
# switched on as a screen reader does it (org.a11y.Status IsEnabled on the session bus), then
# the main window and the Sound Recorder (opened with a click on "Record") are walked. Every
# focusable control has a name of its own in its window, every slider a value text in dB or Hz,
# the Output, Sleep and Options menus' items read with their checks, and Mute says whether it is
# on: checked (and the mix silenced) after one press, unchecked (the levels back) after the next.
# Set QF_A11Y_DUMP=1 to print what the walk finds in every window.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"
qf_private_bus "$0" "$@"
app=${1:?usage: program_a11y.sh path/to/quietfield}

fail() {
    echo "program_a11y: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

walk() {
    "$QF_PYTHON" "$here/a11y_walk.py" "$QF_APP_PID" "$@"
}

dump() {
    if [[ ${QF_A11Y_DUMP:-0} == 1 ]]; then
        walk dump
    fi
}

qf_session_start
gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled '<true>' >/dev/null ||
    fail "the accessibility bus could not be switched on"

qf_start_program "$app" || fail "the main window did not appear"
dump
walk check Quietfield || fail "the main window's controls are not all told apart"

# Pressed through its accessible action, as a screen reader user does; the state it then shows
# must be the mix's: silenced sliders while checked, their levels back once unchecked.
state=$(walk toggle Quietfield Mute) || fail "Mute could not be pressed"
level=$(walk value Quietfield "Brown Noise volume")
[[ $state == "checkable checked" && $level == -30 ]] ||
    fail "after one press Mute reads: $state, with Brown Noise at $level dB"
state=$(walk toggle Quietfield Mute) || fail "Mute could not be pressed again"
level=$(walk value Quietfield "Brown Noise volume")
[[ $state == "checkable unchecked" && $level == 0 ]] ||
    fail "after a second press Mute reads: $state, with Brown Noise at $level dB"

# The Output, Sleep and Options menus read as they are: the outputs once the menu has been
# opened, the choice in use checked.
xdotool windowfocus --sync "$QF_APP_WID"
xdotool key --delay 150 alt+o
menus=$(walk menus Quietfield) || fail "the menus could not be read"
xdotool key Escape
for item in "Output > System default (checked)" "Output > Quietfield-test-sink" \
    "Sleep > 15 minutes" "Sleep > 90 minutes" "Sleep > Add 15 Minutes" "Sleep > Cancel" \
    "Sleep > Suspend at the End" "Options > Start at Login" \
    "Options > Answer Media Keys (checked)" "Output > Pause When Headphones Go (checked)"; do
    grep -qxF "$item" <<<"$menus" || fail "no menu item reads '$item'; there are: $menus"
done

qf_click_twips "$QF_APP_WID" 5580 3840 "$QF_MENU_H" # "Record"
qf_wait_for_window "$QF_APP_PID" 391 "168-220" 10 >/dev/null || fail "the recorder did not open"
sleep 0.5
dump
walk check "Sound Recorder" || fail "the recorder's controls are not all told apart"
echo "program_a11y: every control named and told apart; sliders read in dB and Hz; Mute checked and unchecked"
