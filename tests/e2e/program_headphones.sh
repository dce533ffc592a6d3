#!/usr/bin/env bash
# Headphones that go away pause the mix rather than hand it to the speakers. Chosen in the Output
# menu and unplugged, they leave the caption "Quietfield (paused)" and the player Paused, and
# nothing of the deep queue the locked screen brings is heard on the default output past 100 ms;
# plugged in again, the mix plays on them within 2 s. With Output > Pause When Headphones Go
# unchecked, a Bluetooth output that goes away hands the noise to the default, which plays on.
# Checked again, headphones that are the system default pause the mix the same way when they go,
# and it plays on them again when they are back.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"
qf_private_bus "$0" "$@"
app=${1:?usage: program_headphones.sh path/to/quietfield}

fail() {
    echo "program_headphones: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

# A null sink called $1 that the server takes for a personal output by the properties in $2
# (one word each). When it came is left in `plugged_at` (ms).
plug() {
    pactl load-module module-null-sink sink_name="$1" rate="$QF_RATE" channels=2 \
        format="$QF_SINK_FORMAT" sink_properties="\"device.description=$1 $2\"" >/dev/null ||
        return 1
    plugged_at=$(qf_now_ms)
}

noise_on() {
    [[ $(qf_stream_sinks Noise) == *" $1" ]]
}

caption_is() {
    [[ $(xdotool getwindowname "$QF_APP_WID") == "$1" ]]
}

default_now() {
    [[ $(pactl get-default-sink) == "$1" ]]
}

# Makes sink $1 the system's default; under PipeWire its session manager may take a moment.
default_is() {
    pactl set-default-sink "$1" && default_now "$1"
}

# Runs a command until it succeeds, every 20 ms for at most $1 ms; prints how long that took.
within() {
    local limit=$1 start
    shift
    start=$(qf_now_ms)
    until "$@" >/dev/null 2>&1; do
        (($(qf_now_ms) - start < limit)) || return 1
        sleep 0.02
    done
    echo $(($(qf_now_ms) - start))
}

# Waits until the noise is on sink $1, at most 2 s after it was plugged in; prints the ms since.
back_on() {
    within $((plugged_at + 2000 - $(qf_now_ms))) noise_on "$1" >/dev/null || return 1
    echo $(($(qf_now_ms) - plugged_at))
}

# "deep" or "shallow", as noise_queue.py tells the Noise stream's queue.
queues() {
    [[ $("$QF_PYTHON" "$QF_E2E_DIR/noise_queue.py") == *" $1" ]]
}

# The output choice file holds no "continue": Pause When Headphones Go is checked.
kept_checked() {
    ! grep -qx continue "$XDG_CONFIG_HOME/quietfield/output"
}

# Opens the Output menu and picks its item $1 places below "System default"; with "" for $1 it
# presses the key $2 in it instead.
output_menu() {
    xdotool windowfocus --sync "$QF_APP_WID"
    xdotool key --delay 150 alt+o
    if [[ -n $1 ]]; then
        local downs=() i
        for ((i = 0; i < $1; i++)); do downs+=(Down); done
        xdotool key --delay 150 "${downs[@]}" Return
    else
        xdotool key --delay 150 "$2"
    fi
}

# Where the program lists sink $1: after "System default", in the server's order.
place_of() {
    pactl list short sinks | awk -v want="$1" '$2 == want { print NR; exit }'
}

# As a desktop's screensaver tells it: nobody is at the program, so the noise queues deeply.
lock_screen() {
    gdbus emit --session --object-path /org/freedesktop/ScreenSaver \
        --signal org.freedesktop.ScreenSaver.ActiveChanged true >/dev/null
}

# Removes sink $1 while the default output is recorded; the moment the server has done so (on
# the recorder's clock) is left in `removed`, and how soon the caption read paused, if within
# 1 s, in `paused_ms`.
unplug() {
    qf_remove_sink "$1"
    removed=$EPOCHREALTIME
    paused_ms=$(within 1000 caption_is "Quietfield (paused)") || paused_ms=""
}

# Prints what the default output's recording holds from the last removal on for 1 s, in 10 ms
# blocks louder than -60 dBFS: "<ms from the removal to the end of the last> <ms of them>", or
# "none 0". Waits at most 3 s for the recording to reach that far.
heard_since_removal() {
    "$QF_PYTHON" - "$QF_SESSION_DIR/default.raw" "$removed" "$QF_RATE" <<'PY'
import os
import sys
import time

import numpy as np

sys.path.insert(0, os.environ["QF_E2E_DIR"])
from stamped_record import frame_at, heard_at, read_times

path, removed, rate = sys.argv[1], float(sys.argv[2]), int(sys.argv[3])
deadline = time.time() + 3
while True:
    ends, arrivals = read_times(path + ".times")
    if heard_at(int(ends[-1]), ends, arrivals, rate) > removed + 1.02:
        break
    if time.time() > deadline:
        sys.exit("the recording does not reach 1 s past the removal")
    time.sleep(0.05)
samples = np.fromfile(path, dtype="<f4", count=int(ends[-1]) * 2).reshape(-1, 2)
start, end = frame_at(removed, ends, arrivals, rate), frame_at(removed + 1, ends, arrivals, rate)
block = rate // 100
count = (end - start) // block
blocks = samples[start : start + count * block].reshape(count, block * 2).astype(np.float64)
loud = np.flatnonzero(np.sqrt(np.mean(blocks**2, axis=1)) > 1e-3)
if loud.size == 0:
    print("none 0")
else:
    last = heard_at(start + (int(loud[-1]) + 1) * block, ends, arrivals, rate)
    print(round(1000 * (last - removed)), loud.size * 10)
PY
}

# Fails unless nothing was heard on the default output from 100 ms after the removal on; how
# long after it the last sound was heard is left in `last_ms` ("none": none at all).
quiet_after_removal() {
    local heard
    heard=$(heard_since_removal) || return 1
    last_ms=${heard% *}
    [[ $last_ms == none ]] || ((last_ms <= 100))
}

# How a `last_ms` reads in the summary.
after() {
    if [[ $1 == none ]]; then echo "not at all"; else echo "until $1 ms after"; fi
}

# The noise is heard on sink $1 (kept busy, so its monitor hands over its sound at once); the
# session's recorder is busy with the default output.
heard_on() {
    local pid
    parec --device="$1.monitor" --format=float32le --rate="$QF_RATE" --channels=2 \
        --latency-msec=20 --raw >"$QF_SESSION_DIR/on-$1.raw" 2>>"$QF_SESSION_DIR/logs/parec.log" &
    pid=$!
    echo "$pid" >>"$QF_SESSION_DIR/spawned.pids"
    sleep 1
    kill -INT "$pid"
    qf_end_pid "$pid" 5
    "$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/on-$1.raw" --rate "$QF_RATE" \
        --min-active 0.5 --min-db -40 >/dev/null
}

qf_session_start
plug phones device.form_factor=headphones || fail "the headphones' sink did not load"
plug buds device.bus=bluetooth || fail "the Bluetooth sink did not load"
# Playing what comes to them at once, as real headphones do (qf_keep_busy): an idle null sink
# renders far ahead, which would leave less of the queue to go elsewhere.
qf_keep_busy phones || fail "the headphones' sink plays nothing"
stage="$QF_SESSION_DIR/stage"
cp -a "$(dirname "$app")" "$stage"
# Pink alone at -6 dB.
printf '%s' $'0,1,0,0,0,0,-600,0,0,0,22050,22050,1000,1000,1000\r\n' >"$stage/settings.ini"
qf_start_program "$stage/$(basename "$app")" || fail "the main window did not appear"
qf_wait_until 10 playerctl -p quietfield status || fail "no player named quietfield"
qf_wait_until 5 noise_on "$QF_SINK" || fail "the stored mix did not start on the default output"
# The default output, timed at the sink, from here to the end.
QF_RECORD_STAMPED=1 qf_record_start "$QF_SESSION_DIR/default.raw"

# Headphones chosen in the Output menu, and the screen locked: the noise queues 2 s ahead.
output_menu "$(place_of phones)"
within 2000 noise_on phones >/dev/null || fail "the noise did not move to the chosen headphones"
lock_screen
qf_wait_until 5 queues deep || fail "locked, the noise does not queue deeply"
sleep 1.5
unplug phones
[[ -n $paused_ms ]] ||
    fail "the headphones went, and the caption reads '$(xdotool getwindowname "$QF_APP_WID")'"
[[ $(playerctl -p quietfield status) == Paused ]] ||
    fail "the headphones went, and the player is $(playerctl -p quietfield status)"
chosen_paused=$paused_ms
quiet_after_removal ||
    fail "the chosen headphones went, and the default output was heard ${last_ms:-?} ms after"
chosen_heard=$last_ms
plug phones device.form_factor=headphones || fail "the headphones' sink did not load again"
chosen_back=$(back_on phones) || fail "the mix did not play again on the headphones"
within 1000 caption_is Quietfield >/dev/null || fail "back on the headphones, the caption reads paused"
qf_keep_busy phones || fail "the headphones' sink plays nothing"
heard_on phones || fail "the mix is not heard on the headphones once they are back"

# Unchecked, a Bluetooth output that goes away hands the noise to the default, which plays on.
output_menu "$(place_of buds)"
within 2000 noise_on buds >/dev/null || fail "the noise did not move to the chosen Bluetooth output"
output_menu "" p
within 2000 grep -qx continue "$XDG_CONFIG_HOME/quietfield/output" >/dev/null ||
    fail "unchecking was not kept: $(cat "$XDG_CONFIG_HOME/quietfield/output" 2>&1)"
unplug buds
heard=$(heard_since_removal) || fail "the default output was not recorded"
# The same measure that the headphones' removals pass finds the noise here.
unchecked_ms=${heard#* }
((unchecked_ms >= 800)) ||
    fail "unchecked, the default output played only ${unchecked_ms} ms of the second after"
if [[ -n $paused_ms ]] || ! caption_is Quietfield; then
    fail "unchecked, the mix paused when the Bluetooth output went"
fi
noise_on "$QF_SINK" || fail "unchecked, the noise is not on the default output"

# Checked again, with the system's default output on the headphones.
output_menu 0
output_menu "" p
within 2000 kept_checked >/dev/null ||
    fail "checking again was not kept: $(cat "$XDG_CONFIG_HOME/quietfield/output" 2>&1)"
qf_wait_until 10 default_is phones || fail "the headphones did not become the default output"
within 2000 noise_on phones >/dev/null || fail "the noise did not follow the default to the headphones"
qf_wait_until 5 queues deep || fail "locked, the noise on the default does not queue deeply"
sleep 1.5
unplug phones
[[ -n $paused_ms ]] || fail "the default headphones went, and the caption does not read paused"
default_paused=$paused_ms
quiet_after_removal ||
    fail "the default headphones went, and the new default was heard ${last_ms:-?} ms after"
default_heard=$last_ms
plug phones device.form_factor=headphones || fail "the headphones' sink did not load again"
# Both servers hand the default back to the output the user chose once it is there again;
# should one not, the test does, so that only the program is timed.
if ! within 2000 default_now phones >/dev/null; then
    echo "program_headphones: the server kept its default on $(pactl get-default-sink); set again"
    pactl set-default-sink phones
    plugged_at=$(qf_now_ms)
fi
default_back=$(back_on phones) || fail "the mix did not play again on the default headphones"
within 1000 caption_is Quietfield >/dev/null || fail "back on the default headphones, the caption reads paused"
qf_record_stop
qf_alive "$QF_APP_PID" || fail "the program died"
echo "program_headphones: the chosen headphones gone, paused after ${chosen_paused} ms, the" \
    "default heard $(after "$chosen_heard"); back on them ${chosen_back} ms after they" \
    "returned. As the default: paused after ${default_paused} ms, the new default heard" \
    "$(after "$default_heard"), back ${default_back} ms after. Unchecked, the default" \
    "played ${unchecked_ms} ms of the second after the output went"
