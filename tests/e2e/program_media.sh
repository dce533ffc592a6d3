#!/usr/bin/env bash
# The desktop's media controls, through playerctl on a private session bus: the program shows up
# as the player "quietfield" with the colours that play as its title; pause silences the sink,
# changes no control and no setting, and marks the caption; play brings the same mix back at the
# same level; a change in the window resumes too; every change is announced; a second start
# raises the running window and ends with status 0, also with the media keys left to other
# players (the program then off the panel's list); Quit closes the program, writing the mix.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"
qf_private_bus "$0" "$@"
app=${1:?usage: program_media.sh path/to/quietfield}

fail() {
    echo "program_media: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

player() {
    playerctl -p quietfield "$@"
}

# Records the sink for $2 seconds into $1.
listen() {
    qf_record_start "$1"
    sleep "$2"
    qf_record_stop
}

value_of() {
    sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"
}

# CPU seconds (user and system) the program has used so far.
cpu_seconds() {
    awk '{ printf "%.2f", ($14 + $15) / 100 }' "/proc/$pid/stat"
}

qf_session_start
folder="$QF_SESSION_DIR/app"
cp -a "$(dirname "$app")" "$folder"
# Brown and Pink on at -6 dB.
mix=$'1,1,0,0,0,-600,-600,0,0,0,22050,22050,1000,1000,1000\r\n'
printf '%s' "$mix" >"$folder/settings.ini"
qf_spawn "$folder/$(basename "$app")"
pid=$QF_LAST_PID
main=$(qf_wait_for_window "$pid" 554 "337-420" 30) || fail "the main window did not appear"
menu_h=$(($(xdotool getwindowgeometry --shell "$main" | sed -n 's/^HEIGHT=//p') - 336))
client_click() {
    xdotool mousemove --window "$main" "$1" $((menu_h + $2)) sleep 0.05 click 1
}
qf_wait_until 10 player status || fail "no player named quietfield on the session bus"
# Past the stored mix's 3 s rise at the start.
sleep 3.5

[[ $(player status) == Playing ]] || fail "status is '$(player status)', not Playing"
[[ $(player metadata title) == "Pink and Brown Noise" ]] ||
    fail "the title is '$(player metadata title)', not 'Pink and Brown Noise'"

# Every change the player announces, one line each.
player --follow metadata --format '{{status}} {{title}}' >"$QF_SESSION_DIR/announced" 2>&1 &
echo $! >>"$QF_SESSION_DIR/spawned.pids"
sleep 0.5

listen "$QF_SESSION_DIR/playing.raw" 2
before=$("$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/playing.raw" \
    --min-active 1.9 --min-db -40) || fail "the stored mix is not playing"
slope_before=$("$QF_PYTHON" "$QF_E2E_DIR/noise_slope.py" "$QF_SESSION_DIR/playing.raw")
import -window "$main" "$QF_SESSION_DIR/before.png"
cpu_start=$(cpu_seconds)
sleep 5
cpu_playing=$(awk -v a="$cpu_start" -v b="$(cpu_seconds)" 'BEGIN { printf "%.2f", b - a }')

# The fade to silence, from steady sound, in 20 ms steps: shorter blocks of pink and brown noise
# stray so far that one of them late in the fade can pass for the steady level.
qf_record_start "$QF_SESSION_DIR/pausing.raw"
sleep 1
player pause
sleep 1
qf_record_stop
shape=$("$QF_PYTHON" "$QF_E2E_DIR/fade_shape.py" "$QF_SESSION_DIR/pausing.raw" --block 0.02 \
    --steady-from 0.1 --steady-to 0.8) || fail "pause did not silence the sink"
echo "program_media: pause: $shape"
awk -v s="$(value_of fade_seconds "$shape")" 'BEGIN { exit !(s >= 0.15 && s <= 0.45) }' ||
    fail "the fade to silence took $(value_of fade_seconds "$shape") s, not about 0.3 s"
# Heard to its end: a fade whose tail the closing output cut off drops to silence from on high.
awk -v l="$(value_of last_db "$shape")" 'BEGIN { exit !(l <= -25) }' ||
    fail "the fade was cut off $(value_of last_db "$shape") dB below the steady level"
[[ $(player status) == Paused ]] || fail "status is '$(player status)' after pause"
[[ $(xdotool getwindowname "$main") == "Quietfield (paused)" ]] ||
    fail "the caption reads '$(xdotool getwindowname "$main")' while paused"
# Paused, the output is closed: no stream on the server, no audio thread in the program.
qf_noise_playing && fail "the noise stream stays open on the sound server while paused"
listen "$QF_SESSION_DIR/paused.raw" 2
"$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/paused.raw" --max-active 0 ||
    fail "sound while paused"
cpu_start=$(cpu_seconds)
sleep 5
cpu_paused=$(awk -v a="$cpu_start" -v b="$(cpu_seconds)" 'BEGIN { printf "%.2f", b - a }')
echo "program_media: CPU over 5 s: playing ${cpu_playing} s, paused ${cpu_paused} s"
awk -v p="$cpu_paused" -v q="$cpu_playing" 'BEGIN { exit !(p <= q / 2) }' ||
    fail "paused, the program still used ${cpu_paused} s of CPU in 5 s (playing: ${cpu_playing} s)"
import -window "$main" "$QF_SESSION_DIR/paused.png"
changed=$(compare -metric AE "$QF_SESSION_DIR/before.png" "$QF_SESSION_DIR/paused.png" null: 2>&1 ||
    true)
[[ $changed == 0 ]] || fail "pausing changed $changed pixels of the window"

player play
sleep 0.6
[[ $(player status) == Playing ]] || fail "status is '$(player status)' after play"
[[ $(xdotool getwindowname "$main") == Quietfield ]] ||
    fail "the caption reads '$(xdotool getwindowname "$main")' after play"
listen "$QF_SESSION_DIR/again.raw" 2
after=$("$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/again.raw" --min-active 1.9) ||
    fail "play did not bring the sound back"
slope_after=$("$QF_PYTHON" "$QF_E2E_DIR/noise_slope.py" "$QF_SESSION_DIR/again.raw")
echo "program_media: before pause: $before ${slope_before}; after play: $after ${slope_after}"
awk -v a="$(value_of rms_dbfs "$before")" -v b="$(value_of rms_dbfs "$after")" \
    'BEGIN { d = a - b; exit !(d < 1 && d > -1) }' || fail "the level after play differs by 1 dB or more"
awk -v a="${slope_before#*=}" -v b="${slope_after#*=}" \
    'BEGIN { d = a - b; exit !(d < 0.3 && d > -0.3) }' || fail "the mix after play has another slope"

# A change in the window resumes: the pan slider's right arrow.
player pause
sleep 0.5
[[ $(player status) == Paused ]] || fail "play-pause did not pause"
client_click 519 208
sleep 0.6
[[ $(player status) == Playing ]] || fail "moving the pan slider did not resume"
[[ $(xdotool getwindowname "$main") == Quietfield ]] || fail "the caption still reads paused"
listen "$QF_SESSION_DIR/resumed.raw" 1
"$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/resumed.raw" --min-active 0.9 >/dev/null ||
    fail "no sound after the pan slider resumed"
client_click 497 208 # back to the centre
player play-pause
sleep 0.3
[[ $(player status) == Paused ]] || fail "play-pause did not pause"
player play-pause
sleep 0.3
[[ $(player status) == Playing ]] || fail "play-pause did not play"

# Unticking and ticking Brown again changes the title both ways.
client_click 34 40
sleep 0.3
[[ $(player metadata title) == "Pink Noise" ]] || fail "with Brown off the title is not 'Pink Noise'"
client_click 34 40
sleep 0.3
for want in "Paused Pink and Brown Noise" "Playing Pink and Brown Noise" "Playing Pink Noise"; do
    grep -qx "$want" "$QF_SESSION_DIR/announced" ||
        fail "'$want' was never announced: $(tr '\n' ';' <"$QF_SESSION_DIR/announced")"
done

# Options > Answer Media Keys, unchecked: the player leaves the bus, and the choice is kept.
listed() {
    playerctl -l 2>/dev/null | grep -qx quietfield
}
answer_keys() {
    xdotool windowfocus --sync "$main"
    xdotool key --delay 150 alt+p k
}
answer_keys
qf_wait_until 2 eval '! listed' || fail "unchecked, playerctl still lists the program"
[[ $(cat "$XDG_CONFIG_HOME/quietfield/media-keys" 2>/dev/null) == off ]] ||
    fail "the media keys' choice was not kept"
qf_alive "$pid" || fail "the program died leaving the media keys"

# A second start while this one runs, the media keys left to others: the running window comes
# to the top (a window of another program covers it first), and the new start ends at once
# without playing.
xlogo -geometry 400x300+0+0 >/dev/null 2>&1 &
echo $! >>"$QF_SESSION_DIR/spawned.pids"
other=$(xdotool search --sync --class xlogo | head -n1)
xdotool windowraise "$other"
# xwininfo lists the screen's windows from the top down.
topmost() {
    xwininfo -root -children | awk '/^ +0x/ { print $1 }' | grep -m1 -x -e "$(printf '0x%x' "$main")" \
        -e "$(printf '0x%x' "$other")"
}
[[ $(topmost) == $(printf '0x%x' "$other") ]] || fail "the other window did not cover the program"
second=0
timeout 10 "$folder/$(basename "$app")" >"$QF_SESSION_DIR/logs/second.log" 2>&1 || second=$?
((second == 0)) || fail "the second start ended with status $second"
sleep 0.3
[[ $(topmost) == $(printf '0x%x' "$main") ]] || fail "the second start did not raise the window"
streams=$(qf_stream_sinks Noise | wc -l)
((streams == 1)) || fail "$streams noise streams after a second start"
qf_alive "$pid" || fail "the first program ended"

# Checked again: listed, and the media keys reach it.
answer_keys
qf_wait_until 2 listed || fail "checked again, playerctl does not list the program"
player play-pause
status_is() {
    [[ $(player status) == "$1" ]]
}
qf_wait_until 2 status_is Paused || fail "play-pause did not pause"
player play-pause
qf_wait_until 2 status_is Playing || fail "play-pause did not play"

# Quit closes every window by its normal path, writing the mix (no control was changed by any
# of the above for good).
gdbus call --session -d org.mpris.MediaPlayer2.quietfield -o /org/mpris/MediaPlayer2 \
    -m org.mpris.MediaPlayer2.Quit >/dev/null || fail "Quit was not accepted"
status=0
wait "$pid" || status=$?
((status == 0)) || fail "the program exited with status $status after Quit"
printf '%s' "$mix" >"$QF_SESSION_DIR/expected.ini"
cmp -s "$QF_SESSION_DIR/expected.ini" "$folder/settings.ini" ||
    fail "settings.ini changed: $(od -c "$folder/settings.ini" | head -5)"
echo "program_media: pause, play, status, title, announcements, second start and Quit all right"
