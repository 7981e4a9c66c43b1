#!/usr/bin/env bash
# Installs what is missing, builds a release build and starts Corvia.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build=build/release
# The folder is shared with scripts/test-all.sh. The options the program's build
# relies on are stated, whatever the folder held before; the others (warnings as
# errors, the benchmarks) are left as the folder has them, so that neither script
# undoes what the other built.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVIA_GUI=ON -DCORVIA_SANITIZE=OFF
cmake --build "$build" -j "$(nproc)" --target corvia
exec "$build/corvia" "$@"
