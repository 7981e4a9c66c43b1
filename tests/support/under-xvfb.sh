#!/usr/bin/env bash
# Runs a window test program under a display server of its own. The server picks a
# free display number itself (-displayfd), so that several window test programs can
# start side by side without taking the same number.
set -u
dir=$(mktemp -d)
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/server.log" &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$dir"' EXIT
if ! read -r -t 120 number <"$dir/display" || [ -z "$number" ]; then
  echo "The display server did not start:" >&2
  cat "$dir/server.log" >&2
  exit 1
fi
DISPLAY=:$number "$@"
