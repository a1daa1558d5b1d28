#!/usr/bin/env bash
# One program for both display servers: on a Wayland session with layer-shell (and no X display
# here: the rig's sway runs no XWayland) the full-screen saver takes Wayland, while --x11, a
# preview and a daemon's window go to X11 and so, without an X display, end with one line about
# it; --help names both choices.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wl_start_sway
wl_start_saver /s
kill -TERM "$WL_SAVER_PID"
wl_wait_exit "$WL_SAVER_PID" 5 || fail "the saver did not end"
for arguments in "--x11 /s" "/p 12345" "--root" "--wayland --x11"; do
  set +e
  # shellcheck disable=SC2086
  wl_run timeout 5 "$WL_SAVER" $arguments 2>"$WL_DIR/out/err"
  status=$?
  set -e
  echo "$arguments: status $status: $(cat "$WL_DIR/out/err")"
  [ "$status" -eq 1 ] && grep -q "cannot open the X display" "$WL_DIR/out/err" ||
    fail "'$arguments' did not go to X11"
done
help=$(wl_run "$WL_SAVER" --help)
grep -q -- --wayland <<<"$help" && grep -q -- --x11 <<<"$help" || fail "--help names no choice"
echo PASS
