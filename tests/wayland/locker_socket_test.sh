#!/usr/bin/env bash
# Started as a locker starts it, with an inherited connection (WAYLAND_SOCKET), the saver draws
# on every output and takes no input; so does each of a locker's children for one output
# (SWAYLOCK_PLUGIN_OUTPUT_NAME); when the connection closes they end with status 0. A saver
# started the usual way ends with one line and status 1 when the compositor goes away.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wl_start_sway
inherit='import os, socket, sys
s = socket.socket(socket.AF_UNIX)
s.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ.pop("WAYLAND_DISPLAY")))
fd = s.detach()
os.set_inheritable(fd, True)
os.environ["WAYLAND_SOCKET"] = str(fd)
os.execv(sys.argv[1], sys.argv[1:])'
wl_start locker python3 -c "$inherit" "$WL_SAVER"
locker=$WL_LAST
wl_wait_for 10 wl_banner_on HEADLESS-1 1 || fail "no banner on HEADLESS-1: $(cat "$WL_DIR/out/locker.err")"
wl_wait_for 10 wl_banner_on HEADLESS-2 2 || fail "no banner on HEADLESS-2"
wl_run wtype -s 300 -k Escape
sleep 0.3
kill -0 "$locker" 2>/dev/null || fail "the locker's child took a key"
# A locker that runs one child per output names each one's output: every child runs.
children=()
for output in HEADLESS-1 HEADLESS-2 HEADLESS-3; do
  wl_start "child-$output" env SWAYLOCK_PLUGIN_OUTPUT_NAME=$output python3 -c "$inherit" "$WL_SAVER"
  children+=("$WL_LAST")
  sleep 0.5
done
sleep 1
for child in "${children[@]}"; do
  kill -0 "$child" 2>/dev/null || fail "a locker's per-output child ended: $(cat "$WL_DIR"/out/child-*.err)"
done

wl_start saver "$WL_SAVER" /s
saver=$WL_LAST
sleep 1
kill -TERM "${WL_PIDS[0]}"  # the compositor
for child in "$locker" "${children[@]}"; do
  wl_wait_exit "$child" 5 || fail "a locker's child outlived the connection"
  [ "$WL_STATUS" -eq 0 ] || fail "a locker's child ended with status $WL_STATUS"
done
wl_wait_exit "$saver" 5 || fail "the saver outlived the compositor"
[ "$WL_STATUS" -eq 1 ] || fail "the saver ended with status $WL_STATUS when the compositor went away"
[ "$(wc -l <"$WL_DIR/out/saver.err")" -eq 1 ] && grep -q 'compositor' "$WL_DIR/out/saver.err" ||
  fail "not one line about the compositor: $(cat "$WL_DIR/out/saver.err")"
echo PASS
