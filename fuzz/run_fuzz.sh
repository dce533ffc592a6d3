#!/usr/bin/env bash
# run_fuzz.sh FUZZER SEED_CORPUS ARTIFACT_DIR SECONDS
# Fuzzes from a scratch copy of the seed corpus, so the repository's corpus never grows. On a
# crash, a hang or a sanitizer report the fuzzer's last output is shown and the input is kept in
# ARTIFACT_DIR; otherwise only its totals.
set -euo pipefail

fuzzer=$1 seeds=$2 artifacts=$3 seconds=$4
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
mkdir -p "$work/corpus" "$artifacts"
cp "$seeds"/* "$work/corpus"/
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$work/corpus" >"$work/log" 2>&1 || status=$?
if ((status != 0)); then
    tail -n 80 "$work/log"
    exit 1
fi
grep -E '^#[0-9]+[[:space:]]+DONE|^stat::(number_of_executed_units|new_units_added)' \
    "$work/log" || true
