#!/usr/bin/env bash
# Runs the benchmarks under Wine in a test session of their own and writes their figures to
# BUILD_DIR/bench-results.txt.
#   bench/run.sh BUILD_DIR [pass_cost|services_pass|ie_helpers|activex|hidden_files|file_types|page_fill|explorer_startup|footprint|detection_latency ...]
# Without names every benchmark runs (the detection latency last: it waits for real patrols).
# Series lengths: BENCH_LATENCY_ROUNDS (30), BENCH_NUDGED_ROUNDS (20), BENCH_UNNOTIFIED_ROUNDS (10),
# BENCH_FOOTPRINT_SECONDS (300), BENCH_EXPLORER_STARTS (6).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tools=$here/../tools
. "$tools/wine-common.sh"

build=${1:?usage: bench/run.sh BUILD_DIR [benchmark ...]}
build=$(cd "$build" && pwd)
shift
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(pass_cost services_pass ie_helpers activex hidden_files file_types page_fill explorer_startup footprint detection_latency)
for name in "${names[@]}"; do
  [ -f "$build/bin/bench/bench_$name.exe" ] || {
    echo "no $build/bin/bench/bench_$name.exe: build first (cmake --build $build)" >&2
    exit 2
  }
done

session=$build/bench-session
results=$build/bench-results.txt
"$tools/test-session" start "$session"
trap '"$tools/test-session" stop "$session"' EXIT

# The session's Wine server: its working directory is the server folder Wine names after the
# prefix's device and inode. The benchmarks read its CPU time from /proc.
prefix=$session/prefix
serverdir=$(printf 'server-%x-%x' "$(stat -c %d "$prefix")" "$(stat -c %i "$prefix")")
server_pid=
for proc in /proc/[0-9]*; do
  case "$(readlink "$proc/exe" 2>/dev/null)" in
  */wineserver*)
    if [ "$(basename "$(readlink "$proc/cwd" 2>/dev/null)")" = "$serverdir" ]; then
      server_pid=${proc#/proc/}
      break
    fi
    ;;
  esac
done
[ -n "$server_pid" ] || echo "Wine server of the session not found: its CPU is left out" >&2

export OBRIVO_TEST_SESSION=$session OBRIVO_BIN_DIR=$build/bin
export BENCH_WINESERVER_PID=$server_pid BENCH_CLK_TCK=$(getconf CLK_TCK)

{
  echo "# Obrivo benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git -C "$here" rev-parse --short HEAD 2>/dev/null || echo unknown)"
  echo "# $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), $("$WINE64" --version)"
} >"$results"

status=0
for name in "${names[@]}"; do
  case $name in
  detection_latency) args=(--rounds "${BENCH_LATENCY_ROUNDS:-30}" --nudged-rounds "${BENCH_NUDGED_ROUNDS:-20}" --unnotified-rounds "${BENCH_UNNOTIFIED_ROUNDS:-10}") ;;
  footprint) args=(--seconds "${BENCH_FOOTPRINT_SECONDS:-300}") ;;
  explorer_startup) args=(--starts "${BENCH_EXPLORER_STARTS:-6}") ;;
  *) args=() ;;
  esac
  command="$tools/wine-exec $build/bin/bench/bench_$name.exe ${args[*]}"
  echo "== $name: $command" >&2
  echo "# $command" >>"$results"
  rc=0
  "$tools/wine-exec" "$build/bin/bench/bench_$name.exe" "${args[@]}" </dev/null | tee -a "$results" || rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "# bench_$name ended with code $rc" >>"$results"
    status=1
  fi
done

echo "== figures in $results" >&2
cat "$results"
exit $status
