#!/usr/bin/env bash
# One-off check that an interrupted test run does not break the next one. Starts the test
# command twice and interrupts it while the setup program's tests run: once as Ctrl-C does
# (SIGINT to the whole process group), once as a time limit does (SIGKILL). Then runs it a
# third time, which must pass without any manual step.
# Usage: scripts/check-interrupt.sh   (as root, like the test command)
set -uo pipefail
cd "$(dirname "$0")/.."
log=$(mktemp)
trap 'rm -f "$log"' EXIT

for signal in INT KILL; do
  setsid make test >"$log" 2>&1 &
  group=$!
  for _ in $(seq 1200); do
    pgrep -f 'test_setup\.exe' >/dev/null && break
    kill -0 "$group" 2>/dev/null || break
    sleep 0.5
  done
  sleep 3  # well into it: keys and shell folders changed
  echo "check-interrupt: SIG$signal to the test run while test_setup runs"
  kill -"$signal" -- -"$group" 2>/dev/null
  wait "$group" 2>/dev/null
done

echo "check-interrupt: the next run must pass"
make test
status=$?
[ "$status" -eq 0 ] && echo "check-interrupt: passed" || echo "check-interrupt: FAILED"
exit $status
