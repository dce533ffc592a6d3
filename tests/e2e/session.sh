#!/usr/bin/env bash
# shellcheck shell=bash
#
# A private desktop for whole-program tests: an Xvfb screen and a sound server whose default
# sink is a null sink (PulseAudio, or PipeWire with WirePlumber and pipewire-pulse), all living
# in one temporary folder that is removed at the end.
# Nothing outside that folder is read or written, so tests can run as root, side by side with
# a real desktop, and leave nothing behind.
#
# Two ways to use it:
#
#   1. Source it from a bash test script:
#          source tests/e2e/session.sh
#          qf_session_start                # exports DISPLAY, PULSE_SERVER, HOME, ...
#          qf_record_start "$QF_SESSION_DIR/out.raw"
#          qf_spawn ./program              # pid in QF_LAST_PID; ended at teardown
#          ...
#          qf_record_stop
#      qf_session_start installs an EXIT trap that tears everything down; a caller that needs
#      its own EXIT trap must call qf_session_stop from it.
#
#   2. Run a command inside a fresh session:
#          tests/e2e/session.sh [--record FILE] -- command [args...]
#      The command's exit status is returned; FILE (if given) holds the sink's monitor as raw
#      float32le, 48000 Hz, stereo, and is kept after teardown.
#
# Settings read from the environment:
#   QF_KEEP_SESSION=1   keep the temporary folder (logs, recordings) after teardown
#   QF_SESSION_QUIET=1  do not print where the session lives
#   QF_PRIVATE_BUS=1    keep DBUS_SESSION_BUS_ADDRESS (set by qf_private_bus)
#   QF_RATE, QF_SINK_FORMAT  the servers' rate (48000) and the test sink's format (float32le)
#   QF_PULSE_LOG_LEVEL  PulseAudio's log level in logs/pulse.log (notice); debug shows underruns
#   QF_SOUND_SERVER     pulseaudio (the default) or pipewire; PipeWire's processes get a
#                       session bus of their own unless the test has one (qf_private_bus)
#
# Exported for the program and the test:
#   DISPLAY, PULSE_SERVER, HOME, XDG_RUNTIME_DIR, XDG_CONFIG_HOME, XDG_CACHE_HOME,
#   XDG_DATA_HOME, TMPDIR, PULSE_RUNTIME_PATH, PULSE_STATE_PATH, PULSE_CLIENTCONFIG,
#   QT_QPA_PLATFORM=xcb, QF_SESSION_DIR, QF_SINK, QF_MONITOR,
#   QF_PYTHON (a python3 that has numpy), QF_E2E_DIR (this folder).

QF_E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export QF_E2E_DIR
# Debian's numpy is installed for the system interpreter, which a version manager earlier in
# PATH would hide.
if [[ -z ${QF_PYTHON:-} ]]; then
    if [[ -x /usr/bin/python3 ]]; then
        QF_PYTHON=/usr/bin/python3
    else
        QF_PYTHON=python3
    fi
fi
export QF_PYTHON

QF_SOUND_SERVER=${QF_SOUND_SERVER:-pulseaudio}
case $QF_SOUND_SERVER in
pulseaudio | pipewire) ;;
*)
    echo "session: QF_SOUND_SERVER must be pulseaudio or pipewire, not $QF_SOUND_SERVER" >&2
    exit 2
    ;;
esac
export QF_SOUND_SERVER

QF_SINK=qf_null
QF_MONITOR=qf_null.monitor
# The servers' rate and the test sink's sample format; a test may choose others before sourcing
# this file (desktops run at 44100 Hz s16le as often as at 48000 Hz).
QF_RATE=${QF_RATE:-48000}
QF_SINK_FORMAT=${QF_SINK_FORMAT:-float32le}
export QF_SINK QF_MONITOR QF_RATE QF_SINK_FORMAT

QF_SESSION_DIR=""
QF_XVFB_PID=""
QF_PULSE_PID=""
QF_SERVER_PIDS=()
QF_BUS_PID=""
QF_BUS_ADDRESS=""
QF_RECORD_PID=""
QF_WATCHDOG_PID=""
QF_LAST_PID=""
QF_SPAWNED_PIDS=()

qf_log() {
    echo "session: $*" >&2
}

# Runs the calling script afresh inside a session bus of its own, which ends with it; call it
# first, as: qf_private_bus "$0" "$@". Inside, QF_PRIVATE_BUS=1.
qf_private_bus() {
    if [[ ${QF_PRIVATE_BUS:-0} != 1 ]]; then
        QF_PRIVATE_BUS=1 exec dbus-run-session -- bash "$@"
    fi
}

