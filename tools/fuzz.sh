#!/usr/bin/env bash
# Builds the fuzzers of the core's parsers natively (clang, libFuzzer, ASan/UBSan) and runs each
# for the given number of seconds (default 60) over a copy of its corpus in tests/fuzz/corpus,
# two at a time (FUZZ_JOBS to change). Prints each one's executions and coverage; exits non-zero
# when any fuzzer found something (the inputs are kept under build/fuzz/runs/<name>/findings).
# Usage: tools/fuzz.sh [seconds] [fuzzer name ...]   e.g. tools/fuzz.sh 600 utf history_record
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ $# -gt 0 ] && shift
jobs=${FUZZ_JOBS:-2}

tools/deps.sh
cmake -S tests/fuzz -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/fuzz

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for f in tests/fuzz/*_fuzz.cpp; do
    n=$(basename "$f" .cpp)
    names+=("${n%_fuzz}")
  done
fi

status=0
printf '%s\n' "${names[@]}" |
  xargs -P "$jobs" -I{} tests/fuzz/run-fuzzer.sh "build/fuzz/{}_fuzz" "tests/fuzz/corpus/{}" \
    "$seconds" "build/fuzz/runs/{}" || status=$?
if [ "$status" -ne 0 ]; then
  echo "fuzz: findings above"
  exit 1
fi
echo "fuzz: no findings"
