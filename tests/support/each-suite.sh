#!/usr/bin/env bash
# Runs each test suite of a test program in a process of its own, then each extra
# filter given, and fails when one of them does not end with status 0: a suite must
# pass and let its process end cleanly by itself, whatever the others leave behind.
#   tests/support/each-suite.sh <program> [filter ...]
set -u
program=$1
shift
mapfile -t suites < <("$program" --gtest_list_tests | sed -n 's/^\([^ #][^ ]*\)\..*$/\1/p')
if [ ${#suites[@]} -eq 0 ]; then
  echo "$program lists no test suites" >&2
  exit 1
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
failed=()
for filter in "${suites[@]/%/.*}" "$@"; do
  "$program" --gtest_brief=1 "--gtest_filter=$filter" >"$log" 2>&1
  status=$?
  if [ $status -ne 0 ]; then
    echo "=== $filter: exit status $status" >&2
    tail -n 40 "$log" >&2
    failed+=("$filter")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Failed on their own: ${failed[*]}" >&2
  exit 1
fi
echo "$((${#suites[@]} + $#)) runs of $(basename "$program") ended cleanly on their own."
