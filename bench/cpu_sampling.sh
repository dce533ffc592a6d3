# What the measuring scripts in bench/ share: a process's CPU time and wake-ups from /proc, and
# ending a measured program as a desktop session would. Sourced, not run.
# shellcheck shell=bash

ticks_per_s=$(getconf CLK_TCK)

# utime + stime of a whole process (all its threads), in clock ticks; 0 once it has gone.
cpu_ticks() {
    local stat fields
    stat=$(<"/proc/$1/stat") 2>/dev/null || {
        echo 0
        return
    }
    # The command name may hold spaces and parentheses; fields are counted after its last ')'.
    read -r -a fields <<<"${stat##*) }"
    echo $((fields[11] + fields[12]))
}

# Wake-ups of all of a process's threads: each time one goes to sleep, to be woken later, counts
# once (its voluntary context switches). A thread that is preempted while it works (nonvoluntary)
# was not woken, and how often that happens depends on the machine's other work and its kernel:
# a virtual machine here preempted the player's long renders of a deep queue 7 to 12 times a
# second, which would have counted as four times its wake-ups.
switches() {
    cat /proc/"$1"/task/*/status 2>/dev/null |
        awk '/^voluntary_ctxt_switches:/ { n += $2 } END { print n + 0 }'
}

percent() {
    awk -v t="$1" -v s="$2" -v hz="$ticks_per_s" 'BEGIN { printf "%.2f", t / hz / s * 100 }'
}

# Ends a measured program the way a desktop session would, and reports how it went.
stop_program() {
    local pid=$1 name=$2 me
    me=$(basename "$0")
    kill -TERM "$pid" 2>/dev/null || true
    local deadline=$((SECONDS + 10))
    while qf_alive "$pid" && ((SECONDS < deadline)); do
        sleep 0.1
    done
    if qf_alive "$pid"; then
        echo "$me: warning: $name did not exit within 10 s of SIGTERM" >&2
        return 0
    fi
    local status=0
    wait "$pid" 2>/dev/null || status=$?
    if ((status != 0)); then
        echo "$me: warning: $name exited with status $status after SIGTERM" >&2
    fi
}
