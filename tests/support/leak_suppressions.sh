#!/usr/bin/env bash
# The leak check's suppressions hide what Qt keeps until the process ends, and nothing of ours:
# a Qt program that opens a window on a real (virtual) screen ends clean, and the same program
# with one block of its own lost is reported, naming the function that lost it.
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

probe=${1:?usage: leak_suppressions.sh path/to/qf_leak_probe}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../e2e/session.sh
source "$here/../e2e/session.sh"

fail() {
    echo "leak_suppressions: FAIL: $*" >&2
    exit 1
}

qf_session_start
log=$QF_SESSION_DIR/logs
status=0
"$probe" >"$log/clean.txt" 2>&1 || status=$?
((status == 0)) || fail "a window alone is reported (status $status): $(head -c 3000 "$log/clean.txt")"

status=0
"$probe" --plant-leak >"$log/planted.txt" 2>&1 || status=$?
((status != 0)) || fail "a lost block of ours was not reported"
grep -q 'plantedLeak' "$log/planted.txt" ||
    fail "the report does not name the function that lost the block: $(head -c 3000 "$log/planted.txt")"
grep -q 'SUMMARY: AddressSanitizer: 64 byte(s) leaked in 1 allocation(s)' "$log/planted.txt" ||
    fail "more than the planted block was reported: $(grep SUMMARY "$log/planted.txt")"
echo "leak_suppressions: a window leaves nothing reported; the planted 64 bytes are"
