#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, with no display
# and no person: window tests run under their own Xvfb, GL tests off screen.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${CORVIA_BUILD_DIR:-build/release}
jobs=${CORVIA_JOBS:-$(nproc)}
# Every option this relies on is stated, whatever the folder was configured with
# before (scripts/run.sh builds the program in it too): everything, the window layers
# and the benchmarks included (CI runs them from this folder next), without the
# sanitizers, warnings as errors.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVIA_GUI=ON -DCORVIA_BENCH=ON -DCORVIA_SANITIZE=OFF \
  -DCORVIA_WERROR=ON
cmake --build "$build" -j "$jobs"

unset DISPLAY WAYLAND_DISPLAY
export LC_ALL=C
# Print settings of the window tests go to files only, never to a printer service.
export XDG_CONFIG_HOME=${XDG_CONFIG_HOME:-$(mktemp -d)}
mkdir -p "$XDG_CONFIG_HOME/gtk-3.0"
printf '[Settings]\ngtk-print-backends=file\n' > "$XDG_CONFIG_HOME/gtk-3.0/settings.ini"

ctest --test-dir "$build" -j "$jobs" --output-on-failure
