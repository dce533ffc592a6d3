#!/usr/bin/env bash
# Proves the whole-program test harness on its own: the private X screen answers, the private
# sound server's default sink is the null sink, its monitor records silence as silence and a
# known tone at its known level, side and pitch, and teardown leaves nothing running.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

fail() {
    echo "harness_smoke: FAIL: $*" >&2
    if [[ -n ${QF_SESSION_DIR:-} ]]; then
        qf_session_dump_logs
    fi
    exit 1
}

inner() {
    local state=$1
    # shellcheck source=session.sh
    source "$here/session.sh"
    qf_session_start
    echo "$QF_SESSION_DIR ${DISPLAY#:} $QF_XVFB_PID $QF_PULSE_PID $QF_WATCHDOG_PID" >"$state"
    # Every process of the sound server (PipeWire has three) and its bus, if it has one.
    echo "${QF_SERVER_PIDS[*]} $QF_BUS_PID" >>"$state"

    local info
    info=$(xdpyinfo)
    grep -q 'dimensions: *1280x1024 pixels' <<<"$info" || fail "screen is not 1280x1024"
    grep -q 'depth of root window: *24 planes' <<<"$info" || fail "screen depth is not 24"

    local v
    for v in HOME XDG_RUNTIME_DIR XDG_CONFIG_HOME XDG_CACHE_HOME TMPDIR PULSE_RUNTIME_PATH; do
        [[ ${!v} == "$QF_SESSION_DIR"/* ]] || fail "$v=${!v} is outside the session folder"
    done
    [[ $(stat -c %a "$XDG_RUNTIME_DIR") == 700 ]] || fail "XDG_RUNTIME_DIR is not private"
    [[ $PULSE_SERVER == "unix:$QF_SESSION_DIR/"* ]] || fail "PULSE_SERVER=$PULSE_SERVER"
    [[ $(pactl get-default-sink) == "$QF_SINK" ]] || fail "default sink is not $QF_SINK"

    local silence="$QF_SESSION_DIR/silence.raw" tone="$QF_SESSION_DIR/tone.raw"
    qf_record_start "$silence"
    sleep 1
    qf_record_stop
    "$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$silence" --min-seconds 0.7 --max-active 0 ||
        fail "the monitor of an idle sink is not a silent, flowing stream"

    # Left at -15 dBFS RMS, right 6 dB lower: level, balance and pitch must all come back.
    qf_record_start "$tone"
    "$QF_PYTHON" "$QF_E2E_DIR/make_tone.py" --hz 440 --seconds 2 --left 0.25 --right 0.125 |
        pacat --playback --format=float32le --rate="$QF_RATE" --channels=2 --raw
    sleep 0.3
    qf_record_stop
    "$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$tone" --min-active 1.8 --max-active 2.3 \
        --left-db -15.05 --right-db -21.07 --db-tolerance 0.5 --max-peak-db -11.5 \
        --expect-hz 440 --hz-tolerance 1 ||
        fail "the tone played into the sink did not come back from its monitor"
}

outer() {
    state_file=$(mktemp)
    trap 'rm -f "$state_file"' EXIT
    QF_SESSION_QUIET=1 bash "${BASH_SOURCE[0]}" inner "$state_file" ||
        fail "checks inside the session"

    local dir display xvfb pulse watchdog pid servers
    {
        read -r dir display xvfb pulse watchdog
        read -r -a servers
    } <"$state_file"
    [[ -n $dir && -n $xvfb && -n $pulse && -n $watchdog ]] || fail "session details not recorded"
    [[ ! -e $dir ]] || fail "session folder $dir was left behind"
    for pid in "$xvfb" "$pulse" "$watchdog" "${servers[@]}"; do
        if kill -0 "$pid" 2>/dev/null; then
            fail "process $pid ($(cat "/proc/$pid/comm" 2>/dev/null)) outlived the session"
        fi
    done
    [[ ! -e /tmp/.X11-unix/X$display ]] || fail "display :$display still has a socket"
    echo "harness_smoke: the session started, recorded silence and a tone, and tore down cleanly"
}

if [[ ${1:-} == inner ]]; then
    inner "$2"
else
    outer
fi
