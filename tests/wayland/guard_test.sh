#!/usr/bin/env bash
# The single-instance guard on one Wayland session: a second full-screen start marks its own
# caption and runs, a third finds the mark and ends at once with status 0, and so does every
# later one (none waits on a marker that is busy).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wl_start_sway
wl_start_saver /s
first=$WL_SAVER_PID
wl_start second "$WL_SAVER" /s
second=$WL_LAST
sleep 1
kill -0 "$second" 2>/dev/null || fail "the second start ended: $(cat "$WL_DIR/out/second.err")"
for start in 3 4 5 6 7 8; do
  set +e
  wl_run timeout 5 "$WL_SAVER" /s
  status=$?
  set -e
  [ "$status" -eq 0 ] || fail "start $start did not end at once with status 0 (status $status)"
done
kill -TERM "$first" "$second"
wl_wait_exit "$second" 5 && wl_wait_exit "$first" 5 || fail "SIGTERM did not end both"
echo PASS
