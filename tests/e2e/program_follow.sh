#!/usr/bin/env bash
# The real program follows the desktop's output: with the noise playing, a second sink is added
# and made the default, and the noise must move there within 2 s and keep playing, the old sink
# falling silent. Then once more with the stream placed on a sink by hand, which the server
# itself does not move: the program has to. Prints how long each move took and who made it.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

app=${1:?usage: program_follow.sh path/to/quietfield}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "program_follow: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

noise_on() {
    [[ $(qf_stream_sinks Noise) == *" $1" ]]
}

# Records sink $1's monitor for a second into $2.
listen() {
    qf_record_start "$QF_SESSION_DIR/$2.raw" "$1.monitor"
    sleep 1
    qf_record_stop
}

# Makes sink $1 the default and waits for the noise to arrive there; prints "ms who".
follow_to() {
    local sink=$1 before after start
    before=$(qf_stream_sinks Noise)
    start=$(qf_now_ms)
    pactl set-default-sink "$sink"
    qf_wait_until 2 noise_on "$sink" || return 1
    after=$(qf_stream_sinks Noise)
    # The same stream on the new sink was moved by the server; a new one was reopened.
    if [[ ${before%% *} == "${after%% *}" ]]; then
        echo "$(($(qf_now_ms) - start)) server"
    else
        echo "$(($(qf_now_ms) - start)) program"
    fi
}

# The noise plays on $1 and not on $2.
check_moved() {
    listen "$1" "on-$1"
    "$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/on-$1.raw" --min-active 0.8 \
        --min-db -30 >/dev/null || fail "the noise does not play on $1"
    listen "$2" "off-$2"
    "$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/off-$2.raw" --min-seconds 0.8 \
        --max-active 0 >/dev/null || fail "the noise still plays on $2"
}

qf_session_start

qf_start_program "$app" || fail "the main window did not appear"
pid=$QF_APP_PID
qf_tick_row 2 # "Pink Noise"
qf_wait_until 5 noise_on "$QF_SINK" || fail "the noise did not start on the default sink"

# Headphones plugged in and chosen in the desktop's sound settings.
qf_add_sink qf_second
first=$(follow_to qf_second) || fail "the noise did not move to the new default within 2 s"
check_moved qf_second "$QF_SINK"

# Placed on the first sink by hand (as a mixer application does), the stream is one the server
# leaves alone when the default changes again.
qf_add_sink qf_third
place_by_hand() {
    qf_move_stream "$(qf_stream_sinks Noise | cut -d' ' -f1)" "$QF_SINK"
    qf_wait_until 1 noise_on "$QF_SINK"
}
# A person whose move did not take makes it again; with the move written as qf_move_stream
# writes it, the first one has held in every run seen.
place_by_hand || place_by_hand || fail "the stream could not be placed by hand"
second=$(follow_to qf_third) || fail "the noise placed by hand did not follow the default"
check_moved qf_third "$QF_SINK"

qf_alive "$pid" || fail "the program died"
qf_terminate "$pid" || fail "the program exited with status $? on SIGTERM"
echo "program_follow: noise on the new default after ${first% *} ms (moved by the ${first#* })," \
    "placed by hand after ${second% *} ms (moved by the ${second#* })"
