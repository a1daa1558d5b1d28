#!/usr/bin/env bash
# Where the compositor offers no layer-shell (a headless weston) and there is no X display, or
# there is no compositor at all, the saver says so in one line and ends with status 1; so it
# does when Wayland is forced on a compositor without layer-shell.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
(wl_exec weston --backend=headless-backend.so --socket=weston-test --idle-time=0 \
  >"$WL_DIR/weston.log" 2>&1) &
WL_PIDS+=($!)
wl_wait_for 10 test -S "$WL_DIR/rt/weston-test" || fail "weston did not start"
# display, arguments, what the line must name
cases=("weston-test|/s|no layer-shell" "weston-test|--wayland /s|no layer-shell"
  "no-such-compositor|/s|cannot connect to the Wayland compositor")
for case in "${cases[@]}"; do
  IFS='|' read -r display arguments expected <<<"$case"
  WL_DISPLAY=$display
  set +e
  # shellcheck disable=SC2086
  wl_run "$WL_SAVER" $arguments 2>"$WL_DIR/out/err"
  status=$?
  set -e
  echo "$display, $arguments: status $status: $(cat "$WL_DIR/out/err")"
  [ "$status" -eq 1 ] || fail "status $status"
  [ "$(wc -l <"$WL_DIR/out/err")" -eq 1 ] || fail "not one line"
  grep -q "$expected" "$WL_DIR/out/err" || fail "no word of: $expected"
done
echo PASS
