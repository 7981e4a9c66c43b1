#!/usr/bin/env bash
# Starts many window-test display servers at once, each through under-xvfb.sh, and
# checks that every client's display answers and is its own: the client writes a
# property on the root window, connects again and reads it back. A display shared with
# another client, or a server that reset between the two connections (as one does when
# its last client leaves, unless it runs with -noreset), shows another value or none.
# Usage: scripts/many-displays.sh [count]
set -u
here=$(cd "$(dirname "$0")" && pwd)
runner=${RUNNER:-$here/../tests/support/under-xvfb.sh}
count=${1:-24}
out=$(mktemp -d)
for i in $(seq 1 "$count"); do
  "$runner" sh -c '
    xprop -root -f CORVIA_RACE 8s -set CORVIA_RACE "'$i'" || exit 3
    sleep 1
    got=$(xprop -root CORVIA_RACE | sed "s/.*= //; s/\"//g")
    echo "$DISPLAY $got"
    [ "$got" = "'$i'" ]' >"$out/$i" 2>&1 &
done
wait
bad=0
for i in $(seq 1 "$count"); do
  line=$(tail -1 "$out/$i")
  case "$line" in *" $i") ;; *) echo "client $i: $(cat "$out/$i")"; bad=$((bad + 1)) ;; esac
done
shared=$(cat "$out"/* | awk '/^:/ {print $1}' | sort | uniq -d)
if [ -n "$shared" ]; then
  echo "displays shared: $shared"
  bad=$((bad + 1))
fi
echo "$count started at once, $bad failed"
rm -rf "$out"
[ "$bad" -eq 0 ]
