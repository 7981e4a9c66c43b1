#!/usr/bin/env bash
# The geometry libraries and their tests under AddressSanitizer and
# UndefinedBehaviorSanitizer (no wx, no GL). Built without unity builds, so that
# every source file compiles on its own (a header that misses an include fails here).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${CORVIA_ASAN_DIR:-build/asan}
jobs=${CORVIA_JOBS:-$(nproc)}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVIA_SANITIZE=ON -DCORVIA_GUI=OFF -DCORVIA_BENCH=OFF -DCORVIA_UNITY=OFF
cmake --build "$build" -j "$jobs"
unset DISPLAY WAYLAND_DISPLAY
export LC_ALL=C
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" -j "$jobs" --output-on-failure
