#!/usr/bin/env bash
# Where the compositor offers no layer-shell (a headless weston), or there is no compositor at
# all, the saver says so in one line and ends with status 1.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
(wl_exec weston --backend=headless-backend.so --socket=weston-test --idle-time=0 \
  >"$WL_DIR/weston.log" 2>&1) &
WL_PIDS+=($!)
wl_wait_for 10 test -S "$WL_DIR/rt/weston-test" || fail "weston did not start"
for display in weston-test no-such-compositor; do
  WL_DISPLAY=$display
  set +e
  wl_run "$WL_SAVER" /s 2>"$WL_DIR/out/err"
  status=$?
  set -e
  echo "$display: status $status: $(cat "$WL_DIR/out/err")"
  [ "$status" -eq 1 ] || fail "status $status on $display"
  [ "$(wc -l <"$WL_DIR/out/err")" -eq 1 ] || fail "not one line on $display"
  [ "$display" != weston-test ] || grep -q 'no layer-shell' "$WL_DIR/out/err" || fail "no word of layer-shell"
done
echo PASS
