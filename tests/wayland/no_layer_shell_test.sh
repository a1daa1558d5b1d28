#!/usr/bin/env bash
# Where the compositor offers neither layer-shell nor xdg-shell (weston's fullscreen shell) and
# there is no X display, or there is no compositor at all, or one that never answers (silent, or
# sending what is no protocol), the saver says so in one line and ends with status 1 (after
# trying X11, unless Wayland is forced); so it does when Wayland is forced there. Where the
# compositor offers xdg-shell but no layer-shell (weston's desktop), the saver shows fullscreen
# windows instead: a headless weston, which has no input device, never gives them the focus, and
# the saver ends after 5 s with one line saying so. SIGTERM ends it while it waits for an answer.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
for shell in desktop fullscreen; do
  (wl_exec weston --backend=headless-backend.so --shell="$shell-shell.so" --socket="weston-$shell" \
    --idle-time=0 >"$WL_DIR/weston-$shell.log" 2>&1) &
  WL_PIDS+=($!)
  wl_wait_for 10 test -S "$WL_DIR/rt/weston-$shell" || fail "weston ($shell shell) did not start"
done
mute='import socket, sys
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
s.listen(8)
kept = []
while True:
    c, _ = s.accept()
    kept.append(c)
    if sys.argv[2] == "garbage":
        c.sendall(bytes(range(256)))'
for kind in silent garbage; do
  wl_start "$kind" python3 -c "$mute" "$WL_DIR/rt/$kind" "$kind"
done
wl_wait_for 10 test -S "$WL_DIR/rt/garbage" -a -S "$WL_DIR/rt/silent" || fail "no mute sockets"
# display, arguments, what the line must name
cases=("weston-fullscreen|/s|X display.*neither layer-shell.*nor xdg-shell"
  "weston-fullscreen|--wayland /s|neither layer-shell.*nor xdg-shell.*XWayland"
  "weston-desktop|/s|did not give the saver's windows the keyboard within 5 seconds"
  "no-such-compositor|/s|X display.*cannot connect to the Wayland compositor"
  "silent|/s|X display.*\"silent\" did not answer within 5 seconds"
  "garbage|--wayland /s|\"garbage\" did not answer")
for case in "${cases[@]}"; do
  IFS='|' read -r display arguments expected <<<"$case"
  WL_DISPLAY=$display
  set +e
  # shellcheck disable=SC2086
  wl_run timeout 20 "$WL_SAVER" $arguments 2>"$WL_DIR/out/err"
  status=$?
  set -e
  echo "$display, $arguments: status $status: $(cat "$WL_DIR/out/err")"
  [ "$status" -eq 1 ] || fail "status $status"
  [ "$(wc -l <"$WL_DIR/out/err")" -eq 1 ] || fail "not one line"
  grep -q "$expected" "$WL_DIR/out/err" || fail "no word of: $expected"
done
WL_DISPLAY=silent
wl_start saver "$WL_SAVER" /s
sleep 1
kill -TERM "$WL_LAST"
wl_wait_exit "$WL_LAST" 2 || fail "SIGTERM did not end the saver waiting for a silent compositor"
echo PASS
