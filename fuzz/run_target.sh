#!/usr/bin/env bash
# Runs one fuzz target for VELT_FUZZ_SECONDS (else the configured default),
# starting from its committed corpus:
#   run_target.sh <fuzzer> <committed corpus> <work folder>
# New inputs go to <work>/corpus, never into the committed corpus; an input
# that fails is kept in <work>/artifacts and named in the output.
set -uo pipefail
exe=$1 corpus=$2 work=$3
seconds=${VELT_FUZZ_SECONDS:-${VELT_FUZZ_DEFAULT_SECONDS:-30}}
name=$(basename "$exe")
mkdir -p "$work/corpus" "$work/artifacts"
# Slow inputs (a vault of 65,535 rows) are picked less often.
"$exe" "$work/corpus" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
  -entropic_scale_per_exec_time=1 -artifact_prefix="$work/artifacts/" -print_final_stats=1 >"$work/log" 2>&1
rc=$?
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n1)
secs=$(sed -n 's/^stat::.*//; s/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$work/log" | tail -n1)
files=$(find "$work/corpus" "$corpus" -type f | wc -l)
if [ $rc -eq 0 ]; then
  echo "$name: ${runs:-?} runs in ${secs:-$seconds} s, corpus of $files inputs, no failure" | tee "$work/summary"
else
  echo "$name: FAILED (exit $rc) after ${runs:-?} runs; log: $work/log" | tee "$work/summary"
  grep -E "check failed|ERROR: |SUMMARY: |Test unit written|artifact" "$work/log" | head -n 20
  tail -n 40 "$work/log"
fi
exit $rc
