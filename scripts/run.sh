#!/usr/bin/env bash
# Installs what is missing, builds a release build and starts Corvia.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVIA_BENCH=OFF
cmake --build "$build" -j "$(nproc)" --target corvia
exec "$build/corvia" "$@"
