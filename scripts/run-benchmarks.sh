#!/usr/bin/env bash
# Runs every benchmark program of a build folder.
#   scripts/run-benchmarks.sh [build folder] [--brief]
# --brief gives each case a tiny minimum time, so that all of them together take
# a minute or two: CI runs them this way to catch a benchmark that crashes or
# fails. Its figures are printed, never judged; speed is judged by full runs. It also
# sets CORVIA_BENCH_BRIEF, for the benchmarks of large models to take a small one.
set -uo pipefail
cd "$(dirname "$0")/.."

build=build/release
brief=0
for arg in "$@"; do
  case "$arg" in
    --brief) brief=1 ;;
    *) build=$arg ;;
  esac
done

shopt -s nullglob
programs=("$build"/bench/bench_*)
programs=($(for p in "${programs[@]}"; do [ -f "$p" ] && [ -x "$p" ] && echo "$p"; done))
if [ ${#programs[@]} -eq 0 ]; then
  echo "No benchmark programs in $build/bench: build with -DCORVIA_BENCH=ON and Google Benchmark installed." >&2
  exit 1
fi

args=()
if [ $brief -eq 1 ]; then
  args+=(--benchmark_min_time=0.01)
  export CORVIA_BENCH_BRIEF=1
fi

unset DISPLAY WAYLAND_DISPLAY
failed=()
for p in "${programs[@]}"; do
  name=$(basename "$p")
  echo "=== $name"
  start=$(date +%s%N)
  "$p" "${args[@]}"
  status=$?
  end=$(date +%s%N)
  ms=$(( (end - start) / 1000000 ))
  printf '=== %s: exit %d after %d.%03d s\n' "$name" "$status" $((ms / 1000)) $((ms % 1000))
  [ $status -ne 0 ] && failed+=("$name (exit $status)")
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Benchmarks that failed: ${failed[*]}" >&2
  exit 1
fi
echo "All ${#programs[@]} benchmark programs ran."
