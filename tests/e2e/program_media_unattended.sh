#!/usr/bin/env bash
# Nobody at the program for 35 s: the noise stream queues deeply, and a media key's pause is
# still heard at once. Its fade begins at the sink within 60 ms of the command, the whole fade
# is heard rather than cut off, and the stream then closes. Played again, still
# unattended, the noise queues deeply again, and a Mute pressed then silences it as soon. First,
# a locked screen is nobody there at once.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"
qf_private_bus "$0" "$@"
app=${1:?usage: program_media_unattended.sh path/to/quietfield}

fail() {
    echo "program_media_unattended: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

value_of() {
    sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"
}

# Runs a command ($3...) with the sink recorded; returns the ms from the command to the start of
# the fall that follows it at the sink and the fall's length. $2 is fade_onset.py's --drop for a
# step.
time_fall() {
    local recording=$1 drop=$2 asked onset
    shift 2
    qf_record_start "$recording"
    sleep 1
    asked=$EPOCHREALTIME
    "$@"
    sleep 1
    qf_record_stop
    # shellcheck disable=SC2086 # $drop is one option or none
    onset=$("$QF_PYTHON" "$QF_E2E_DIR/fade_onset.py" "$recording" --rate "$QF_RATE" \
        --times "$recording.times" --asked-at "$asked" $drop) || return 1
    awk -v d="$(value_of delay_ms "$onset")" -v f="$(value_of fade_s "$onset")" \
        'BEGIN { printf "%d %.2f", d, f }'
}

# The media key's command goes straight to the program's player object, so its own path is
# all that is timed.
pause() {
    gdbus call --session -d org.mpris.MediaPlayer2.quietfield -o /org/mpris/MediaPlayer2 \
        -m org.mpris.MediaPlayer2.Player.Pause >/dev/null
}

pause_and_time() {
    time_fall "$1" "" pause
}

# "deep" or "shallow", as noise_queue.py tells the Noise stream's queue.
is() {
    [[ $("$QF_PYTHON" "$QF_E2E_DIR/noise_queue.py") == *" $1" ]]
}

# As a desktop's screensaver tells it: GNOME's name on one desktop, freedesktop's on another.
lock() {
    gdbus emit --session --object-path "$1" --signal "$2.ActiveChanged" "$3" >/dev/null
}

# Each change is timed at the sink, and the recorder leaves PipeWire's graph cycling as slowly as
# a quiet desktop's: a pulse recorder's short fragments would speed it up and have every change
# heard sooner than a person would.
export QF_RECORD_STAMPED=1
qf_session_start
folder="$QF_SESSION_DIR/app"
cp -a "$(dirname "$app")" "$folder"
# Pink alone at -6 dB: steadier over a few ms than anything with brown in it.
printf '%s' $'0,1,0,0,0,0,-600,0,0,0,22050,22050,1000,1000,1000\r\n' >"$folder/settings.ini"
qf_spawn "$folder/$(basename "$app")"
pid=$QF_LAST_PID
wid=$(qf_wait_for_window "$pid" 554 "337-420" 30) || fail "the main window did not appear"
menu_h=$(($(xdotool getwindowgeometry --shell "$wid" | sed -n 's/^HEIGHT=//p') - 336))
qf_wait_until 10 playerctl -p quietfield status || fail "no player named quietfield"

# The screen locked is nobody there at once, without the quiet time; unlocked moments after the
# last input, a person is taken to be back.
qf_wait_until 5 is shallow || fail "with the window just shown the noise queues deeply"
for saver in /org/gnome/ScreenSaver:org.gnome.ScreenSaver \
    /org/freedesktop/ScreenSaver:org.freedesktop.ScreenSaver; do
    lock "${saver%%:*}" "${saver#*:}" true
    qf_wait_until 5 is deep || fail "locked (${saver#*:}), the noise does not queue deeply"
    lock "${saver%%:*}" "${saver#*:}" false
    qf_wait_until 5 is shallow || fail "unlocked soon after the last input, the noise stays deep"
done
# What was queued deeply is heard out before the control.
sleep 3

# A control first, with the window just shown: the same pause, and play again.
timed=$(pause_and_time "$QF_SESSION_DIR/control.raw") || fail "the control pause did not fade"
read -r control control_fade <<<"$timed"
playerctl -p quietfield play
# And Mute pressed with the window just shown, then pressed again to bring the mix back.
# Prints the ms from the click to silence.
press_mute() {
    local timed
    xdotool mousemove --window "$wid" 436 $((menu_h + 256))
    timed=$(time_fall "$1" --drop xdotool click 1) || return 1
    echo "${timed%% *}"
}
control_muted=$(press_mute "$QF_SESSION_DIR/control-mute.raw") || fail "Mute did not silence the sink"
xdotool click 1
sleep 35
read -r queued kind depth <<<"$("$QF_PYTHON" "$QF_E2E_DIR/noise_queue.py")"
echo "program_media_unattended: after 35 s without input the Noise stream's $kind is ${queued} ms"
[[ $depth == deep ]] || fail "nobody there, the stream's $kind was only ${queued} ms"

timed=$(pause_and_time "$QF_SESSION_DIR/pausing.raw") || fail "pause did not fade the sink"
read -r delay fade <<<"$timed"
echo "program_media_unattended: the fade began ${delay} ms after the command and lasted ${fade} s" \
    "(with the window just shown: ${control} ms, ${control_fade} s)"
((delay <= 60)) || fail "the fade began ${delay} ms after the command"
awk -v f="$fade" 'BEGIN { exit !(f >= 0.25 && f <= 0.38) }' ||
    fail "the fade lasted ${fade} s, not 0.3 s: it was not heard whole"
noise_closed() {
    ! qf_noise_playing
}
qf_wait_until 5 noise_closed || fail "the noise stream stays open while paused"

# Played again from the media key, still with nobody at the window, and then Mute pressed, the
# pointer brought to it first as a person's is.
playerctl -p quietfield play
qf_wait_until 10 is deep || fail "played again with nobody there, the noise does not queue deeply"
muted=$(press_mute "$QF_SESSION_DIR/mute.raw") || fail "Mute did not silence the sink"
echo "program_media_unattended: Mute, pressed from the deep queue, silenced the sink ${muted} ms" \
    "after the click (with the window just shown: ${control_muted} ms)"
((muted <= 60)) || fail "Mute silenced the sink ${muted} ms after the click"
qf_alive "$pid" || fail "the program died"
