#!/usr/bin/env bash
# Compiles every file of the project on its own (-fsyntax-only), with no unity
# batching and no precompiled header, so that a file that misses an include fails
# here, whatever the normal build's batches or its precompiled <wx/wx.h> bring in.
# Source files that the release and sanitizer builds already compile on their own
# (when they have been configured) are not compiled again.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${CORVIA_INCLUDES_DIR:-build/includes}
jobs=${CORVIA_JOBS:-$(nproc)}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVIA_WERROR=ON -DCORVIA_UNITY=OFF -DCORVIA_PCH=OFF >/dev/null
alone_in="${CORVIA_BUILD_DIR:-build/release}/compile_commands.json;${CORVIA_ASAN_DIR:-build/asan}/compile_commands.json"
cmake -DCOMMANDS="$build/compile_commands.json" -DSOURCE_DIR="$PWD" -DOUT="$build/alone.ninja" \
  -DALONE_IN="$alone_in" -P cmake/CheckIncludes.cmake
ninja -C "$build" -f alone.ninja -j "$jobs"