# Waits until a command succeeds, polling every 0.1 s, for at most $1 seconds.
qf_wait_until() {
    local timeout=$1
    shift
    local deadline=$((SECONDS + timeout))
    until "$@" >/dev/null 2>&1; do
        if ((SECONDS >= deadline)); then
            return 1
        fi
        sleep 0.1
    done
}

# Clicks the check box of row $1 (1 "Brown Noise" to 5) in the main window that
# qf_start_program opened: the boxes sit at x 24, from y 32, 24 px apart.
qf_tick_row() {
    xdotool mousemove --window "$QF_APP_WID" 34 $((QF_MENU_H + 40 + ($1 - 1) * 24)) sleep 0.1 click 1
}

# Clicks a client-area point of window $1 given in twips (as the layouts are drawn), below a
# menu bar of $4 pixels.
qf_click_twips() {
    local wid=$1 x=$2 y=$3 menu=${4:-0}
    xdotool mousemove --window "$wid" $((x / 15)) $((y / 15 + menu)) sleep 0.05 click 1
}

# Clicks that main window's "Close" button, at (516, 320).
qf_click_close() {
    xdotool mousemove --window "$QF_APP_WID" 516 $((QF_MENU_H + 320)) sleep 0.05 click 1
}

# Milliseconds on the wall clock, for timing what a test waits for.
qf_now_ms() {
    echo $(($(date +%s%N) / 1000000))
}

# Whether the program's noise stream is open on the sound server.
qf_noise_playing() {
    [[ -n $(qf_stream_sinks Noise) ]]
}

qf_alive() {
    [[ -n $1 ]] && kill -0 "$1" 2>/dev/null
}

# Ends the program with SIGTERM, as a log-off does; fails with its exit status unless that is 0.
qf_terminate() {
    local status=0
    kill -TERM "$1"
    wait "$1" || status=$?
    return "$status"
}

# Ends one process of ours: politely first, then by force after $2 seconds.
qf_end_pid() {
    local pid=$1 grace=${2:-5}
    qf_alive "$pid" || return 0
    kill -TERM "$pid" 2>/dev/null || true
    local deadline=$((SECONDS + grace))
    while qf_alive "$pid" && ((SECONDS < deadline)); do
        sleep 0.1
    done
    if qf_alive "$pid"; then
        kill -KILL "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
}

qf_start_xvfb() {
    local fdfile="$QF_SESSION_DIR/logs/xvfb.display"
    : >"$fdfile"
    # -displayfd lets the server pick a free display number itself and report it once it
    # accepts connections, which avoids racing other servers for a number.
    Xvfb -displayfd 7 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -noreset \
        7>"$fdfile" >"$QF_SESSION_DIR/logs/xvfb.log" 2>&1 &
    QF_XVFB_PID=$!
    local deadline=$((SECONDS + 20))
    until grep -q '^[0-9][0-9]*$' "$fdfile" 2>/dev/null; do
        if ! qf_alive "$QF_XVFB_PID" || ((SECONDS >= deadline)); then
            qf_log "Xvfb did not start; its log:"
            cat "$QF_SESSION_DIR/logs/xvfb.log" >&2 || true
            return 1
        fi
        sleep 0.1
    done
    DISPLAY=":$(head -n1 "$fdfile")"
    export DISPLAY
    if ! qf_wait_until 10 xdpyinfo; then
        qf_log "Xvfb on $DISPLAY does not answer"
        return 1
    fi
}

