#!/usr/bin/env bash
# PulseRouting against the private sound server, with no SDL in the process: it hears the
# default output move and back, and, in the sanitizer build, releases everything it asked libpulse
# for. The leak suppressions are left out here on purpose: they must cover libpulse memory that
# SDL's own PulseAudio thread keeps (see scripts/lsan.supp), and without SDL any libpulse leak is
# ours.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

check=${1:?usage: pulse_routing.sh path/to/qf_pulse_routing_check}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=session.sh
source "$here/session.sh"

qf_session_start
qf_add_sink qf_other
output="$QF_SESSION_DIR/logs/pulse_routing.out"
status=0
LSAN_OPTIONS=print_suppressions=0 "$check" "$QF_SINK" qf_other >"$output" 2>&1 || status=$?
cat "$output"
if ((status != 0)); then
    echo "pulse_routing: FAIL: the check exited with status $status" >&2
    qf_session_dump_logs
    exit 1
fi
