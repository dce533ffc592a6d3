#!/usr/bin/env bash
# The real program while its sound server crashes and comes back five times in 20 s, then
# restarts three times in a row: each time the noise must be back within 2 s of the new server.
# With the server gone, and again with a server that hangs, the program must still end within
# half a second when asked to close (SIGTERM, the desktop's way, which takes the main window's
# close path). Prints the figures it measured.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

app=${1:?usage: program_restarts.sh path/to/quietfield}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

fail() {
    echo "program_restarts: FAIL: $*" >&2
    qf_session_dump_logs
    exit 1
}

qf_session_start

qf_start_program "$app" || fail "the main window did not appear"
pid=$QF_APP_PID
qf_tick_row 2 # "Pink Noise"
sleep 0.5
qf_record_start "$QF_SESSION_DIR/before.raw"
sleep 1
qf_record_stop
"$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/before.raw" --min-active 0.9 \
    --min-db -30 >/dev/null || fail "ticking Pink Noise did not make it audible"

# The program's stream shows up on the new server once it has reopened its device, and it plays
# from that moment on: waits for it (at most 3 s, failing past 2 s), leaves the time in $back,
# and records 0.8 s of it into $2.raw, which later shows it is the noise.
comes_back() {
    local what=$1 up
    up=$(qf_now_ms)
    qf_wait_until 3 qf_noise_playing ||
        fail "$what: the program did not reopen its stream within 3 s"
    back=$(($(qf_now_ms) - up))
    ((back < 2000)) || fail "$what: the noise was back only after $back ms"
    qf_record_start "$QF_SESSION_DIR/$2.raw"
    sleep 0.8
    qf_record_stop
}

stream_back=()
started=$(qf_now_ms)
for round in 1 2 3 4 5; do
    qf_stop_pulse KILL
    sleep 0.4
    qf_start_pulse || fail "round $round: the sound server did not start again"
    echo "$QF_PULSE_PID" >>"$QF_SESSION_DIR/spawned.pids"
    comes_back "round $round" "round$round"
    stream_back+=("$back")
done
elapsed=$(($(qf_now_ms) - started))
qf_alive "$pid" || fail "the program died while the server came and went"
((elapsed <= 20000)) || fail "five restarts took $elapsed ms, more than 20 s"
for round in 1 2 3 4 5; do
    "$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/round$round.raw" \
        --min-active 0.6 --min-db -30 >/dev/null ||
        fail "round $round: the noise did not come back"
done

# Three restarts of the desktop's sound service in a row, each stopping it politely and starting
# it again at once. Under PipeWire its core is back a moment before the pulse service; a device
# opened on the core then would not hear of the next restart.
service_back=()
for round in 1 2 3; do
    qf_restart_pulse 0 || fail "restart $round: the sound server did not start again"
    comes_back "restart $round" "restart$round"
    service_back+=("$back")
    "$QF_PYTHON" "$QF_E2E_DIR/audio_level.py" "$QF_SESSION_DIR/restart$round.raw" \
        --min-active 0.6 --min-db -30 >/dev/null ||
        fail "restart $round: the noise did not come back"
done

# With the server gone for good, the program is asked to close.
qf_stop_pulse KILL
sleep 1
qf_alive "$pid" || fail "the program died when the server went away"
asked=$(qf_now_ms)
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
close_ms=$(($(qf_now_ms) - asked))
((status == 0)) || fail "the program exited with status $status"
((close_ms < 500)) || fail "the program took $close_ms ms to end with the server gone"

# A server that still exists but no longer answers (stopped) is worse: calls into it block.
qf_start_pulse || fail "the sound server did not start again"
echo "$QF_PULSE_PID" >>"$QF_SESSION_DIR/spawned.pids"
qf_spawn "$QF_SESSION_DIR/app/$(basename "$app")"
pid=$QF_LAST_PID
qf_wait_for_window "$pid" 554 "336-420" 30 >/dev/null || fail "the main window did not appear again"
qf_wait_until 5 qf_noise_playing || fail "the second run did not open its stream"
kill -STOP "$QF_PULSE_PID"
sleep 1
asked=$(qf_now_ms)
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
hung_ms=$(($(qf_now_ms) - asked))
kill -CONT "$QF_PULSE_PID"
((status == 0)) || fail "with the server hanging the program exited with status $status"
((hung_ms < 500)) || fail "the program took $hung_ms ms to end with the server hanging"

echo "program_restarts ($QF_SOUND_SERVER): noise back ${stream_back[*]} ms after each new" \
    "server was up; 5 restarts in $elapsed ms; back ${service_back[*]} ms after each of 3" \
    "service restarts; ended $close_ms ms after SIGTERM with the server gone," \
    "$hung_ms ms with the server hanging"