# Starts the private sound server with its null sink, or with no sink at all when $1 is
# "no-sink" (as on a laptop whose only output, a Bluetooth headset, is switched off). Which
# server it is comes from QF_SOUND_SERVER: PulseAudio, or PipeWire with WirePlumber and its
# pulse service, as a desktop of today runs it; programs reach either through PULSE_SERVER.
qf_start_pulse() {
    local pulse_conf="$XDG_CONFIG_HOME/pulse"
    mkdir -p "$pulse_conf"
    # Clients must never start a second server of their own behind the test's back.
    cat >"$pulse_conf/client.conf" <<CONF
autospawn = no
CONF
    PULSE_CLIENTCONFIG="$pulse_conf/client.conf"
    export PULSE_CLIENTCONFIG
    head -c 256 /dev/urandom >"$pulse_conf/cookie"
    PULSE_COOKIE="$pulse_conf/cookie"
    export PULSE_COOKIE
    PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
    export PULSE_SERVER
    QF_SERVER_PIDS=()
    if [[ $QF_SOUND_SERVER == pipewire ]]; then
        qf_start_pipewire || return 1
    else
        qf_start_pulseaudio || return 1
    fi
    if ((${#QF_SERVER_PIDS[@]} > 0)); then
        printf '%s\n' "${QF_SERVER_PIDS[@]}" >>"$QF_SESSION_DIR/servers.pids"
    fi
    [[ ${1:-} == no-sink ]] && return 0
    qf_load_sink "$QF_SINK" Quietfield-test-sink || return 1
    # Under PipeWire the choice is its session manager's, which may still be starting (the
    # server then refuses it) and takes it over a moment later; a test starts once the server
    # reports it.
    if ! qf_wait_until 10 qf_make_default "$QF_SINK" "$QF_MONITOR"; then
        qf_log "the default sink did not become $QF_SINK"
        return 1
    fi
}

qf_make_default() {
    pactl set-default-sink "$1" && pactl set-default-source "$2" &&
        [[ $(pactl get-default-sink) == "$1" && $(pactl get-default-source) == "$2" ]]
}

qf_start_pulseaudio() {
    local pulse_conf="$XDG_CONFIG_HOME/pulse"
    # The program asks for 48 kHz float; a server that already runs at that rate does not
    # resample, so what is recorded is what the program wrote.
    cat >"$pulse_conf/daemon.conf" <<CONF
default-sample-format = $QF_SINK_FORMAT
default-sample-rate = $QF_RATE
alternate-sample-rate = $QF_RATE
default-sample-channels = 2
avoid-resampling = yes
flat-volumes = no
CONF
    # -n skips the system's default.pa, so only the modules loaded here exist: no hardware, no
    # D-Bus, no X11 bell. As root the server warns that it is meant for a user, and carries on.
    # A desktop's server runs at a raised priority (rtkit gives it nice -11 and more), so this
    # one does too: at normal priority it starved beside busy processes, as no desktop's does.
    pulseaudio -n --daemonize=no --system=false --use-pid-file=false \
        --exit-idle-time=-1 --disallow-exit --realtime=false --high-priority=true \
        --log-target=stderr --log-level="${QF_PULSE_LOG_LEVEL:-notice}" \
        -L "module-native-protocol-unix socket=$PULSE_RUNTIME_PATH/native auth-anonymous=1" \
        >"$QF_SESSION_DIR/logs/pulse.log" 2>&1 &
    QF_PULSE_PID=$!
    QF_SERVER_PIDS=("$QF_PULSE_PID")
    if ! qf_wait_until 20 pactl info; then
        qf_log "PulseAudio did not start; its log:"
        cat "$QF_SESSION_DIR/logs/pulse.log" >&2 || true
        return 1
    fi
}

# The configuration PipeWire and WirePlumber read: the distribution's own, copied into the
# session, with what a test needs on top. With their variables set they look nowhere else, so
# neither /etc nor a user's files can change what a test sees.
qf_write_pipewire_config() {
    local pw="$QF_SESSION_DIR/pipewire-conf" wp="$QF_SESSION_DIR/wireplumber-conf"
    [[ -d $pw ]] && return 0
    mkdir -p "$pw/pipewire.conf.d" "$pw/pipewire-pulse.conf.d" "$wp"
    cp /usr/share/pipewire/pipewire.conf /usr/share/pipewire/pipewire-pulse.conf \
        /usr/share/pipewire/client.conf "$pw/"
    # At the program's rate, as PulseAudio runs here, so that nothing is resampled.
    cat >"$pw/pipewire.conf.d/50-quietfield-test.conf" <<CONF
context.properties = {
    default.clock.rate = $QF_RATE
    default.clock.allowed-rates = [ $QF_RATE ]
}
CONF
    cat >"$pw/pipewire-pulse.conf.d/50-quietfield-test.conf" <<CONF
pulse.properties = {
    server.address = [ "unix:$PULSE_RUNTIME_PATH/native" ]
}
CONF
    cp -r /usr/share/wireplumber/. "$wp/"
    if [[ -d $wp/main.lua.d ]]; then
        # WirePlumber 0.4 (Lua): no ALSA, V4L2, libcamera or Bluetooth monitor, so real
        # hardware is never opened; the null sinks are the only devices.
        cat >"$wp/main.lua.d/51-quietfield-test.lua" <<'LUA'
alsa_monitor.enabled = false
v4l2_monitor.enabled = false
libcamera_monitor.enabled = false
LUA
        mkdir -p "$wp/bluetooth.lua.d"
        cat >"$wp/bluetooth.lua.d/51-quietfield-test.lua" <<'LUA'
bluez_monitor.enabled = false
LUA
    else
        # WirePlumber 0.5 and later (SPA-JSON profiles): the same, feature by feature.
        mkdir -p "$wp/wireplumber.conf.d"
        cat >"$wp/wireplumber.conf.d/51-quietfield-test.conf" <<'CONF'
wireplumber.profiles = {
  main = {
    hardware.audio = disabled
    hardware.bluetooth = disabled
    hardware.video-capture = disabled
    monitor.alsa = disabled
    monitor.alsa-midi = disabled
    monitor.bluez = disabled
    monitor.bluez-midi = disabled
    monitor.libcamera = disabled
    monitor.v4l2 = disabled
  }
}
CONF
    fi
}

# PipeWire, its session manager and its pulse service, each a process of its own as the
# desktop's user services run them, on a session bus that outlives their restarts.
qf_start_pipewire() {
    qf_write_pipewire_config
    qf_start_bus || return 1
    local logs="$QF_SESSION_DIR/logs"
    local env=(env -u DISPLAY PIPEWIRE_CONFIG_DIR="$QF_SESSION_DIR/pipewire-conf"
        WIREPLUMBER_CONFIG_DIR="$QF_SESSION_DIR/wireplumber-conf"
        DBUS_SESSION_BUS_ADDRESS="$QF_BUS_ADDRESS" PIPEWIRE_LOG_SYSTEMD=false)
    # Its socket alone says nothing: one that crashed leaves it behind.
    qf_start_pipewire_part pipewire PipeWire qf_pipewire_answers || return 1
    # The pulse service comes once the session manager is there, as the desktop's units order
    # them; until then only PipeWire's core answers, which a program must not settle on.
    qf_start_pipewire_part wireplumber WirePlumber qf_pipewire_managed || return 1
    qf_start_pipewire_part pipewire-pulse pipewire-pulse pactl info || return 1
    QF_PULSE_PID=${QF_SERVER_PIDS[-1]}
}

# Starts one of PipeWire's processes ($1, called $2 in messages) with the environment in `env`,
# and waits at most 20 s for the command after them to succeed.
qf_start_pipewire_part() {
    local program=$1 name=$2
    shift 2
    "${env[@]}" "$program" >>"$logs/$program.log" 2>&1 &
    QF_SERVER_PIDS+=("$!")
    if ! qf_wait_until 20 "$@"; then
        qf_log "$name did not start; its log:"
        tail -n 40 "$logs/$program.log" >&2 || true
        return 1
    fi
}

qf_pipewire_answers() {
    PIPEWIRE_CONFIG_DIR="$QF_SESSION_DIR/pipewire-conf" pw-cli info 0
}

# Whether WirePlumber has published the metadata that holds the desktop's default devices.
qf_pipewire_managed() {
    PIPEWIRE_CONFIG_DIR="$QF_SESSION_DIR/pipewire-conf" pw-cli ls Metadata 2>/dev/null |
        grep -q 'metadata.name = "default"'
}

# A session bus for the sound server: the test's own (qf_private_bus) or one started here.
qf_start_bus() {
    if [[ -n ${QF_BUS_ADDRESS:-} ]]; then
        return 0
    fi
    if [[ ${QF_PRIVATE_BUS:-0} == 1 ]]; then
        QF_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
        return 0
    fi
    local file="$QF_SESSION_DIR/logs/bus.address"
    : >"$file"
    dbus-daemon --session --nofork --nopidfile --address="unix:path=$XDG_RUNTIME_DIR/bus" \
        --print-address=7 7>"$file" >"$QF_SESSION_DIR/logs/bus.log" 2>&1 &
    QF_BUS_PID=$!
    echo "$QF_BUS_PID" >>"$QF_SESSION_DIR/servers.pids"
    if ! qf_wait_until 10 grep -q unix: "$file"; then
        qf_log "the session bus did not start"
        return 1
    fi
    QF_BUS_ADDRESS=$(head -n1 "$file")
}

# Stops the sound server and starts a new one on the same socket, as when the desktop's sound
# service restarts under running programs. The optional arguments are how many seconds the
# server stays away in between, and the signal that ends it (TERM: it leaves politely, removing
# its socket; KILL: it crashes, leaving a socket that nobody answers).
qf_restart_pulse() {
    local away=${1:-0} signal=${2:-TERM}
    qf_stop_pulse "$signal"
    sleep "$away"
    qf_start_pulse
}

# Ends the sound server with a signal (TERM unless given) and waits until it is gone; under
# PipeWire all three of its processes, as when the desktop's sound service stops or crashes.
qf_stop_pulse() {
    local signal=${1:-TERM} pid
    for pid in "${QF_SERVER_PIDS[@]}"; do
        if [[ $signal == TERM ]]; then
            qf_end_pid "$pid" 5
        else
            kill "-$signal" "$pid" 2>/dev/null || true
        fi
    done
    for pid in "${QF_SERVER_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    QF_SERVER_PIDS=()
}

# Removes the null sink called $1 (its module), as when headphones are switched off.
qf_remove_sink() {
    local module
    qf_end_busy "$1"
    module=$(pactl list short modules |
        awk -v want="sink_name=$1" '{ for (i = 3; i <= NF; i++) if ($i == want) { print $1; exit } }')
    [[ -n $module ]] && pactl unload-module "$module"
}

# Adds another null sink called $1, as when headphones are plugged in; it is not made default.
# Like a real output it plays what moves onto it at once: kept busy (qf_keep_busy).
qf_add_sink() {
    qf_load_sink "$1" "$1" && qf_keep_busy "$1"
}

# Loads a null sink called $1, described as $2.
qf_load_sink() {
    pactl load-module module-null-sink sink_name="$1" rate="$QF_RATE" channels=2 \
        format="$QF_SINK_FORMAT" sink_properties=device.description="$2" >/dev/null
}

# Plays silence at 20 ms latency into sink $1 until the sink is removed or the session ends. A
# PulseAudio null sink otherwise renders in blocks as long as the largest latency of what plays
# on it (2 s when idle): a stream that moves onto it is first heard at the end of that block, up
# to 2 s after the move, where a real output plays it at once. Silence changes nothing recorded.
# Its pid is kept in a file, as a sink may be added from a subshell.
qf_keep_busy() {
    local pidfile="$QF_SESSION_DIR/busy.$1"
    [[ -s $pidfile ]] && qf_alive "$(<"$pidfile")" && return 0
    pacat --playback --device="$1" --format=float32le --rate="$QF_RATE" --channels=2 --raw \
        --latency-msec=20 </dev/zero >/dev/null 2>>"$QF_SESSION_DIR/logs/busy.log" &
    echo "$!" >"$pidfile"
    echo "$!" >>"$QF_SESSION_DIR/spawned.pids"
    if ! qf_wait_until 10 qf_has_stream_of "$!"; then
        qf_log "the stream that keeps $1 busy did not start; its log:"
        cat "$QF_SESSION_DIR/logs/busy.log" >&2 || true
        return 1
    fi
    # A stream that joins just as the sink starts a block waits for its end; a short stream
    # makes the sink render afresh at once, at the busy stream's latency from then on.
    local tries
    for ((tries = 0; tries < 20; tries++)); do
        (($(qf_sink_latency_ms "$1") < 100)) && return 0
        qf_play_silence "$1"
    done
    qf_log "sink $1 still renders far ahead"
    return 1
}

# Plays 50 ms of digital silence into a sink (the default one unless named).
qf_play_silence() {
    local sink=()
    [[ -n ${1:-} ]] && sink=(--device="$1")
    head -c $((QF_RATE * 8 / 20)) /dev/zero |
        pacat --playback "${sink[@]}" --format=float32le --rate="$QF_RATE" --channels=2 --raw
}

# Ends the stream that keeps sink $1 busy, if there is one.
qf_end_busy() {
    local pidfile="$QF_SESSION_DIR/busy.$1"
    [[ -s $pidfile ]] && qf_end_pid "$(<"$pidfile")" 2
    rm -f -- "$pidfile"
}

# How far ahead sink $1 has rendered, in milliseconds (0 when the server does not say).
qf_sink_latency_ms() {
    pactl list sinks | awk -v want="Name: $1" '
        $0 ~ /^Sink #/ { mine = 0 }
        index($0, want) { mine = 1 }
        mine && $1 == "Latency:" { printf "%d\n", $2 / 1000; found = 1; exit }
        END { if (!found) print 0 }'
}

# Whether process $1 has a playback stream on the server.
qf_has_stream_of() {
    pactl list sink-inputs 2>/dev/null | grep -q "application.process.id = \"$1\""
}

# Prints property $3 of the object in `pactl list $1` that has the line $2.
qf_pulse_property() {
    pactl list "$1" | awk -v want="$2" -v key="$3 = " '
        /^[A-Z]/ { found = 0 }
        { line = $0; sub(/^[[:space:]]+/, "", line) }
        line == want { found = 1 }
        found && !done && index(line, key) == 1 {
            sub(/^[^"]*"/, "", line); sub(/"$/, "", line); print line; done = 1 }'
}

# Moves playback stream $1 (its index) to sink $2 by hand, as a person does in a mixer. Under
# PipeWire the move is written where pipewire-pulse itself writes it, in the session manager's
# metadata: a fresh pulse client (each pactl) may not yet know the default when its command
# arrives, so pipewire-pulse can take a move to another sink for a move to the default and only
# clear the stream's target, a race of the test's own making that a mixer open on the desktop
# does not run into.
qf_move_stream() {
    local stream=$1 sink=$2
    if [[ $QF_SOUND_SERVER != pipewire ]]; then
        pactl move-sink-input "$stream" "$sink"
        return
    fi
    local node target serial
    node=$(qf_pulse_property sink-inputs "Sink Input #$stream" object.id)
    target=$(qf_pulse_property sinks "Name: $sink" object.id)
    serial=$(qf_pulse_property sinks "Name: $sink" object.serial)
    [[ -n $node && -n $target && -n $serial ]] || return 1
    pw-metadata "$node" target.node "$target" Spa:Id >/dev/null &&
        pw-metadata "$node" target.object "$serial" Spa:Id >/dev/null
}

# Prints "index sink" for every playback stream whose media name is $1 (one line each).
qf_stream_sinks() {
    local name=$1
    local -A sinks=()
    local index sink
    while read -r index sink; do
        sinks[$index]=$sink
    done < <(pactl list short sinks | awk '{print $1, $2}')
    pactl list sink-inputs | awk -v want="media.name = \"$name\"" '
        /^Sink Input #/ { index_ = substr($3, 2) }
        /^[[:space:]]*Sink: / { sink = $2 }
        index($0, want) { print index_, sink }' |
        while read -r index sink; do
            echo "$index ${sinks[$sink]:-$sink}"
        done
}

# If this shell is killed outright (a test timeout sends SIGKILL), no trap runs; this small
# watcher then ends the servers so that none outlives the test.
qf_start_watchdog() {
    local parent=$BASHPID
    local dir=$QF_SESSION_DIR keep=${QF_KEEP_SESSION:-0} xvfb=$QF_XVFB_PID
    (
        trap '' INT
        while kill -0 "$parent" 2>/dev/null; do
            sleep 1
        done
        local p
        # Programs first, so that they do not see their servers vanish under them.
        while read -r p; do
            kill -TERM -- "-$p" 2>/dev/null || kill -TERM "$p" 2>/dev/null || true
        done <"$dir/spawned.pids"
        # Every sound server started (restarts included), the bus, and last the screen.
        while read -r p; do
            kill -TERM "$p" 2>/dev/null || true
        done <"$dir/servers.pids"
        kill -TERM "$xvfb" 2>/dev/null || true
        sleep 1
        if [[ $keep != 1 ]]; then
            rm -rf -- "$dir"
        fi
    ) </dev/null >/dev/null 2>&1 &
    QF_WATCHDOG_PID=$!
}

qf_session_start() {
    if [[ -n $QF_SESSION_DIR ]]; then
        qf_log "a session is already running in $QF_SESSION_DIR"
        return 1
    fi
    local base=${TMPDIR:-/tmp}
    QF_SESSION_DIR=$(mktemp -d "$base/quietfield-e2e.XXXXXX")
    export QF_SESSION_DIR
    : >"$QF_SESSION_DIR/spawned.pids"
    : >"$QF_SESSION_DIR/servers.pids"
    trap qf_session_stop EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'exit 129' HUP

    mkdir -p "$QF_SESSION_DIR"/{home,runtime,pulse,pulse-state,tmp,logs}
    chmod 700 "$QF_SESSION_DIR/runtime" "$QF_SESSION_DIR/pulse"
    export HOME="$QF_SESSION_DIR/home"
    export XDG_RUNTIME_DIR="$QF_SESSION_DIR/runtime"
    export XDG_CONFIG_HOME="$HOME/.config"
    export XDG_CACHE_HOME="$HOME/.cache"
    export XDG_DATA_HOME="$HOME/.local/share"
    export XDG_STATE_HOME="$HOME/.local/state"
    export TMPDIR="$QF_SESSION_DIR/tmp"
    export PULSE_RUNTIME_PATH="$QF_SESSION_DIR/pulse"
    export PULSE_STATE_PATH="$QF_SESSION_DIR/pulse-state"
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME"
    # A bus address that leads nowhere stops libdbus from launching a session bus of its own
    # once DISPLAY is set; such a daemon would outlive the test. A test inside a private bus
    # (qf_private_bus) keeps that one.
    if [[ ${QF_PRIVATE_BUS:-0} != 1 ]]; then
        export DBUS_SESSION_BUS_ADDRESS="unix:path=$QF_SESSION_DIR/no-session-bus"
    fi
    unset WAYLAND_DISPLAY XAUTHORITY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS \
        QT_AUTO_SCREEN_SCALE_FACTOR QT_QPA_PLATFORMTHEME SESSION_MANAGER PULSE_SINK PULSE_SOURCE
    export QT_QPA_PLATFORM=xcb
    # Programs pick their sound driver as they do in a user's session: nobody sets SDL's
    # variable there, and a pin here would hide a program that settles on the wrong driver.
    unset SDL_AUDIODRIVER
    export QT_ACCESSIBILITY=0
    export NO_AT_BRIDGE=1

    qf_start_xvfb || return 1
    qf_start_pulse || return 1
    qf_start_watchdog
    if [[ ${QF_SESSION_QUIET:-0} != 1 ]]; then
        qf_log "DISPLAY=$DISPLAY PULSE_SERVER=$PULSE_SERVER in $QF_SESSION_DIR"
    fi
}

# Records the null sink's monitor (everything played to the default sink), or the monitor
# source named in $2, into a raw file: float32le, $QF_RATE Hz, stereo. With QF_RECORD_STAMPED=1
# the recorder also notes when each block arrived, and leaves PipeWire's graph cycling as it
# would without it (stamped_record.py).
qf_record_start() {
    local file=$1 source=${2:-$QF_MONITOR}
    if qf_alive "$QF_RECORD_PID"; then
        qf_log "already recording"
        return 1
    fi
    if [[ ${QF_RECORD_STAMPED:-0} == 1 ]]; then
        local native=()
        [[ $QF_SOUND_SERVER == pipewire ]] && native=(--pipewire)
        "$QF_PYTHON" "$QF_E2E_DIR/stamped_record.py" "$file" --device="$source" \
            --rate="$QF_RATE" "${native[@]}" 2>"$QF_SESSION_DIR/logs/parec.log" &
    else
        parec --device="$source" --format=float32le --rate="$QF_RATE" --channels=2 \
            --latency-msec=20 --raw >"$file" 2>"$QF_SESSION_DIR/logs/parec.log" &
    fi
    QF_RECORD_PID=$!
    echo "$QF_RECORD_PID" >>"$QF_SESSION_DIR/spawned.pids"
    # parec opens its stream asynchronously; wait until the server lists it, so that nothing
    # played right after this call is missed.
    if ! qf_wait_until 10 qf_has_record_stream; then
        qf_log "parec did not start recording; its log:"
        cat "$QF_SESSION_DIR/logs/parec.log" >&2 || true
        return 1
    fi
    # An idle null sink renders in blocks as long as its largest latency (2 s), so a new
    # recorder could wait that long for its first data. A short stream makes the sink
    # re-render at once and take the recorder's 20 ms latency into account from then on.
    qf_play_silence "${source%.monitor}"
    if ! qf_wait_until 10 test -s "$file"; then
        qf_log "parec records nothing; its log:"
        cat "$QF_SESSION_DIR/logs/parec.log" >&2 || true
        return 1
    fi
}

# Seconds from the start of raw recording $1 (float32le stereo at $QF_RATE) to $2 seconds before
# its end: where its last stretch begins.
qf_before_end() {
    awk -v b="$(stat -c %s "$1")" -v r="$QF_RATE" -v s="$2" 'BEGIN { printf "%.3f", b / (8 * r) - s }'
}

qf_has_record_stream() {
    [[ -n $(pactl list short source-outputs 2>/dev/null) ]]
}

qf_record_stop() {
    if qf_alive "$QF_RECORD_PID"; then
        # SIGINT makes parec drain what it holds before it exits.
        kill -INT "$QF_RECORD_PID" 2>/dev/null || true
        qf_end_pid "$QF_RECORD_PID" 5
    fi
    QF_RECORD_PID=""
}

# Starts a program in the background, its output in logs/<name>.<n>.log; it is ended at
# teardown if it still runs, together with any process it started. Its pid is left in
# QF_LAST_PID.
# Starts the program from a private copy of its folder (closing it writes its settings beside it)
# and waits for its main window. Sets QF_APP_PID, QF_APP_WID and QF_MENU_H, the height of the
# menu bar above the window's client area.
qf_start_program() {
    local app=$1 geometry
    cp -a "$(dirname "$app")" "$QF_SESSION_DIR/app"
    qf_spawn "$QF_SESSION_DIR/app/$(basename "$app")"
    QF_APP_PID=$QF_LAST_PID
    QF_APP_WID=$(qf_wait_for_window "$QF_APP_PID" 554 "336-420" 30) || return 1
    geometry=$(xdotool getwindowgeometry --shell "$QF_APP_WID")
    QF_MENU_H=$(($(sed -n 's/^HEIGHT=//p' <<<"$geometry") - 336))
    sleep 1
}

qf_spawn() {
    local name
    name=$(basename "$1")
    local log="$QF_SESSION_DIR/logs/$name.${#QF_SPAWNED_PIDS[@]}.log"
    # Its own process group (setsid execs in place, so the pid stays the program's) lets
    # teardown reach helpers the program started and did not end.
    setsid "$@" >"$log" 2>&1 &
    QF_LAST_PID=$!
    QF_SPAWNED_PIDS+=("$QF_LAST_PID")
    echo "$QF_LAST_PID" >>"$QF_SESSION_DIR/spawned.pids"
}

# Prints the id of a visible top-level window of process $1 whose size is $2 x $3
# (either may be "*"; a height may be a range "min-max"), waiting at most $4 seconds.
qf_wait_for_window() {
    local pid=$1 want_w=$2 want_h=$3 timeout=${4:-30}
    local deadline=$((SECONDS + timeout))
    local wid geo w h
    while ((SECONDS < deadline)); do
        qf_alive "$pid" || return 1
        for wid in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            geo=$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null) || continue
            w=$(sed -n 's/^WIDTH=//p' <<<"$geo")
            h=$(sed -n 's/^HEIGHT=//p' <<<"$geo")
            if qf_size_matches "$w" "$want_w" && qf_size_matches "$h" "$want_h"; then
                echo "$wid"
                return 0
            fi
        done
        sleep 0.2
    done
    return 1
}

qf_size_matches() {
    local have=$1 want=$2
    [[ -n $have ]] || return 1
    case $want in
    "*") return 0 ;;
    *-*) ((have >= ${want%-*} && have <= ${want#*-})) ;;
    *) ((have == want)) ;;
    esac
}

# Prints the last lines of every log, for a test that failed.
qf_session_dump_logs() {
    local f
    for f in "$QF_SESSION_DIR"/logs/*.log; do
        [[ -s $f ]] || continue
        echo "----- ${f##*/} -----" >&2
        tail -n 40 "$f" >&2
    done
}

qf_session_stop() {
    local status=$?
    [[ -n $QF_SESSION_DIR ]] || return "$status"
    trap - EXIT INT TERM HUP
    local pid
    for pid in "${QF_SPAWNED_PIDS[@]}"; do
        qf_end_pid "$pid" 5
        kill -KILL -- "-$pid" 2>/dev/null || true
    done
    qf_record_stop
    local busy
    for busy in "$QF_SESSION_DIR"/busy.*; do
        [[ -e $busy ]] && qf_end_busy "${busy##*/busy.}"
    done
    qf_stop_pulse
    qf_end_pid "$QF_BUS_PID" 5
    qf_end_pid "$QF_XVFB_PID" 5
    qf_end_pid "$QF_WATCHDOG_PID" 2
    if [[ ${QF_KEEP_SESSION:-0} == 1 ]]; then
        qf_log "kept $QF_SESSION_DIR"
    else
        rm -rf -- "$QF_SESSION_DIR"
    fi
    QF_SESSION_DIR=""
    QF_SPAWNED_PIDS=()
    QF_BUS_PID=""
    QF_BUS_ADDRESS=""
    return "$status"
}

qf_session_main() {
    local record=""
    while (($# > 0)); do
        case $1 in
        --record)
            record=$2
            shift 2
            ;;
        --)
            shift
            break
            ;;
        *)
            echo "usage: session.sh [--record FILE] -- command [args...]" >&2
            return 2
            ;;
        esac
    done
    if (($# == 0)); then
        echo "usage: session.sh [--record FILE] -- command [args...]" >&2
        return 2
    fi
    if [[ -n $record ]]; then
        # The recording must outlive the session folder.
        record=$(realpath -m -- "$record")
    fi
    qf_session_start || return 1
    if [[ -n $record ]]; then
        qf_record_start "$record" || return 1
    fi
    local rc=0
    "$@" || rc=$?
    qf_record_stop
    return "$rc"
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
    set -euo pipefail
    qf_session_main "$@"
fi
