#!/usr/bin/env bash
# Runs one fuzzer for a given time over a copy of its corpus (the committed corpus is never
# written to) and prints its figures. Exits non-zero when the fuzzer found anything: a crash, a
# sanitizer report, a broken property, a timeout or a leak; the input is kept in WORKDIR/findings.
# Usage: run-fuzzer.sh FUZZER CORPUS SECONDS WORKDIR
set -uo pipefail
fuzzer=$1 corpus=$2 seconds=$3 work=$4
name=$(basename "$fuzzer")

rm -rf "$work"
mkdir -p "$work/corpus" "$work/findings"
cp -R "$corpus/." "$work/corpus/"
seeds=$(find "$work/corpus" -type f | wc -l)

status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$work/findings/" "$work/corpus" >"$work/log" 2>&1 || status=$?

# libFuzzer's closing lines: "#<runs> DONE cov: <edges> ft: <features> corp: <n>/<bytes> ..."
# and "stat::number_of_executed_units: <runs>".
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
done_line=$(grep -E '^#[0-9]+[[:space:]]+(DONE|INITED)' "$work/log" | tail -n 1)
cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$done_line")
ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$done_line")
corp=$(sed -n 's/.* corp: \([0-9]*\)\/.*/\1/p' <<<"$done_line")
findings=$(find "$work/findings" -type f | wc -l)

printf '%-22s %5ss  executions %-10s coverage %-5s features %-6s corpus %s -> %s\n' \
  "$name" "$seconds" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$seeds" "${corp:-?}"
if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
  echo "$name: FINDING (exit status $status); log: $work/log"
  grep -E 'ERROR: |runtime error:|property does not hold|SUMMARY:' "$work/log" | head -n 10
  find "$work/findings" -type f -printf '  input: %p\n'
  exit 1
fi
